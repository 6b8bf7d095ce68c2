// The IRQ entry at 0x18, IntrWait and VBlankIntrWait, with IRQs actually taken through the
// vector (the harness's interrupt model) and handlers from test_routines.S.
#include "harness.h"

#include <gtest/gtest.h>

#include <random>

using namespace biostest;

namespace {

constexpr std::uint16_t kVblank = 0x0001;
constexpr std::uint16_t kHblank = 0x0002;
constexpr std::uint16_t kTimer0 = 0x0008;

// Interrupted code: a location in ROM holding `b .` in the state's instruction set.
constexpr std::uint32_t kInterrupted = kRom + 0x4000;

} // namespace

// The interrupted program resumes at the interrupted instruction with r0-r12, its sp and lr,
// and its CPSR (mode, state, flags) exactly as they were; the handler ran once, in IRQ mode and
// ARM state, with the six saved words on the IRQ stack and lr pointing back into the BIOS.
TEST(IrqEntry, ResumesInterruptedCodeIntact)
{
    struct Case {
        std::uint32_t handler;
        std::uint32_t cpsr;
        const char* name;
    };
    const Case cases[] = {
        {kIrqArm, kSystem, "ARM handler, ARM System code"},
        {kIrqArm, kSystem | kThumbBit | 0x90000000, "ARM handler, Thumb code, N and V set"},
        {kIrqThumb, kSystem | 0x60000000, "Thumb handler, ARM code"},
        {kIrqThumb, kUser | kThumbBit | 0xF0000000, "Thumb handler, Thumb User code"},
        {kIrqArm, kSupervisor | 0x40, "ARM handler, interrupted Supervisor code"},
    };
    std::mt19937_64 rng(test_seed(0x18));
    for (const Case& c : cases) {
        Machine m;
        m.write32(kInterrupted, 0xEAFFFFFE);
        m.write16(kInterrupted + 8, 0xE7FE);
        m.write32(kUserHandlerPointer, c.handler);
        CpuState before;
        for (std::size_t i = 0; i < 15; i++)
            before.r[i] = static_cast<std::uint32_t>(rng());
        before.r[13] = 0x03006F00;
        std::uint32_t pc = kInterrupted + ((c.cpsr & kThumbBit) ? 8 : 0);
        before.r[15] = pc;
        before.cpsr = c.cpsr;
        m.set_state(before);
        m.enter_irq();
        auto res = m.run(0x18, pc, 10000);
        ASSERT_TRUE(res.ok) << c.name << ": " << res.error;
        for (std::size_t i = 0; i < 16; i++)
            EXPECT_EQ(before.r[i], res.out.r[i]) << c.name << ": r" << i;
        EXPECT_EQ(before.cpsr, res.out.cpsr) << c.name << ": CPSR";
        EXPECT_EQ(m.banked(kIrq, UC_ARM_REG_SP), kSpIrq) << c.name << ": IRQ stack not balanced";
        EXPECT_EQ(m.read32(kDataCalls), 1u) << c.name << ": handler calls";
        EXPECT_EQ(m.read32(kDataSp), kSpIrq - 24) << c.name << ": the BIOS keeps 6 words on the IRQ stack";
        std::uint32_t lr = m.read32(kDataLr);
        EXPECT_LT(lr, kBiosSize) << c.name << ": handler's lr does not return into the BIOS";
        EXPECT_EQ(lr & 1, 0u) << c.name << ": the BIOS must be resumed in ARM state";
        if (c.handler == kIrqArm) {
            EXPECT_EQ(m.read32(kDataCpsr) & 0x3F, static_cast<std::uint32_t>(kIrq)) << c.name;
        }
    }
}

namespace {

class IntrWait : public ::testing::Test {
protected:
    void SetUp() override
    {
        m.enable_interrupt_model();
        m.write32(kUserHandlerPointer, kIrqAck);
        m.write16(kIe, kVblank | kHblank | kTimer0);
        m.write16(kIme, 0); // IntrWait must turn it on
    }

    RunResult wait(unsigned number, std::uint32_t discard, std::uint32_t flags, bool thumb = false)
    {
        CpuState in = caller_state();
        in.r[0] = discard;
        in.r[1] = flags;
        auto res = m.swi(number, in, thumb, 200000);
        if (res.ok)
            expect_preserved(in, res.out, "IntrWait");
        return res;
    }

    Machine m;
};

} // namespace

// Flag already set and r0 = 0: return at once, without halting, and clear the flag.
TEST_F(IntrWait, OldFlagReturnsImmediately)
{
    m.write16(kCheckFlags, kVblank | kTimer0);
    auto res = wait(0x04, 0, kVblank);
    ASSERT_TRUE(res.ok) << res.error;
    EXPECT_EQ(m.halts, 0);
    EXPECT_EQ(m.read16(kCheckFlags), kTimer0) << "only the awaited flag is cleared";
    EXPECT_EQ(m.read16(kIme), 1);
}

// r0 = 1 discards the old flag: the function must wait for a new one. Interrupts that are not
// awaited are handled meanwhile and leave their flags set.
TEST_F(IntrWait, DiscardWaitsForNewFlag)
{
    m.write16(kCheckFlags, kVblank);
    m.interrupt_script = {kHblank, kTimer0, kVblank};
    auto res = wait(0x04, 1, kVblank);
    ASSERT_TRUE(res.ok) << res.error;
    EXPECT_EQ(m.halts, 3);
    EXPECT_EQ(m.irqs_taken, 3);
    EXPECT_EQ(m.read32(kDataCalls), 3u);
    EXPECT_EQ(m.read16(kCheckFlags), kHblank | kTimer0);
    EXPECT_EQ(m.read16(kIme), 1) << "IntrWait sets IME";
}

// Several awaited interrupts: any one of them ends the wait, and only the awaited bits are
// cleared.
TEST_F(IntrWait, AnyAwaitedFlagEndsTheWait)
{
    m.interrupt_script = {kHblank, kTimer0};
    auto res = wait(0x04, 1, kVblank | kTimer0, true);
    ASSERT_TRUE(res.ok) << res.error;
    EXPECT_EQ(m.halts, 2);
    EXPECT_EQ(m.read16(kCheckFlags), kHblank);
}

// Without any IRQ the wait never ends: the harness reports the hang instead of returning.
TEST_F(IntrWait, NoInterruptNoReturn)
{
    m.interrupt_script = {kHblank};
    auto res = wait(0x04, 1, kVblank);
    EXPECT_FALSE(res.ok);
    EXPECT_EQ(m.halts, 2);
}

// VBlankIntrWait = IntrWait(1, 1): an old V-blank flag never counts.
TEST_F(IntrWait, VBlankIntrWait)
{
    m.write16(kCheckFlags, kVblank | kHblank);
    m.interrupt_script = {kTimer0, kVblank};
    auto res = wait(0x05, 0x1234, 0x5678);
    ASSERT_TRUE(res.ok) << res.error;
    EXPECT_EQ(m.halts, 2);
    EXPECT_EQ(m.read16(kCheckFlags), kHblank | kTimer0);
}

// The caller had IRQs masked: IntrWait must still let them in while it waits, or it could
// never return; and the caller's mask is back afterwards (checked by expect_preserved).
TEST_F(IntrWait, WorksWhenCallerMaskedIrqs)
{
    m.interrupt_script = {kVblank};
    CpuState in = caller_state(kSystem | kIrqMask);
    auto res = m.swi(0x05, in, false, 200000);
    ASSERT_TRUE(res.ok) << res.error;
    EXPECT_EQ(res.out.cpsr, in.cpsr);
    EXPECT_EQ(m.irqs_taken, 1);
}

// An interrupt that arrives while the flags are being examined (here: already pending in IF
// when the call starts, with the flag not yet set) is not lost: the halt ends at once and the
// handler runs.
TEST_F(IntrWait, PendingInterruptIsNotLost)
{
    m.write16(kIme, 1);
    m.interrupt_script = {kVblank}; // raised at the first halt...
    CpuState in = caller_state(kSystem | kIrqMask);
    auto res = m.swi(0x02, in); // ...which this Halt, with IRQs masked, performs
    ASSERT_TRUE(res.ok) << res.error;
    EXPECT_EQ(m.irqs_taken, 0);
    // IF has V-blank pending, the check flags do not. IntrWait, called with IRQs still masked
    // so the IRQ cannot sneak in before it, must take the IRQ and return.
    in.r[0] = 1;
    in.r[1] = kVblank;
    res = m.swi(0x04, in, false, 200000);
    ASSERT_TRUE(res.ok) << res.error;
    expect_preserved(in, res.out, "IntrWait");
    EXPECT_EQ(m.irqs_taken, 1);
    EXPECT_EQ(m.read16(kCheckFlags), 0);
}

// A handler that calls a SWI itself while IntrWait waits: the nested call works and the outer
// wait still returns correctly to its caller.
TEST_F(IntrWait, NestedSwiFromHandler)
{
    m.write32(kUserHandlerPointer, kIrqAckNestedSwi);
    m.interrupt_script = {kHblank, kVblank};
    for (bool thumb : {false, true}) {
        m.interrupt_script = {kHblank, kVblank};
        m.write32(kDataCalls, 0);
        auto res = wait(0x05, 0, 0, thumb);
        ASSERT_TRUE(res.ok) << res.error;
        EXPECT_EQ(m.read32(kDataCalls), 2u);
        EXPECT_EQ(static_cast<std::int32_t>(m.read32(kDataNested)), -123);
        EXPECT_EQ(static_cast<std::int32_t>(m.read32(kDataNested + 4)), -4);
        EXPECT_EQ(m.read32(kDataNested + 8), 123u);
        EXPECT_EQ(m.banked(kSupervisor, UC_ARM_REG_SP), kSpSvc);
        EXPECT_EQ(m.banked(kIrq, UC_ARM_REG_SP), kSpIrq);
    }
}

// Exceptions the console never raises (undefined instruction, aborts, FIQ) must not stop the
// machine: the interrupted program continues, past the offending instruction for the first
// three, at the interrupted one for FIQ, with its registers and CPSR intact.
TEST(UnexpectedExceptions, ProgramContinues)
{
    struct Case {
        std::uint32_t vector;
        Mode mode;
        std::uint32_t lr_offset;     // lr on entry, from the offending instruction
        std::uint32_t resume_offset; // where the program must continue
        const char* name;
    };
    const Case cases[] = {
        {0x04, kUndefined, 4, 4, "undefined instruction"},
        {0x0C, kAbort, 4, 4, "prefetch abort"},
        {0x10, kAbort, 8, 4, "data abort"},
        {0x1C, kFiq, 4, 0, "FIQ"},
    };
    for (const Case& c : cases) {
        Machine m;
        const std::uint32_t at = kRom + 0x4000;
        m.write32(at, 0xEAFFFFFE);
        m.write32(at + 4, 0xEAFFFFFE);
        CpuState before = caller_state(kSystem | 0x50000000);
        before.r[15] = at;
        m.set_state(before);
        m.set_reg(UC_ARM_REG_CPSR, 0xC0u | c.mode);
        m.set_reg(UC_ARM_REG_SPSR, before.cpsr);
        m.set_reg(UC_ARM_REG_LR, at + c.lr_offset);
        auto res = m.run(c.vector, at + c.resume_offset, 1000);
        ASSERT_TRUE(res.ok) << c.name << ": " << res.error;
        for (std::size_t i = 0; i < 15; i++)
            EXPECT_EQ(before.r[i], res.out.r[i]) << c.name << ": r" << i;
        EXPECT_EQ(before.cpsr, res.out.cpsr) << c.name;
    }
}
