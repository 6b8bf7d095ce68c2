// Reset functions and the HALTCNT writers.
#include "codecs.h"
#include "harness.h"

#include <gtest/gtest.h>

using namespace biostest;

namespace {

struct Region {
    std::uint32_t base, size;
    const char* name;
};

const Region kRamRegions[] = {
    {kEwram, kEwramSize, "EWRAM"},
    {kIwram, 0x7E00, "IWRAM below 0x03007E00"},
    {kPalette, kPaletteSize, "palette"},
    {kVram, kVramSize, "VRAM"},
    {kOam, kOamSize, "OAM"},
};

bool all_bytes(const Bytes& b, std::uint8_t v)
{
    return std::all_of(b.begin(), b.end(), [v](std::uint8_t x) { return x == v; });
}

std::uint16_t at16(const Bytes& io, std::uint32_t offset)
{
    return static_cast<std::uint16_t>(io[offset] | (io[offset + 1] << 8));
}

// Which I/O halfwords each RegisterRamReset flag resets, and to what.
struct IoReset {
    std::uint32_t begin, end; // byte offsets from 0x04000000, end exclusive
    unsigned flag;            // bit of r0
};

const IoReset kIoResets[] = {
    {0x002, 0x056, 7}, {0x0B0, 0x0E0, 7}, {0x100, 0x110, 7}, {0x132, 0x134, 7}, {0x200, 0x206, 7},
    {0x208, 0x20A, 7}, {0x120, 0x12C, 5}, {0x134, 0x136, 5}, {0x140, 0x142, 5}, {0x150, 0x15A, 5},
    {0x060, 0x086, 6}, {0x088, 0x08A, 6},
};

std::uint16_t reset_value(std::uint32_t offset)
{
    switch (offset) {
    case 0x020: case 0x026: case 0x030: case 0x036: return 0x0100; // identity BG2/BG3 matrices
    case 0x088: return 0x0200;                                     // SOUNDBIAS default
    case 0x134: return 0x8000;                                     // RCNT general purpose
    case 0x202: return 0xFFFF;                                     // IF: all acknowledged
    default: return 0;
    }
}

} // namespace

TEST(Reset, RegisterRamResetClearsWhatItsFlagsSay)
{
    for (unsigned flags : {0x00u, 0x01u, 0x02u, 0x04u, 0x08u, 0x10u, 0x20u, 0x40u, 0x80u, 0xFFu, 0x5Au}) {
        Machine m;
        for (const Region& r : kRamRegions)
            m.fill(r.base, r.size, 0x6B);
        m.fill(kIwram + 0x7E00, 0x100, 0x6B); // the preserved area, below the stacks in use
        m.fill(kIo, 0x400, 0x6B);
        m.log_writes(kIo + 0x300, kIo + 0x302);
        CpuState in = caller_state();
        in.r[0] = flags;
        auto res = m.swi(0x01, in);
        ASSERT_TRUE(res.ok) << "flags " << flags << ": " << res.error;
        expect_preserved(in, res.out, "RegisterRamReset");
        for (std::size_t i = 0; i < 5; i++) {
            const Region& r = kRamRegions[i];
            bool cleared = flags & (1u << i);
            EXPECT_TRUE(all_bytes(m.read(r.base, r.size), cleared ? 0 : 0x6B))
                << r.name << (cleared ? " not cleared" : " changed") << " with flags " << flags;
        }
        EXPECT_TRUE(all_bytes(m.read(kIwram + 0x7E00, 0x80), 0x6B)) << "cleared 0x03007E00+, flags " << flags;
        Bytes io = m.read(kIo, 0x400);
        EXPECT_EQ(at16(io, 0), 0x0080) << "DISPCNT must be forced blank whatever the flags: " << flags;
        std::vector<bool> covered(0x400, false);
        for (const IoReset& r : kIoResets) {
            for (std::uint32_t off = r.begin; off < r.end; off += 2) {
                covered[off] = covered[off + 1] = true;
                std::uint16_t expected = (flags & (1u << r.flag)) ? reset_value(off) : 0x6B6B;
                EXPECT_EQ(at16(io, off), expected) << "I/O 0x" << std::hex << off << " with flags 0x" << flags;
            }
        }
        for (std::uint32_t off = 2; off < 0x400; off++) {
            if (!covered[off]) {
                EXPECT_EQ(io[off], 0x6B) << "I/O 0x" << std::hex << off << " written, flags 0x" << flags;
            }
        }
        EXPECT_TRUE(m.writes.empty()) << "POSTFLG/HALTCNT written";
    }
}

// SoftReset: clears 0x03007E00-0x03007FFF, sets the three stack pointers, zeroes r0-r12,
// lr_svc, SPSR_svc, lr_irq, SPSR_irq, and enters the program in System mode - at 0x08000000, or
// 0x02000000 when the flag byte at 0x03007FFA is nonzero.
TEST(Reset, SoftReset)
{
    struct Case {
        std::uint8_t flag;
        std::uint32_t entry;
        bool thumb;
    };
    for (const Case& c : {Case{0, kRom, false}, Case{1, kEwram, true}, Case{0xFF, kEwram, false}}) {
        Machine m;
        m.fill(kIwram + 0x7000, 0x1000, 0x77);
        m.write8(kSoftResetFlag, c.flag);
        m.write32(kEwram, 0xEAFFFFFE);
        // Leave the modes' registers in a state the reset must undo.
        m.set_banked(kSupervisor, UC_ARM_REG_LR, 0x1234);
        m.set_banked(kSupervisor, UC_ARM_REG_SPSR, 0x3F);
        m.set_banked(kIrq, UC_ARM_REG_SP, 0x03001000);
        m.set_banked(kIrq, UC_ARM_REG_LR, 0x5678);
        m.set_banked(kIrq, UC_ARM_REG_SPSR, 0x1F);
        CpuState in = caller_state(kSystem | kIrqMask | 0xF0000000);
        in.r[13] = 0x03006000;
        std::uint32_t site = c.thumb ? kThumbSites : kArmSites;
        in.cpsr |= c.thumb ? kThumbBit : 0;
        in.r[15] = site;
        m.set_state(in);
        auto res = m.run(site | (c.thumb ? 1u : 0u), c.entry, 10000);
        ASSERT_TRUE(res.ok) << "flag " << int(c.flag) << ": " << res.error;
        EXPECT_EQ(res.out.cpsr, static_cast<std::uint32_t>(kSystem));
        for (std::size_t i = 0; i < 13; i++)
            EXPECT_EQ(res.out.r[i], 0u) << "r" << i;
        EXPECT_EQ(res.out.r[13], kSpSys);
        EXPECT_EQ(res.out.r[14], c.entry);
        EXPECT_EQ(m.banked(kSupervisor, UC_ARM_REG_SP), kSpSvc);
        EXPECT_EQ(m.banked(kSupervisor, UC_ARM_REG_LR), 0u);
        EXPECT_EQ(m.banked(kSupervisor, UC_ARM_REG_SPSR), 0u);
        EXPECT_EQ(m.banked(kIrq, UC_ARM_REG_SP), kSpIrq);
        EXPECT_EQ(m.banked(kIrq, UC_ARM_REG_LR), 0u);
        EXPECT_EQ(m.banked(kIrq, UC_ARM_REG_SPSR), 0u);
        EXPECT_TRUE(all_bytes(m.read(kIwram + 0x7E00, 0x200), 0)) << "0x03007E00-0x03007FFF not cleared";
        EXPECT_TRUE(all_bytes(m.read(kIwram + 0x7000, 0xE00), 0x77)) << "cleared below 0x03007E00";
    }
}

// HardReset (and the reset vector behind it): everything as at power-on without the intro,
// ending at the cartridge entry with the stacks the emulator's own reset uses.
TEST(Reset, HardReset)
{
    Machine m;
    for (const Region& r : kRamRegions)
        m.fill(r.base, r.size, 0x39);
    m.fill(kIwram + 0x7E00, 0x200, 0x39);
    m.fill(kIo, 0x400, 0x39);
    CpuState in = caller_state(kSystem | 0x80);
    in.r[15] = kArmSites + 0x26 * 8;
    m.set_state(in);
    auto res = m.run(kArmSites + 0x26 * 8, kRom, 5'000'000);
    ASSERT_TRUE(res.ok) << res.error;
    EXPECT_EQ(res.out.cpsr, static_cast<std::uint32_t>(kSystem));
    for (std::size_t i = 0; i < 13; i++)
        EXPECT_EQ(res.out.r[i], 0u) << "r" << i;
    EXPECT_EQ(res.out.r[13], kSpSys);
    EXPECT_EQ(m.banked(kSupervisor, UC_ARM_REG_SP), kSpSvc);
    EXPECT_EQ(m.banked(kIrq, UC_ARM_REG_SP), kSpIrq);
    EXPECT_EQ(m.banked(kFiq, UC_ARM_REG_SP), kSpIrq);
    for (const Region& r : kRamRegions)
        EXPECT_TRUE(all_bytes(m.read(r.base, r.size), 0)) << r.name;
    EXPECT_TRUE(all_bytes(m.read(kIwram + 0x7E00, 0x200), 0)) << "IWRAM top";
    EXPECT_EQ(m.read16(kIo), 0x0080) << "DISPCNT";
    EXPECT_EQ(m.read16(kIme), 0) << "IME";
    EXPECT_EQ(m.read16(kIe), 0) << "IE";
    EXPECT_EQ(m.read8(kIo + 0x300), 1) << "POSTFLG";
    EXPECT_EQ(m.read8(kHaltcnt), 0x39) << "HALTCNT written";

    // Address 0 leads to the same place.
    Machine m2;
    m2.set_reg(UC_ARM_REG_CPSR, kSupervisor | 0xC0);
    auto res2 = m2.run(0, kRom, 5'000'000);
    ASSERT_TRUE(res2.ok) << res2.error;
    EXPECT_EQ(res2.out.cpsr, static_cast<std::uint32_t>(kSystem));
    EXPECT_EQ(res2.out.r[13], kSpSys);
}

// Halt, Stop and CustomHalt: one byte written to HALTCNT, nothing else changed.
TEST(Halt, WritesHaltcnt)
{
    struct Case {
        unsigned number;
        std::uint32_t r2;
        std::uint8_t expected;
        const char* name;
    };
    const Case cases[] = {
        {0x02, 0x12345678, 0x00, "Halt"},
        {0x03, 0x12345678, 0x80, "Stop"},
        {0x27, 0x00000080, 0x80, "CustomHalt 0x80"},
        {0x27, 0xFFFFFF00, 0x00, "CustomHalt 0x00"},
        {0x27, 0x000000C0, 0xC0, "CustomHalt 0xC0"},
    };
    for (const Case& c : cases) {
        for (bool thumb : {false, true}) {
            Machine m;
            m.log_writes(kIo, kIo + kIoSize);
            CpuState in = caller_state();
            in.r[2] = c.r2;
            auto res = m.swi(c.number, in, thumb);
            ASSERT_TRUE(res.ok) << c.name << ": " << res.error;
            for (std::size_t i = 0; i < 15; i++)
                EXPECT_EQ(in.r[i], res.out.r[i]) << c.name << ": r" << i;
            EXPECT_EQ(in.cpsr | (thumb ? kThumbBit : 0), res.out.cpsr) << c.name;
            ASSERT_EQ(m.writes.size(), 1u) << c.name;
            EXPECT_EQ(m.writes[0].address, kHaltcnt) << c.name;
            EXPECT_EQ(m.writes[0].size, 1) << c.name;
            EXPECT_EQ(m.writes[0].value, c.expected) << c.name;
        }
    }
}
