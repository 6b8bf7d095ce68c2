// CpuSet and CpuFastSet: every mode and width over a range of lengths, with guard bytes around
// the destination, plus the BIOS read protection.
#include "codecs.h"
#include "harness.h"

#include <gtest/gtest.h>

#include <random>

using namespace biostest;

namespace {

constexpr std::uint32_t kSource = kEwram + 0x100;
constexpr std::uint32_t kDest = kEwram + 0x10000;
constexpr std::uint32_t kGuard = 0x40;
constexpr std::uint8_t kGuardByte = 0xE5;

constexpr std::uint32_t kFill = 1u << 24;
constexpr std::uint32_t kWords = 1u << 26;

struct Copy {
    std::uint32_t control; // r2
    std::uint32_t bytes;   // bytes the function must write
};

class MemCopy : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::mt19937_64 rng(1234);
        source = random_bytes(rng, 0x8000);
        m.write(kSource, source);
    }

    // Runs SWI `number` with r2 = control and checks the destination against `expected`
    // followed by untouched guard bytes (and untouched guard bytes before it).
    void run_and_check(unsigned number, std::uint32_t src, std::uint32_t dst, std::uint32_t control,
                       const Bytes& expected, const std::string& what)
    {
        m.fill(dst - kGuard, expected.size() + 2 * kGuard, kGuardByte);
        CpuState in = caller_state();
        in.r[0] = src;
        in.r[1] = dst;
        in.r[2] = control;
        auto res = m.swi(number, in, false);
        ASSERT_TRUE(res.ok) << what << ": " << res.error;
        expect_preserved(in, res.out, what.c_str());
        auto got = m.read(dst, expected.size());
        ASSERT_EQ(got, expected) << what;
        EXPECT_EQ(m.read(dst - kGuard, kGuard), Bytes(kGuard, kGuardByte)) << what << ": wrote before the destination";
        EXPECT_EQ(m.read(dst + static_cast<std::uint32_t>(expected.size()), kGuard), Bytes(kGuard, kGuardByte))
            << what << ": wrote past the end";
        EXPECT_EQ(m.read(kSource, source.size()), source) << what << ": source changed";
    }

    Bytes copy_of(std::uint32_t src, std::uint32_t bytes)
    {
        return Bytes(source.begin() + (src - kSource), source.begin() + (src - kSource) + bytes);
    }

    Bytes fill_of(std::uint32_t src, std::uint32_t unit, std::uint32_t bytes)
    {
        Bytes out;
        for (std::uint32_t i = 0; i < bytes; i++)
            out.push_back(source[src - kSource + i % unit]);
        return out;
    }

    Machine m;
    Bytes source;
};

const std::uint32_t kLengths[] = {0, 1, 2, 3, 7, 8, 9, 15, 16, 17, 31, 32, 33, 100, 1000, 4000};

} // namespace

TEST_F(MemCopy, CpuSetCopyAndFill)
{
    for (std::uint32_t n : kLengths) {
        run_and_check(0x0B, kSource, kDest, n, copy_of(kSource, 2 * n), "CpuSet copy16 n=" + std::to_string(n));
        run_and_check(0x0B, kSource + 6, kDest + 2, n | kFill, fill_of(kSource + 6, 2, 2 * n),
                      "CpuSet fill16 n=" + std::to_string(n));
        run_and_check(0x0B, kSource + 4, kDest, n | kWords, copy_of(kSource + 4, 4 * n),
                      "CpuSet copy32 n=" + std::to_string(n));
        run_and_check(0x0B, kSource + 8, kDest + 4, n | kWords | kFill, fill_of(kSource + 8, 4, 4 * n),
                      "CpuSet fill32 n=" + std::to_string(n));
    }
}

// Bits 0-20 are the count; the bits outside 0-20, 24 and 26 mean nothing.
TEST_F(MemCopy, CpuSetIgnoresOtherControlBits)
{
    const std::uint32_t junk = 0xFAE00000u & ~(kFill | kWords); // bits 21-23, 25, 27-31
    run_and_check(0x0B, kSource, kDest, 10 | junk, copy_of(kSource, 20), "copy16 with junk bits");
    run_and_check(0x0B, kSource, kDest, 10 | kWords | junk, copy_of(kSource, 40), "copy32 with junk bits");
}

// Misaligned addresses are used as the bus would: rounded down to the unit.
TEST_F(MemCopy, CpuSetAlignsAddresses)
{
    run_and_check(0x0B, kSource + 3, kDest, 5, copy_of(kSource + 2, 10), "copy16, odd source");
    m.fill(kDest - kGuard, 0x100, kGuardByte);
    CpuState in = caller_state();
    in.r[0] = kSource + 6;
    in.r[1] = kDest + 3; // rounds to kDest
    in.r[2] = 3 | kWords;
    auto res = m.swi(0x0B, in);
    ASSERT_TRUE(res.ok) << res.error;
    EXPECT_EQ(m.read(kDest, 12), copy_of(kSource + 4, 12));
}

// CpuFastSet works in blocks of 8 words: the count is rounded up to a multiple of 8.
TEST_F(MemCopy, CpuFastSetCopyAndFillRoundUp)
{
    for (std::uint32_t n : kLengths) {
        std::uint32_t words = (n + 7) & ~7u;
        run_and_check(0x0C, kSource, kDest, n, copy_of(kSource, 4 * words), "CpuFastSet copy n=" + std::to_string(n));
        run_and_check(0x0C, kSource + 12, kDest + 4, n | kFill, fill_of(kSource + 12, 4, 4 * words),
                      "CpuFastSet fill n=" + std::to_string(n));
    }
    // Bit 26 (CpuSet's width bit) has no meaning here; the largest count still works.
    run_and_check(0x0C, kSource, kDest, 9 | kWords, copy_of(kSource, 64), "CpuFastSet with bit 26");
}

TEST_F(MemCopy, CpuFastSetLargestCount)
{
    // 0x1FFFFF words round up to 0x200000 words = 8 MB: far too much to run here, so check the
    // rounding at a size that fits, 0xFF9 words -> 0x1000 words = 16 KB into VRAM.
    std::mt19937_64 rng(99);
    Bytes big = random_bytes(rng, 0x4000);
    m.write(kEwram + 0x20000, big);
    CpuState in = caller_state();
    in.r[0] = kEwram + 0x20000;
    in.r[1] = kVram;
    in.r[2] = 0xFF9;
    auto res = m.swi(0x0C, in);
    ASSERT_TRUE(res.ok) << res.error;
    EXPECT_EQ(m.read(kVram, 0x4000), big);
}

// Sources in the BIOS (or anywhere below 0x02000000) make both functions do nothing at all.
TEST_F(MemCopy, RefusesToReadTheBios)
{
    struct Case {
        unsigned number;
        std::uint32_t src, control;
        const char* what;
    };
    const Case cases[] = {
        {0x0B, 0x00000000, 8, "CpuSet copy16 from 0"},
        {0x0B, 0x00000100, 8 | kWords, "CpuSet copy32 from the BIOS"},
        {0x0B, 0x00000200, 8 | kFill, "CpuSet fill16 from the BIOS"},
        {0x0B, 0x00003FFC, 8 | kWords | kFill, "CpuSet fill32 from the BIOS's last word"},
        {0x0B, 0x01FFFFF0, 0x100 | kWords, "CpuSet starting below EWRAM"},
        {0x0B, 0xFFFFFF00, 0x100 | kWords, "CpuSet wrapping around to 0"},
        {0x0B, 0xFFFFFF80, 0x100, "CpuSet 16-bit wrapping around to 0"},
        {0x0C, 0x00000000, 8, "CpuFastSet copy from 0"},
        {0x0C, 0x00001000, 8 | kFill, "CpuFastSet fill from the BIOS"},
        {0x0C, 0xFFFFFF80, 0x40, "CpuFastSet wrapping around to 0"},
    };
    for (const Case& c : cases) {
        m.fill(kDest, 0x800, kGuardByte);
        CpuState in = caller_state();
        in.r[0] = c.src;
        in.r[1] = kDest;
        in.r[2] = c.control;
        auto res = m.swi(c.number, in);
        ASSERT_TRUE(res.ok) << c.what << ": " << res.error;
        EXPECT_EQ(m.read(kDest, 0x800), Bytes(0x800, kGuardByte)) << c.what;
    }
    // The same copies from EWRAM do write, so the refusal above is about the source.
    run_and_check(0x0B, kSource, kDest, 8 | kWords, copy_of(kSource, 32), "CpuSet from EWRAM");
}
