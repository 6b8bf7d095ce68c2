// Decompression functions and BitUnPack: round trips through the encoders in codecs.cpp, a few
// hand-made streams from the reference's own examples, and checks that the "Vram" variants
// only ever write aligned halfwords.
#include "codecs.h"
#include "harness.h"

#include <gtest/gtest.h>

#include <random>

using namespace biostest;

namespace {

constexpr std::uint32_t kSource = kEwram;             // compressed data
constexpr std::uint32_t kWramDest = kEwram + 0x20000; // "Wram" output
constexpr std::uint32_t kVramDest = kVram + 0x100;    // "Vram" output
constexpr std::uint32_t kGuard = 0x20;
constexpr std::uint8_t kGuardByte = 0xC3;

enum Fn : unsigned {
    kBitUnPack = 0x10,
    kLz77Wram = 0x11,
    kLz77Vram = 0x12,
    kHuff = 0x13,
    kRlWram = 0x14,
    kRlVram = 0x15,
    kDiff8Wram = 0x16,
    kDiff8Vram = 0x17,
    kDiff16 = 0x18,
};

bool is_vram_variant(unsigned fn) { return fn == kLz77Vram || fn == kRlVram || fn == kDiff8Vram; }

class Decompress : public ::testing::Test {
protected:
    Decompress() { m.log_writes(kVram, kVram + kVramSize); }

    // Decodes `stream` with function `fn` and checks the output equals `expected`, with the
    // guard bytes after it (to `round_to` bytes past the output, and kGuard more) untouched.
    void check(unsigned fn, const Bytes& stream, const Bytes& expected, const std::string& what,
               std::size_t written_size = 0)
    {
        std::uint32_t dest = (fn == kLz77Vram || fn == kRlVram || fn == kDiff8Vram || fn == kDiff16 ||
                              fn == kHuff)
                                 ? kVramDest
                                 : kWramDest;
        if (written_size == 0)
            written_size = expected.size();
        m.write(kSource, stream);
        m.fill(dest - kGuard, written_size + 2 * kGuard, kGuardByte);
        m.writes.clear();
        CpuState in = caller_state();
        in.r[0] = kSource;
        in.r[1] = dest;
        auto res = m.swi(fn, in, expected.size() % 2 == 1);
        ASSERT_TRUE(res.ok) << what << ": " << res.error;
        expect_preserved(in, res.out, what.c_str());
        auto got = m.read(dest, expected.size());
        ASSERT_EQ(got, expected) << what;
        EXPECT_EQ(m.read(dest - kGuard, kGuard), Bytes(kGuard, kGuardByte)) << what << ": wrote before the output";
        EXPECT_EQ(m.read(dest + static_cast<std::uint32_t>(written_size), kGuard), Bytes(kGuard, kGuardByte))
            << what << ": wrote past the output";
        if (is_vram_variant(fn) || fn == kDiff16) {
            for (const MemWrite& w : m.writes) {
                ASSERT_EQ(w.size, 2) << what << ": " << w.size << "-byte write at " << std::hex << w.address;
                ASSERT_EQ(w.address % 2, 0u) << what << ": misaligned write at " << std::hex << w.address;
            }
        }
    }

    Machine m;
};

struct DataSet {
    const char* name;
    Bytes data;
};

std::vector<DataSet> data_sets(std::mt19937_64& rng)
{
    std::vector<DataSet> sets;
    sets.push_back({"empty", {}});
    sets.push_back({"one byte", {0x5A}});
    sets.push_back({"two bytes", {0x01, 0x02}});
    sets.push_back({"three equal", {7, 7, 7}});
    sets.push_back({"text", text_like(rng, 3001)});
    sets.push_back({"random", random_bytes(rng, 2048)});
    sets.push_back({"runs", with_runs(rng, 4099)});
    sets.push_back({"zeros", Bytes(1000, 0)});
    Bytes ramp;
    for (int i = 0; i < 700; i++)
        ramp.push_back(static_cast<std::uint8_t>(i * 3));
    sets.push_back({"ramp", ramp});
    Bytes pattern;
    for (int i = 0; i < 5000; i++)
        pattern.push_back(static_cast<std::uint8_t>("ABCDEFG"[i % 7]));
    sets.push_back({"period 7", pattern});
    return sets;
}

} // namespace

TEST_F(Decompress, Lz77RoundTrips)
{
    std::mt19937_64 rng(test_seed(0x1277));
    for (const DataSet& set : data_sets(rng)) {
        Bytes any_distance = lz77_compress(set.data, 1);
        check(kLz77Wram, any_distance, set.data, std::string("LZ77 Wram, ") + set.name);
        // Streams the console's Vram function can also decode (no displacement 0)...
        Bytes vram_safe = lz77_compress(set.data, 2);
        check(kLz77Vram, vram_safe, set.data, std::string("LZ77 Vram, ") + set.name);
        check(kLz77Wram, vram_safe, set.data, std::string("LZ77 Wram (distance >= 2), ") + set.name);
        // ...and ours decodes displacement 0 correctly as well.
        check(kLz77Vram, any_distance, set.data, std::string("LZ77 Vram (distance 1), ") + set.name);
    }
}

// A stream built by hand from the format description: literals, a reference to distance 1 that
// overlaps its own output, and a block cut short by the size in the header.
TEST_F(Decompress, Lz77HandMadeStream)
{
    Bytes stream = {
        0x10, 12, 0, 0,     // LZ77, 12 bytes
        0x50,               // flags 0101 0000: blocks 2 and 4 are references
        'a', 0x10, 0x00,    // 'a', then 4 bytes from distance 1: "aaaa"
        'b', 0xF0, 0x05,    // 'b', then 18 bytes from distance 6 - cut at 12 bytes total
        0, 0, 0,
    };
    const std::string expected = "aaaaab" "aaaaab";
    check(kLz77Wram, stream, Bytes(expected.begin(), expected.end()), "hand-made LZ77 Wram");
    check(kLz77Vram, stream, Bytes(expected.begin(), expected.end()), "hand-made LZ77 Vram");
}

TEST_F(Decompress, RunLengthRoundTrips)
{
    std::mt19937_64 rng(test_seed(0x7E));
    for (const DataSet& set : data_sets(rng)) {
        Bytes stream = rl_compress(set.data);
        check(kRlWram, stream, set.data, std::string("RL Wram, ") + set.name);
        check(kRlVram, stream, set.data, std::string("RL Vram, ") + set.name);
    }
    // Longest run and longest literal block.
    Bytes edge(130, 0x11);
    for (int i = 0; i < 128; i++)
        edge.push_back(static_cast<std::uint8_t>(i));
    check(kRlWram, rl_compress(edge), edge, "RL limits");
    check(kRlVram, rl_compress(edge), edge, "RL limits, Vram");
}

TEST_F(Decompress, DiffFiltersRoundTrip)
{
    std::mt19937_64 rng(test_seed(0xD1FF));
    for (const DataSet& set : data_sets(rng)) {
        Bytes stream = diff8_filter(set.data);
        check(kDiff8Wram, stream, set.data, std::string("Diff8 Wram, ") + set.name);
        check(kDiff8Vram, stream, set.data, std::string("Diff8 Vram, ") + set.name);
        std::vector<std::uint16_t> units;
        for (std::size_t i = 0; i + 1 < set.data.size(); i += 2)
            units.push_back(static_cast<std::uint16_t>(set.data[i] | (set.data[i + 1] << 8)));
        Bytes expected;
        for (std::uint16_t u : units) {
            expected.push_back(static_cast<std::uint8_t>(u));
            expected.push_back(static_cast<std::uint8_t>(u >> 8));
        }
        check(kDiff16, diff16_filter(units), expected, std::string("Diff16, ") + set.name);
    }
    // The reference's illustration: 10..19 filters to 10, +1, +1, ...
    Bytes filtered = {0x81, 10, 0, 0, 10, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0};
    Bytes expected = {10, 11, 12, 13, 14, 15, 16, 17, 18, 19};
    check(kDiff8Wram, filtered, expected, "reference example");
}

// The reference's example tree: "Huff" in 6 bits 10-11-0-0, root.0 = 'f', root.1 a node with
// 'H' and 'u'.
TEST_F(Decompress, HuffmanReferenceExample)
{
    Bytes stream = {
        0x28, 4, 0, 0,             // 8-bit Huffman, 4 bytes
        3,                         // tree table 8 bytes from here: (3 + 1) * 2
        0x80,                      // root: child 0 is data, children at pair 0
        'f', 0xC0,                 // pair 0: 'f', node with both children data, at pair 1
        'H', 'u',                  // pair 1
        0, 0,                      // padding to the bitstream
        0x00, 0x00, 0x00, 0xB0,    // 1011 00..., first bit in bit 31
    };
    check(kHuff, stream, {'H', 'u', 'f', 'f'}, "Huff");
}

TEST_F(Decompress, HuffmanRoundTrips)
{
    std::mt19937_64 rng(test_seed(0x4FF));
    std::vector<DataSet> sets = data_sets(rng);
    // All 256 byte values equally often: the complete 8-level tree, whose deepest child offsets
    // reach the 6-bit limit of 63.
    Bytes every;
    for (int rep = 0; rep < 8; rep++)
        for (int v = 0; v < 256; v++)
            every.push_back(static_cast<std::uint8_t>(v));
    std::shuffle(every.begin(), every.end(), rng);
    sets.push_back({"all values", every});
    Bytes skewed;
    for (int i = 0; i < 3000; i++)
        skewed.push_back(static_cast<std::uint8_t>(std::min<unsigned>(63, static_cast<unsigned>(
                                                                           std::geometric_distribution<>(0.15)(rng)))));
    sets.push_back({"skewed", skewed});
    for (const DataSet& set : sets) {
        for (unsigned width : {4u, 8u}) {
            Bytes stream = huff_compress(set.data, width);
            // Output goes out in whole words: a partial last word is written, zero-filled.
            Bytes expected = set.data;
            while (expected.size() % 4)
                expected.push_back(0);
            check(kHuff, stream, expected,
                  std::string("Huffman ") + std::to_string(width) + "-bit, " + set.name);
        }
    }
    // 4-bit units handle any byte data.
    Bytes random = random_bytes(rng, 1500);
    check(kHuff, huff_compress(random, 4), random, "Huffman 4-bit, random");
}

namespace {

struct UnpackCase {
    unsigned src_width, dst_width;
    std::uint32_t offset;
    bool add_to_zero;
};

} // namespace

TEST_F(Decompress, BitUnPack)
{
    const UnpackCase cases[] = {
        {1, 4, 0, false},  {1, 4, 1, false},  {1, 4, 2, true},    {1, 8, 0x10, false}, {1, 1, 0, false},
        {1, 2, 1, true},   {2, 4, 3, false},  {2, 8, 0x40, true}, {2, 2, 0, false},    {4, 8, 0, false},
        {4, 8, 0x80, false}, {4, 8, 0x80, true}, {4, 16, 0x1234, true}, {4, 32, 0x7FFFFFF0, true},
        {8, 16, 0x100, false}, {8, 32, 0, false}, {8, 32, 0x12345678, true}, {8, 8, 0, false},
        {1, 32, 5, false}, {2, 16, 0xFFFF, true},
    };
    std::mt19937_64 rng(test_seed(0xB17));
    const std::uint32_t info_at = kEwram + 0x8000;
    for (const UnpackCase& c : cases) {
        for (std::size_t length : {std::size_t{1}, std::size_t{4}, std::size_t{37}, std::size_t{256}}) {
            Bytes source = random_bytes(rng, length);
            // Source needs no alignment: put it at an odd address.
            m.write(kSource + 1, source);
            std::uint32_t flags = c.offset | (c.add_to_zero ? 0x80000000u : 0u);
            Bytes info = {static_cast<std::uint8_t>(length), static_cast<std::uint8_t>(length >> 8),
                          static_cast<std::uint8_t>(c.src_width), static_cast<std::uint8_t>(c.dst_width),
                          static_cast<std::uint8_t>(flags), static_cast<std::uint8_t>(flags >> 8),
                          static_cast<std::uint8_t>(flags >> 16), static_cast<std::uint8_t>(flags >> 24)};
            m.write(info_at, info);
            Bytes expected = bit_unpack_expected(source, c.src_width, c.dst_width, c.offset, c.add_to_zero);
            std::string what = "BitUnPack " + std::to_string(c.src_width) + "->" + std::to_string(c.dst_width) +
                               " offset " + std::to_string(c.offset) + (c.add_to_zero ? " +zero" : "") +
                               ", " + std::to_string(length) + " bytes";
            for (std::uint32_t dest : {kWramDest, kVramDest}) {
                m.fill(dest, expected.size() + kGuard, kGuardByte);
                m.writes.clear();
                CpuState in = caller_state();
                in.r[0] = kSource + 1;
                in.r[1] = dest;
                in.r[2] = info_at;
                auto res = m.swi(kBitUnPack, in);
                ASSERT_TRUE(res.ok) << what << ": " << res.error;
                expect_preserved(in, res.out, what.c_str());
                ASSERT_EQ(m.read(dest, expected.size()), expected) << what;
                EXPECT_EQ(m.read(dest + static_cast<std::uint32_t>(expected.size()), kGuard),
                          Bytes(kGuard, kGuardByte))
                    << what << ": wrote past the output";
                for (const MemWrite& w : m.writes)
                    ASSERT_EQ(w.size, 4) << what << ": not written in 32-bit units";
            }
        }
    }
}

// One byte 0b10110001 of a 1-bit font becomes the 4-bit tile row 1,0,0,0,1,1,0,1 (bit 0 first),
// with colour 0 kept transparent and 1 turned into colour 1 + offset.
TEST_F(Decompress, BitUnPackFontRow)
{
    m.write8(kSource, 0xB1);
    Bytes info = {1, 0, 1, 4, 2, 0, 0, 0}; // 1 byte, 1 -> 4 bits, offset 2
    m.write(kEwram + 0x8000, info);
    CpuState in = caller_state();
    in.r[0] = kSource;
    in.r[1] = kWramDest;
    in.r[2] = kEwram + 0x8000;
    auto res = m.swi(kBitUnPack, in);
    ASSERT_TRUE(res.ok) << res.error;
    EXPECT_EQ(m.read32(kWramDest), 0x30330003u);
}
