// Div, DivArm, Sqrt, ArcTan and ArcTan2 against the reference's definitions, computed here in
// 64-bit integers or long double.
#include "harness.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <random>
#include <vector>

using namespace biostest;

namespace {

constexpr long double kPi = 3.141592653589793238462643383279502884L;

struct DivExpect {
    std::uint32_t quotient, remainder, magnitude;
};

// Div: quotient truncated toward zero, remainder with the sign of the number, r3 = |quotient|,
// all as 32-bit values (so INT_MIN / -1 wraps to INT_MIN).
DivExpect reference_div(std::int32_t number, std::int32_t denom)
{
    std::int64_t q = static_cast<std::int64_t>(number) / denom;
    std::int64_t r = static_cast<std::int64_t>(number) % denom;
    return {static_cast<std::uint32_t>(q), static_cast<std::uint32_t>(r),
            static_cast<std::uint32_t>(q < 0 ? -q : q)};
}

std::int32_t random_operand(std::mt19937_64& rng)
{
    // Spread over all magnitudes, not only huge ones.
    unsigned bits = static_cast<unsigned>(rng() % 33);
    std::uint64_t v = bits == 0 ? 0 : rng() >> (64 - bits);
    auto value = static_cast<std::int32_t>(static_cast<std::uint32_t>(v));
    return rng() % 2 ? value : static_cast<std::int32_t>(0u - static_cast<std::uint32_t>(value));
}

class Arith : public ::testing::Test {
protected:
    // Div (SWI 6) or DivArm (SWI 7) with the operands in the registers each expects.
    RunResult divide(std::int32_t number, std::int32_t denom, bool div_arm, bool thumb)
    {
        CpuState in = caller_state();
        in.r[0] = static_cast<std::uint32_t>(div_arm ? denom : number);
        in.r[1] = static_cast<std::uint32_t>(div_arm ? number : denom);
        auto res = m.swi(div_arm ? 0x07 : 0x06, in, thumb, 10000);
        if (res.ok)
            expect_preserved(in, res.out, "Div");
        return res;
    }

    void check_div(std::int32_t number, std::int32_t denom, bool div_arm, bool thumb)
    {
        auto res = divide(number, denom, div_arm, thumb);
        ASSERT_TRUE(res.ok) << number << " / " << denom << ": " << res.error;
        DivExpect e = reference_div(number, denom);
        EXPECT_EQ(res.out.r[0], e.quotient) << number << " / " << denom << (div_arm ? " (DivArm)" : "");
        EXPECT_EQ(res.out.r[1], e.remainder) << number << " % " << denom << (div_arm ? " (DivArm)" : "");
        EXPECT_EQ(res.out.r[3], e.magnitude) << "|" << number << " / " << denom << "|";
    }

    Machine m;
};

} // namespace

TEST_F(Arith, DivEdgeCases)
{
    struct Case {
        std::int32_t number, denom;
    };
    const Case cases[] = {
        {-1234, 10}, // the reference's example: -123, -4, 123
        {1234, 10},      {1234, -10},     {-1234, -10},    {0, 5},          {0, -5},
        {7, 7},          {6, 7},          {-6, 7},         {1, 1},          {-1, 1},
        {INT_MIN, -1},   {INT_MIN, 1},    {INT_MIN, INT_MIN}, {INT_MIN, INT_MAX}, {INT_MAX, INT_MIN},
        {INT_MAX, 1},    {INT_MAX, -1},   {INT_MAX, 2},    {INT_MIN, 2},    {INT_MIN, 3},
        {INT_MAX, INT_MAX}, {-2, INT_MIN}, {0x40000000, 0x40000001}, {0x7FFFFFFF, 0x40000000},
        {100000, 3},     {-100000, 3},    {99, 100},       {-99, 100},
    };
    for (const Case& c : cases)
        for (bool div_arm : {false, true})
            for (bool thumb : {false, true})
                check_div(c.number, c.denom, div_arm, thumb);
    // The reference's example, spelled out.
    auto res = divide(-1234, 10, false, false);
    ASSERT_TRUE(res.ok) << res.error;
    EXPECT_EQ(static_cast<std::int32_t>(res.out.r[0]), -123);
    EXPECT_EQ(static_cast<std::int32_t>(res.out.r[1]), -4);
    EXPECT_EQ(res.out.r[3], 123u);
}

TEST_F(Arith, DivRandom)
{
    std::mt19937_64 rng(test_seed(0xD1D));
    for (int i = 0; i < 3000; i++) {
        std::int32_t number = random_operand(rng);
        std::int32_t denom = random_operand(rng);
        if (denom == 0)
            denom = 1;
        check_div(number, denom, i % 3 == 0, i % 2 == 0);
        if (::testing::Test::HasFailure())
            break;
    }
}

// The console hangs on a zero denominator; ours must return promptly. Our documented answer is
// quotient 0, remainder = number, |quotient| 0.
TEST_F(Arith, DivByZeroReturns)
{
    const std::int32_t numbers[] = {0, 1, -1, 1234, INT_MIN, INT_MAX};
    for (std::int32_t n : numbers) {
        for (bool div_arm : {false, true}) {
            auto res = divide(n, 0, div_arm, false);
            ASSERT_TRUE(res.ok) << n << " / 0: " << res.error;
            EXPECT_EQ(res.out.r[0], 0u);
            EXPECT_EQ(res.out.r[1], static_cast<std::uint32_t>(n));
            EXPECT_EQ(res.out.r[3], 0u);
        }
    }
}

namespace {

std::uint32_t reference_sqrt(std::uint32_t n)
{
    auto r = static_cast<std::uint64_t>(std::sqrt(static_cast<long double>(n)));
    while (r * r > n)
        r--;
    while ((r + 1) * (r + 1) <= n)
        r++;
    return static_cast<std::uint32_t>(r);
}

} // namespace

TEST_F(Arith, Sqrt)
{
    std::vector<std::uint32_t> inputs = {0, 1, 2, 3, 4, 5, 8, 9, 10, 15, 16, 17, 99, 100, 101,
                                         0x3FFFFFFF, 0x40000000, 0x40000001, 0x7FFFFFFF, 0x80000000,
                                         0xFFFE0000, 0xFFFE0001, 0xFFFE0002, 0xFFFFFFFF};
    for (std::uint32_t k = 1; k < 65536; k += 251) { // perfect squares and their neighbours
        inputs.push_back(k * k);
        inputs.push_back(k * k - 1);
        inputs.push_back(k * k + 1);
    }
    std::mt19937_64 rng(test_seed(0x5157));
    for (int i = 0; i < 2000; i++)
        inputs.push_back(static_cast<std::uint32_t>(rng() >> (32 + rng() % 32)));
    for (std::uint32_t n : inputs) {
        CpuState in = caller_state();
        in.r[0] = n;
        auto res = m.swi(0x08, in, n % 2 == 1, 10000);
        ASSERT_TRUE(res.ok) << n << ": " << res.error;
        ASSERT_EQ(res.out.r[0], reference_sqrt(n)) << "Sqrt(" << n << ")";
        expect_preserved(in, res.out, "Sqrt");
    }
    // The reference's hint: Sqrt(2 << 30) gives 1.41421 << 15.
    CpuState in = caller_state();
    in.r[0] = 0x80000000;
    auto res = m.swi(0x08, in);
    ASSERT_TRUE(res.ok);
    EXPECT_EQ(res.out.r[0], 46340u);
}

// ArcTan: r0 = tangent in 1.14 fixed point; result in units of a quarter turn / 0x4000, signed.
// Tolerance 0.6 units: rounding to the nearest unit (0.5) plus 0.1 for the fixed-point steps.
// Unlike the console's routine, ours is accurate beyond +-45 degrees too, so the bound holds
// for every input.
TEST_F(Arith, ArcTanAllInputs)
{
    for (std::uint32_t t = 0; t < 0x10000; t += 3) {
        CpuState in = caller_state();
        in.r[0] = t;
        auto res = m.swi(0x09, in, t % 2 == 1, 10000);
        ASSERT_TRUE(res.ok) << t << ": " << res.error;
        auto tangent = static_cast<std::int16_t>(t);
        long double exact = std::atan(tangent / 16384.0L) * 0x8000 / kPi;
        auto got = static_cast<std::int32_t>(res.out.r[0]);
        ASSERT_LE(std::fabs(static_cast<long double>(got) - exact), 0.6L)
            << "ArcTan(" << tangent << "/16384) = " << got << ", exact " << static_cast<double>(exact);
        expect_preserved(in, res.out, "ArcTan");
    }
}

namespace {

// atan2 in 0x10000 units per turn, in [0, 0x10000).
long double reference_atan2(std::int32_t x, std::int32_t y)
{
    long double a = std::atan2(static_cast<long double>(y), static_cast<long double>(x)) * 0x8000 / kPi;
    if (a < 0)
        a += 0x10000;
    return a;
}

long double circular_distance(long double a, long double b)
{
    long double d = std::fabs(a - b);
    return std::min(d, 0x10000 - d);
}

} // namespace

// ArcTan2: r0 = x, r1 = y; result 0x0000-0xFFFF for 0 <= theta < 2 pi. Same tolerance as
// ArcTan, measured around the circle. (0, 0) has no direction; ours returns 0.
TEST_F(Arith, ArcTan2)
{
    struct Point {
        std::int32_t x, y;
    };
    std::vector<Point> points = {
        {0x4000, 0},  {0, 0x4000},   {-0x4000, 0},  {0, -0x4000}, {0x4000, 0x4000},  {-0x4000, 0x4000},
        {-0x4000, -0x4000}, {0x4000, -0x4000}, {1, 0}, {0, 1},    {-1, 0},          {0, -1},
        {-32768, -32768}, {32767, -32768}, {-32768, 32767}, {32767, 32767}, {1, 32767}, {-32768, 1},
        {-32768, -1}, {3, -1},       {-1, -1},      {1, 1},       {2, 1},           {-32768, 0},
    };
    std::mt19937_64 rng(test_seed(0xA7A2));
    for (int i = 0; i < 3000; i++) {
        int range = i % 3 == 0 ? 8 : 65536;
        points.push_back({static_cast<std::int32_t>(rng() % static_cast<unsigned>(range)) - range / 2,
                          static_cast<std::int32_t>(rng() % static_cast<unsigned>(range)) - range / 2});
    }
    for (const Point& p : points) {
        CpuState in = caller_state();
        in.r[0] = static_cast<std::uint32_t>(p.x);
        in.r[1] = static_cast<std::uint32_t>(p.y);
        auto res = m.swi(0x0A, in, (p.x & 1) != 0, 10000);
        ASSERT_TRUE(res.ok) << res.error;
        if (p.x == 0 && p.y == 0) {
            EXPECT_EQ(res.out.r[0], 0u);
            continue;
        }
        ASSERT_LE(res.out.r[0], 0xFFFFu) << "not a 16-bit angle";
        long double exact = reference_atan2(p.x, p.y);
        ASSERT_LE(circular_distance(res.out.r[0], exact), 0.6L)
            << "ArcTan2(" << p.x << ", " << p.y << ") = " << res.out.r[0] << ", exact " << static_cast<double>(exact);
        expect_preserved(in, res.out, "ArcTan2");
    }
    // Only the low 16 bits of each register are the argument.
    CpuState in = caller_state();
    in.r[0] = 0xABCD0000u | 0xC000u; // x = -0x4000
    in.r[1] = 0x12340000u;           // y = 0
    auto res = m.swi(0x0A, in);
    ASSERT_TRUE(res.ok);
    EXPECT_EQ(res.out.r[0], 0x8000u);
}
