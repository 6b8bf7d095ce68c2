// The SWI entry: how the function number is found, what comes back unchanged, and what
// numbers without a function do.
#include "harness.h"

#include <gtest/gtest.h>

#include <random>

using namespace biostest;

namespace {

CpuState random_caller(std::mt19937_64& rng, std::uint32_t cpsr)
{
    CpuState s;
    for (std::size_t i = 0; i < 15; i++)
        s.r[i] = static_cast<std::uint32_t>(rng());
    s.r[13] = kSpSys - 0x40; // a valid stack is the one thing a caller must provide
    s.cpsr = cpsr;
    return s;
}

void expect_all_unchanged(const CpuState& in, const RunResult& res, const std::string& what)
{
    ASSERT_TRUE(res.ok) << what << ": " << res.error;
    for (std::size_t i = 0; i < 15; i++)
        EXPECT_EQ(in.r[i], res.out.r[i]) << what << ": r" << i;
    EXPECT_EQ(in.cpsr, res.out.cpsr) << what << ": CPSR";
}

} // namespace

// The sound driver is the emulator's: its BIOS entries return with every register as it was.
TEST(Dispatch, SoundDriverFunctionsReturnWithoutEffect)
{
    Machine m;
    std::mt19937_64 rng(test_seed(0x50D));
    const unsigned numbers[] = {0x1A, 0x1B, 0x1C, 0x1D, 0x1E, 0x20, 0x21, 0x22, 0x23, 0x24, 0x28, 0x29, 0x2A};
    auto ram_before = m.read(kIwram, kIwramSize - 0x200);
    for (unsigned n : numbers) {
        for (bool thumb : {false, true}) {
            CpuState in = random_caller(rng, kSystem | (thumb ? kThumbBit : 0) | 0x60000000);
            auto res = m.swi(n, in, thumb, 10000);
            expect_all_unchanged(in, res, "SWI " + std::to_string(n) + (thumb ? " (Thumb)" : " (ARM)"));
        }
    }
    EXPECT_EQ(ram_before, m.read(kIwram, kIwramSize - 0x200)) << "a sound stub wrote to IWRAM";
}

// Numbers past 0x2A have no function: return at once, nothing changed, no lockup.
TEST(Dispatch, NumbersWithoutFunctionReturnUnchanged)
{
    Machine m;
    std::mt19937_64 rng(test_seed(0x2B));
    for (unsigned n = 0x2B; n <= 0xFF; n++) {
        bool thumb = n % 2 == 1;
        CpuState in = random_caller(rng, kSystem | (thumb ? kThumbBit : 0));
        auto res = m.swi(n, in, thumb, 1000);
        expect_all_unchanged(in, res, "SWI " + std::to_string(n));
    }
}

// In ARM state only bits 16-23 of the comment field select the function.
TEST(Dispatch, ArmCommentFieldUsesBits16To23)
{
    Machine m;
    const std::uint32_t comments[] = {0x060000, 0x06FFFF, 0x06ABCD, 0x060001};
    for (std::uint32_t comment : comments) {
        CpuState in = caller_state();
        in.r[0] = static_cast<std::uint32_t>(-1234);
        in.r[1] = 10;
        auto res = m.execute(0xEF000000u | comment, in, false, 10000);
        ASSERT_TRUE(res.ok) << res.error;
        EXPECT_EQ(static_cast<std::int32_t>(res.out.r[0]), -123) << std::hex << comment;
        EXPECT_EQ(static_cast<std::int32_t>(res.out.r[1]), -4) << std::hex << comment;
        EXPECT_EQ(res.out.r[3], 123u) << std::hex << comment;
    }
    // 0x00FF06 names function 0x00 (SoftReset) in ARM state, not 6: the run ends at the
    // cartridge entry instead of returning.
    CpuState in = caller_state();
    m.write(kScratchSite, "\x06\xFF\x00\xEF", 4);
    m.write32(kScratchSite + 4, 0xEAFFFFFE);
    ASSERT_EQ(uc_ctl_remove_cache(m.engine(), std::uint64_t{kScratchSite},
                                  std::uint64_t{kScratchSite} + 8),
              UC_ERR_OK);
    in.r[15] = kScratchSite;
    m.set_state(in);
    auto res = m.run(kScratchSite, kRom, 10000);
    EXPECT_TRUE(res.ok) << res.error;
}

// Whatever the caller's mode, state and flags, the registers the reference promises come back,
// with the caller's own sp and lr, and the Supervisor stack is back where it was.
TEST(Dispatch, CallerStateSurvivesFunctions)
{
    struct Caller {
        std::uint32_t cpsr;
        const char* name;
    };
    const Caller callers[] = {
        {kSystem, "System"},
        {kSystem | 0xF0000000, "System, NZCV set"},
        {kUser | 0x40000000, "User"},
        {kIrq | kIrqMask | 0x20000000, "IRQ mode, IRQs masked"},
        {kSupervisor | 0xC0, "Supervisor"},
        {kSystem | 0x40, "System, FIQ masked"},
    };
    // Functions that use the stack and several registers internally.
    const unsigned functions[] = {0x06, 0x08, 0x0A, 0x0B, 0x0C, 0x11, 0x0E};
    Machine m;
    std::mt19937_64 rng(test_seed(7));
    m.write32(kEwram, 0x12345678);
    for (const Caller& c : callers) {
        for (bool thumb : {false, true}) {
            for (unsigned f : functions) {
                CpuState in = random_caller(rng, c.cpsr | (thumb ? kThumbBit : 0));
                // Arguments that keep each function inside mapped memory.
                in.r[0] = kEwram;
                in.r[1] = kEwram + 0x1000;
                in.r[2] = (f == 0x0B || f == 0x0C) ? 16u : 1u;
                if (f == 0x06)
                    in.r[1] = 7;
                if (f == 0x11)
                    m.write32(kEwram, 0x00000410); // LZ77, 4 bytes of output
                if ((c.cpsr & 0x1F) == kSupervisor) {
                    // A Supervisor-mode caller's lr becomes the return address, as on any ARM.
                    in.r[13] = kSpSvc - 0x40;
                    in.r[14] = thumb ? kThumbSites + f * 4 + 2 : kArmSites + f * 8 + 4;
                }
                std::string what = std::string(c.name) + (thumb ? ", Thumb" : ", ARM") + ", SWI " + std::to_string(f);
                m.set_banked(kSupervisor, UC_ARM_REG_SP, kSpSvc);
                auto res = m.swi(f, in, thumb);
                ASSERT_TRUE(res.ok) << what << ": " << res.error;
                expect_preserved(in, res.out, what.c_str());
                if ((c.cpsr & 0x1F) != kSupervisor) {
                    EXPECT_EQ(m.banked(kSupervisor, UC_ARM_REG_SP), kSpSvc) << what;
                }
            }
        }
    }
}

// Our emulator enters the SWI vector without masking IRQs; the functions, which run in System
// mode, must still get the caller's mask rather than an unmasked CPSR.
TEST(Dispatch, FunctionsRunWithCallersInterruptMask)
{
    Machine m;
    m.enable_interrupt_model();
    m.write32(kUserHandlerPointer, kIrqAck);
    m.write16(kIe, 1);
    m.write16(kIme, 1);
    m.interrupt_script.push_back(1);
    CpuState in = caller_state(kSystem | kIrqMask);
    // The interrupt model raises IF bit 0 at Halt's HALTCNT write: from then on an IRQ is
    // pending and only the caller's I bit keeps it out.
    auto res = m.swi(0x02, in);
    ASSERT_TRUE(res.ok) << res.error;
    EXPECT_EQ(m.halts, 1);
    EXPECT_EQ(m.irqs_taken, 0) << "IRQ taken inside Halt although the caller masked IRQs";
    in.r[0] = 100;
    in.r[1] = 7;
    res = m.swi(0x06, in);
    ASSERT_TRUE(res.ok) << res.error;
    EXPECT_EQ(m.irqs_taken, 0) << "IRQ taken inside Div although the caller masked IRQs";
    EXPECT_EQ(res.out.r[0], 14u);
    // Unmasked, the pending IRQ goes through the handler and the call still completes.
    in.cpsr = kSystem;
    res = m.swi(0x06, in);
    ASSERT_TRUE(res.ok) << res.error;
    EXPECT_EQ(m.irqs_taken, 1);
    EXPECT_EQ(m.read32(kDataCalls), 1u);
    EXPECT_EQ(res.out.r[0], 14u);
    EXPECT_EQ(res.out.r[1], 2u);
}
