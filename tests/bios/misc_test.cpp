// The image itself (layout, checksum, the emulator's byte patches), MidiKey2Freq, SoundBias and
// MultiBoot.
#include "codecs.h"
#include "harness.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <random>

using namespace biostest;

namespace {

// GetBiosChecksum's documented algorithm: the sum modulo 2^32 of the image's 4096
// little-endian 32-bit words.
std::uint32_t image_checksum(const std::uint8_t* image)
{
    std::uint32_t sum = 0;
    for (std::uint32_t i = 0; i < kBiosSize; i += 4)
        sum += static_cast<std::uint32_t>(image[i]) | (static_cast<std::uint32_t>(image[i + 1]) << 8) |
               (static_cast<std::uint32_t>(image[i + 2]) << 16) | (static_cast<std::uint32_t>(image[i + 3]) << 24);
    return sum;
}

std::array<std::uint8_t, kBiosSize> image_copy()
{
    std::array<std::uint8_t, kBiosSize> copy{};
    std::copy(bios_image, bios_image + kBiosSize, copy.begin());
    return copy;
}

} // namespace

TEST(Image, Layout)
{
    // The eight exception vectors are ARM branches.
    for (std::uint32_t v = 0; v < 0x20; v += 4)
        EXPECT_EQ(bios_image[v + 3], 0xEA) << "vector 0x" << std::hex << v;
    // The two bytes the emulator patches for some games are zero as built.
    EXPECT_EQ(bios_image[0x2C], 0);
    EXPECT_EQ(bios_image[0x39], 0);
}

TEST(Image, GetBiosChecksum)
{
    Machine m;
    CpuState in = caller_state();
    auto res = m.swi(0x0D, in, false, 100000);
    ASSERT_TRUE(res.ok) << res.error;
    EXPECT_EQ(res.out.r[0], image_checksum(bios_image));
    expect_preserved(in, res.out, "GetBiosChecksum");
}

// The emulator patches byte 0x39 to 0xC0 and byte 0x2C to 0x02 for a few games. Either patch,
// or both, must leave the BIOS working: functions, the IRQ entry, and the checksum (which then
// covers the patched bytes).
TEST(Image, PatchedImagesStillWork)
{
    struct Patch {
        bool at_2c, at_39;
    };
    for (Patch p : {Patch{true, false}, Patch{false, true}, Patch{true, true}}) {
        auto image = image_copy();
        if (p.at_2c)
            image[0x2C] = 0x02;
        if (p.at_39)
            image[0x39] = 0xC0;
        std::string what = std::string("patched") + (p.at_2c ? " 0x2C" : "") + (p.at_39 ? " 0x39" : "");
        Machine m(image.data());

        CpuState in = caller_state();
        in.r[0] = static_cast<std::uint32_t>(-1234);
        in.r[1] = 10;
        auto res = m.swi(0x06, in, true, 10000);
        ASSERT_TRUE(res.ok) << what << ": " << res.error;
        EXPECT_EQ(static_cast<std::int32_t>(res.out.r[0]), -123) << what;
        EXPECT_EQ(static_cast<std::int32_t>(res.out.r[1]), -4) << what;

        std::mt19937_64 rng(5);
        Bytes data = text_like(rng, 500);
        m.write(kEwram, lz77_compress(data));
        in = caller_state();
        in.r[0] = kEwram;
        in.r[1] = kVram;
        res = m.swi(0x12, in);
        ASSERT_TRUE(res.ok) << what << ": " << res.error;
        EXPECT_EQ(m.read(kVram, data.size()), data) << what;

        in = caller_state();
        res = m.swi(0x0D, in, false, 100000);
        ASSERT_TRUE(res.ok) << what << ": " << res.error;
        EXPECT_EQ(res.out.r[0], image_checksum(image.data())) << what;

        m.write32(kUserHandlerPointer, kIrqArm);
        m.write32(kRom + 0x4000, 0xEAFFFFFE);
        CpuState before = caller_state(kSystem | 0x20000000);
        before.r[15] = kRom + 0x4000;
        m.set_state(before);
        m.enter_irq();
        res = m.run(0x18, kRom + 0x4000, 10000);
        ASSERT_TRUE(res.ok) << what << ": " << res.error;
        EXPECT_EQ(res.out.r, before.r) << what;
        EXPECT_EQ(res.out.cpsr, before.cpsr) << what;
        EXPECT_EQ(m.read32(kDataCalls), 1u) << what;
    }
}

TEST(Misc, MultiBootReportsFailure)
{
    Machine m;
    CpuState in = caller_state();
    in.r[0] = kEwram;
    in.r[1] = 1;
    auto res = m.swi(0x25, in, false, 10000);
    ASSERT_TRUE(res.ok) << res.error;
    EXPECT_EQ(res.out.r[0], 1u);
    expect_preserved(in, res.out, "MultiBoot");
}

// MidiKey2Freq: with WaveData.freq = rate * 2^((180 - original key) / 12), the frequency for
// key mk and fine adjustment fp (1/256 semitone) is freq * 2^((mk - 180 + fp / 256) / 12).
// Tolerance: 1 (rounding down) plus 1 part in 10^8 of the value (the fixed-point factor).
TEST(Misc, MidiKey2Freq)
{
    Machine m;
    std::mt19937_64 rng(test_seed(0x3D1));
    const std::uint32_t wave = kEwram + 0x100;
    int checked = 0;
    for (int i = 0; i < 4000; i++) {
        std::uint32_t freq = i < 4 ? 0x0D7A0000u >> i : static_cast<std::uint32_t>(rng() >> (32 + rng() % 32));
        std::uint32_t key = i % 5 == 0 ? 180 : static_cast<std::uint32_t>(rng() % 256);
        std::uint32_t fine = i % 7 == 0 ? 0 : static_cast<std::uint32_t>(rng() % 256);
        long double expected = freq * std::pow(2.0L, (static_cast<long double>(key) - 180 + fine / 256.0L) / 12);
        if (expected >= 4294967296.0L)
            continue;
        m.write32(wave + 4, freq);
        CpuState in = caller_state();
        in.r[0] = wave;
        in.r[1] = key | 0xABCD00u; // only the low 8 bits are the key and the adjustment
        in.r[2] = fine | 0x1200u;
        auto res = m.swi(0x1F, in, i % 2 == 1, 10000);
        ASSERT_TRUE(res.ok) << res.error;
        long double tolerance = 1 + expected * 1e-8L;
        ASSERT_LE(std::fabs(res.out.r[0] - std::floor(expected)), tolerance)
            << "freq " << freq << " key " << key << " fine " << fine << ": got " << res.out.r[0] << ", exact "
            << static_cast<double>(expected);
        expect_preserved(in, res.out, "MidiKey2Freq");
        checked++;
    }
    EXPECT_GT(checked, 2500);
    // Key 180 without adjustment is freq itself; 12 keys lower halves it.
    m.write32(wave + 4, 0x12345678);
    CpuState in = caller_state();
    in.r[0] = wave;
    in.r[1] = 180;
    in.r[2] = 0;
    auto res = m.swi(0x1F, in);
    ASSERT_TRUE(res.ok);
    EXPECT_EQ(res.out.r[0], 0x12345678u);
    in.r[1] = 168;
    res = m.swi(0x1F, in);
    ASSERT_TRUE(res.ok);
    EXPECT_EQ(res.out.r[0], 0x12345678u / 2);
}

// The reference's formula for reading BIOS bytes through MidiKey2Freq:
//   a = (MidiKey2Freq(i - (((i AND 3) + 1) OR 3), 168, 0) * 2) SHR 24
// relies on freq being read the way the ARM7 reads a misaligned word.
TEST(Misc, MidiKey2FreqReadsBiosBytes)
{
    Machine m;
    for (std::uint32_t i = 0; i < kBiosSize; i += (i < 0x100 ? 1 : 13)) {
        CpuState in = caller_state();
        in.r[0] = i - (((i & 3) + 1) | 3);
        in.r[1] = 168;
        in.r[2] = 0;
        auto res = m.swi(0x1F, in, false, 10000);
        ASSERT_TRUE(res.ok) << res.error;
        ASSERT_EQ((res.out.r[0] * 2) >> 24, bios_image[i]) << "BIOS byte 0x" << std::hex << i;
    }
}

// SoundBias: the level (bits 1-9 of SOUNDBIAS) moves to 0x000 (r0 = 0) or 0x200 (else) one
// step at a time; the other bits stay as they were.
TEST(Misc, SoundBias)
{
    struct Case {
        std::uint16_t start;
        std::uint32_t r0;
    };
    const Case cases[] = {
        {0x0000, 1}, {0x0200, 0}, {0xC100, 1}, {0xC100, 0}, {0xFFFF, 1}, {0x0201, 7},
        {0x0200, 1}, {0x0000, 0}, {0x83FE, 0}, {0x3C10, 0x80000000},
    };
    for (const Case& c : cases) {
        Machine m;
        m.write16(kIo + 0x88, c.start);
        m.log_writes(kIo, kIo + kIoSize);
        CpuState in = caller_state();
        in.r[0] = c.r0;
        auto res = m.swi(0x19, in, false, 100000);
        ASSERT_TRUE(res.ok) << res.error;
        expect_preserved(in, res.out, "SoundBias");
        unsigned target = c.r0 ? 0x200 : 0;
        unsigned level = c.start & 0x3FEu;
        unsigned steps = level > target ? (level - target) / 2 : (target - level) / 2;
        ASSERT_EQ(m.writes.size(), steps) << "start 0x" << std::hex << c.start;
        for (const MemWrite& w : m.writes) {
            ASSERT_EQ(w.address, kIo + 0x88);
            ASSERT_EQ(w.size, 2);
            auto v = static_cast<unsigned>(w.value);
            EXPECT_EQ(v & ~0x3FEu & 0xFFFF, c.start & ~0x3FEu & 0xFFFF) << "other bits changed";
            level = level > target ? level - 2 : level + 2;
            EXPECT_EQ(v & 0x3FEu, level);
        }
        EXPECT_EQ(m.read16(kIo + 0x88) & 0x3FEu, target);
    }
}
