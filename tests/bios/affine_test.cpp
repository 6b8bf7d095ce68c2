// BgAffineSet and ObjAffineSet against the rotation/scaling formulas, computed in long double.
//
// With the angle a = (theta >> 8) / 256 of a turn (the reference: only the upper 8 bits
// count) and 8.8 fixed-point scale factors sx, sy:
//   pa = sx cos a, pb = -sx sin a, pc = sy sin a, pd = sy cos a      (8.8 fixed point)
// the matrix mapping screen steps to texture steps, as in the reference's PA-PD description:
// a horizontal step (pa, pc) and a vertical step (pb, pd) at right angles to it, e.g. dx = dy
// = 1 going with dmx = -1, dmy = 1.
//
// Tolerance for pa-pd: 2 units of 1/256. The BIOS rounds each result down (up to 1 unit) and
// its sine table is rounded to 1/16384 (at most |s| / 32768 <= 1 unit for |s| <= 0x7FFF).
// BgAffineSet's start point must map the screen centre exactly onto the texture centre with
// the parameters it wrote: start = texture centre - (pa cx + pb cy, pc cx + pd cy) exactly;
// against the exact parameters it is then within 2 (|cx| + |cy|) + 1 units.
#include "harness.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

using namespace biostest;

namespace {

constexpr long double kPi = 3.141592653589793238462643383279502884L;

struct Exact {
    long double pa, pb, pc, pd;
};

Exact exact_matrix(std::int32_t sx, std::int32_t sy, std::uint32_t theta)
{
    long double a = static_cast<long double>((theta >> 8) & 0xFF) * 2 * kPi / 256;
    long double s = std::sin(a), c = std::cos(a);
    return {sx * c, -sx * s, sy * s, sy * c};
}

std::int16_t s16_at(const std::vector<std::uint8_t>& b, std::size_t at)
{
    return static_cast<std::int16_t>(b[at] | (b[at + 1] << 8));
}

std::int32_t s32_at(const std::vector<std::uint8_t>& b, std::size_t at)
{
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(b[at]) | (static_cast<std::uint32_t>(b[at + 1]) << 8) |
                                      (static_cast<std::uint32_t>(b[at + 2]) << 16) |
                                      (static_cast<std::uint32_t>(b[at + 3]) << 24));
}

void put16(std::vector<std::uint8_t>& b, std::uint32_t v)
{
    b.push_back(static_cast<std::uint8_t>(v));
    b.push_back(static_cast<std::uint8_t>(v >> 8));
}

void put32(std::vector<std::uint8_t>& b, std::uint32_t v)
{
    put16(b, v);
    put16(b, v >> 16);
}

struct BgSource {
    std::int32_t tx, ty;
    std::int16_t cx, cy, sx, sy;
    std::uint16_t theta;
};

constexpr std::uint32_t kSrc = kEwram + 0x1000;
constexpr std::uint32_t kDst = kEwram + 0x8000;

} // namespace

TEST(Affine, BgAffineSet)
{
    std::mt19937_64 rng(test_seed(0xB6));
    std::vector<BgSource> entries = {
        {0x1000, 0x2000, 120, 80, 0x100, 0x100, 0x0000}, // identity around (16, 32)
        {0, 0, 0, 0, 0x100, 0x100, 0x4000},              // quarter turn
        {0x8000, 0x8000, 120, 80, 0x200, 0x080, 0x2000}, // eighth turn, anisotropic
        {-0x5000, 0x7000, -10, 300, -0x100, 0x180, 0xC0FF}, // low angle bits ignored
        {0, 0, 240, 160, 0x7FFF, -0x7FFF, 0x8000},
    };
    for (int i = 0; i < 300; i++) {
        entries.push_back({static_cast<std::int32_t>(rng() % 0x200000) - 0x100000,
                           static_cast<std::int32_t>(rng() % 0x200000) - 0x100000,
                           static_cast<std::int16_t>(rng() % 512 - 128), static_cast<std::int16_t>(rng() % 512 - 128),
                           static_cast<std::int16_t>(rng() % 0xFFFF - 0x7FFF), static_cast<std::int16_t>(rng() % 0xFFFF - 0x7FFF),
                           static_cast<std::uint16_t>(rng())});
    }
    // Several calls, each with several entries: the 20-byte source and 16-byte destination
    // strides are part of what is tested.
    for (std::size_t first = 0; first < entries.size(); first += 7) {
        std::size_t count = std::min<std::size_t>(7, entries.size() - first);
        std::vector<std::uint8_t> src;
        for (std::size_t i = 0; i < count; i++) {
            const BgSource& e = entries[first + i];
            put32(src, static_cast<std::uint32_t>(e.tx));
            put32(src, static_cast<std::uint32_t>(e.ty));
            put16(src, static_cast<std::uint16_t>(e.cx));
            put16(src, static_cast<std::uint16_t>(e.cy));
            put16(src, static_cast<std::uint16_t>(e.sx));
            put16(src, static_cast<std::uint16_t>(e.sy));
            put16(src, e.theta);
            put16(src, 0xEEEE); // padding of the 20-byte entry
        }
        Machine m;
        m.write(kSrc, src);
        m.fill(kDst, 16 * count + 16, 0xA5);
        CpuState in = caller_state();
        in.r[0] = kSrc;
        in.r[1] = kDst;
        in.r[2] = static_cast<std::uint32_t>(count);
        auto res = m.swi(0x0E, in, first % 2 == 1);
        ASSERT_TRUE(res.ok) << res.error;
        expect_preserved(in, res.out, "BgAffineSet");
        auto out = m.read(kDst, 16 * count + 16);
        for (std::size_t i = 0; i < count; i++) {
            const BgSource& e = entries[first + i];
            std::size_t at = 16 * i;
            std::int32_t p[4] = {s16_at(out, at), s16_at(out, at + 2), s16_at(out, at + 4), s16_at(out, at + 6)};
            Exact x = exact_matrix(e.sx, e.sy, e.theta);
            long double want[4] = {x.pa, x.pb, x.pc, x.pd};
            for (int k = 0; k < 4; k++)
                ASSERT_LE(std::fabs(p[k] - want[k]), 2.0L)
                    << "entry " << first + i << " p" << "abcd"[k] << " = " << p[k] << ", exact " << static_cast<double>(want[k]);
            std::int32_t start_x = s32_at(out, at + 8), start_y = s32_at(out, at + 12);
            std::int64_t sx_exact = e.tx - (static_cast<std::int64_t>(p[0]) * e.cx + static_cast<std::int64_t>(p[1]) * e.cy);
            std::int64_t sy_exact = e.ty - (static_cast<std::int64_t>(p[2]) * e.cx + static_cast<std::int64_t>(p[3]) * e.cy);
            EXPECT_EQ(start_x, static_cast<std::int32_t>(sx_exact)) << "entry " << first + i << " start x";
            EXPECT_EQ(start_y, static_cast<std::int32_t>(sy_exact)) << "entry " << first + i << " start y";
            long double bound = 2.0L * (std::abs(e.cx) + std::abs(e.cy)) + 1;
            EXPECT_LE(std::fabs(start_x - (e.tx - (x.pa * e.cx + x.pb * e.cy))), bound) << "entry " << first + i;
            EXPECT_LE(std::fabs(start_y - (e.ty - (x.pc * e.cx + x.pd * e.cy))), bound) << "entry " << first + i;
        }
        EXPECT_EQ(std::vector<std::uint8_t>(out.end() - 16, out.end()), std::vector<std::uint8_t>(16, 0xA5))
            << "wrote past the last entry";
    }
}

// A quarter turn swaps the axes: pa = pd = 0, pb = -1, pc = 1, and the start point follows.
TEST(Affine, BgAffineSetKnownValues)
{
    Machine m;
    std::vector<std::uint8_t> src;
    put32(src, 0x1000);
    put32(src, 0x2000);
    put16(src, 120);
    put16(src, 80);
    put16(src, 0x100);
    put16(src, 0x100);
    put16(src, 0x4000);
    put16(src, 0);
    m.write(kSrc, src);
    CpuState in = caller_state();
    in.r[0] = kSrc;
    in.r[1] = kIo + 0x20; // straight into BG2PA-BG2Y, as games do
    in.r[2] = 1;
    auto res = m.swi(0x0E, in);
    ASSERT_TRUE(res.ok) << res.error;
    auto out = m.read(kIo + 0x20, 16);
    EXPECT_EQ(s16_at(out, 0), 0);       // pa = cos 90
    EXPECT_EQ(s16_at(out, 2), -0x100);  // pb = -sin 90
    EXPECT_EQ(s16_at(out, 4), 0x100);   // pc = sin 90
    EXPECT_EQ(s16_at(out, 6), 0);       // pd
    EXPECT_EQ(s32_at(out, 8), 0x1000 + 80 * 0x100);
    EXPECT_EQ(s32_at(out, 12), 0x2000 - 120 * 0x100);
}

// ObjAffineSet: 8-byte source entries (scale x, scale y, angle, padding); the four results go
// `stride` bytes apart, each entry's block 4 * stride after the previous one.
TEST(Affine, ObjAffineSet)
{
    std::mt19937_64 rng(test_seed(0x0B1));
    for (std::uint32_t stride : {2u, 8u, 6u}) {
        const std::size_t count = 40;
        std::vector<std::uint8_t> src;
        std::vector<Exact> want;
        for (std::size_t i = 0; i < count; i++) {
            auto sx = static_cast<std::int16_t>(i == 0 ? 0x100 : static_cast<std::int32_t>(rng() % 0xFFFF) - 0x7FFF);
            auto sy = static_cast<std::int16_t>(i == 0 ? 0x100 : static_cast<std::int32_t>(rng() % 0xFFFF) - 0x7FFF);
            auto theta = static_cast<std::uint16_t>(i == 0 ? 0 : rng());
            put16(src, static_cast<std::uint16_t>(sx));
            put16(src, static_cast<std::uint16_t>(sy));
            put16(src, theta);
            put16(src, 0xEEEE);
            want.push_back(exact_matrix(sx, sy, theta));
        }
        Machine m;
        m.write(kSrc, src);
        std::uint32_t dst = stride == 8 ? kOam + 6 : kDst; // OAM layout: parameters in attribute 3
        std::size_t span = 4 * stride * count + 16;
        m.fill(dst, span, 0xA5);
        CpuState in = caller_state();
        in.r[0] = kSrc;
        in.r[1] = dst;
        in.r[2] = static_cast<std::uint32_t>(count);
        in.r[3] = stride;
        auto res = m.swi(0x0F, in);
        ASSERT_TRUE(res.ok) << res.error;
        expect_preserved(in, res.out, "ObjAffineSet");
        auto out = m.read(dst, span);
        std::vector<bool> written(span, false);
        for (std::size_t i = 0; i < count; i++) {
            long double exact[4] = {want[i].pa, want[i].pb, want[i].pc, want[i].pd};
            for (std::size_t k = 0; k < 4; k++) {
                std::size_t at = (4 * i + k) * stride;
                ASSERT_LE(std::fabs(s16_at(out, at) - exact[k]), 2.0L)
                    << "stride " << stride << " entry " << i << " p" << "abcd"[k];
                written[at] = written[at + 1] = true;
            }
        }
        EXPECT_EQ(s16_at(out, 0), 0x100) << "identity pa";
        EXPECT_EQ(s16_at(out, stride), 0) << "identity pb";
        for (std::size_t b = 0; b < span; b++) {
            if (!written[b]) {
                ASSERT_EQ(out[b], 0xA5) << "stride " << stride << ": byte " << b << " between results changed";
            }
        }
    }
}
