#include <algorithm>

#include "core/memory/palette.h"
#include "tests/video/video_fixture.h"
#include "video/effects.h"

namespace {

constexpr unsigned TOP = 1, BOTTOM = 2;

// A pixel as the effects see it: the top layer's palette entry and target bits, and the entry and
// bits of what lies beneath.
struct Stack {
  unsigned top;
  std::uint8_t top_bits;
  unsigned below;
  std::uint8_t below_bits;
};
constexpr Stack BOTH = {TOP, TARGET_FIRST, BOTTOM, TARGET_SECOND};
constexpr Stack SEMI = {TOP, TARGET_FIRST | TARGET_SEMI | TARGET_OBJECT, BOTTOM, TARGET_SECOND};

class EffectsTest : public VideoTest {
 protected:
  static void colours(std::uint16_t top, std::uint16_t bottom) {
    machine.native_palette[TOP] = top;
    machine.native_palette[BOTTOM] = bottom;
  }
  static std::uint16_t run(TargetPass pass, Stack s) {
    std::uint16_t line[240] = {};
    line[7] = machine.native_palette[s.top];
    line_targets.top[7] = s.top_bits;
    line_targets.beneath[7] = machine.native_palette[s.below];
    line_targets.beneath_bits[7] = s.below_bits;
    pass(7, 8, line);
    return line[7];
  }
};

struct AlphaCase {
  unsigned eva, evb;
  std::uint16_t top, bottom, expected;
};
// Each channel: min(31 or 63, (top x EVA + bottom x EVB) / 16).
const AlphaCase ALPHA_CASES[] = {
    {12, 8, 0xFFFF, 0xFFFF, 0xFFFF},  // every channel overflows and saturates
    {8, 8, 0xFFFF, 0xFFFF, 0xFFFF},   {8, 8, 0xFFFF, 0x0000, 0x7BEF},  // 15, 31, 15
    {12, 8, 0xF800, 0x001F, 0xB80F},   // red 31 x 12 / 16 = 23, blue 31 x 8 / 16 = 15
    {12, 8, 0xF800, 0xF800, 0xF800},   // red alone saturates, others stay 0
    {12, 8, 0x07E0, 0x07E0, 0x07E0},   // green alone saturates
    {12, 8, 0x001F, 0x001F, 0x001F},   // blue alone saturates
    {16, 16, 0x0841, 0x0841, 0x1082},  // 1+1, 2+2, 1+1: no overflow on the saturating path
    {31, 0, 0x1234, 0x7FFF, 0x1234},   // EVA is taken as 16
    {4, 4, 0x001F, 0x001F, 0x000F},   {0, 16, 0x1234, 0xABCD, 0xABCD},
};

TEST_F(EffectsTest, AlphaBlendsEachChannelAndSaturatesOnlyAbove16) {
  for (const AlphaCase& c : ALPHA_CASES) {
    colours(c.top, c.bottom);
    set(IO_BLDALPHA, c.eva | c.evb << 8);
    EXPECT_EQ(run(alpha_targets, BOTH), c.expected) << c.eva << "/" << c.evb << " " << c.top;
  }
}

TEST_F(EffectsTest, AlphaNeedsBothTargets) {
  colours(0x1234, 0x4321);
  set(IO_BLDALPHA, 0x0808);
  EXPECT_EQ(run(alpha_targets, {TOP, 0, BOTTOM, TARGET_SECOND}), 0x1234);
  EXPECT_EQ(run(alpha_targets, {TOP, TARGET_FIRST, BOTTOM, 0}), 0x1234);
  EXPECT_EQ(run(alpha_targets, {BOTTOM, TARGET_SECOND, 0, 0}), 0x4321);
  // The backdrop as a first target has nothing beneath it to blend with.
  EXPECT_EQ(run(alpha_targets, {TOP, TARGET_FIRST | TARGET_BACKDROP, BOTTOM, TARGET_SECOND}),
            0x1234);
}

TEST_F(EffectsTest, SemiTransparentPassBlendsOnlySemiTransparentObjects) {
  colours(0xF800, 0x001F);
  set(IO_BLDALPHA, 0x080C);  // red 31 x 12 / 16 = 23, blue 31 x 8 / 16 = 15
  EXPECT_EQ(run(semi_transparent_targets, SEMI), 0xB80F);
  EXPECT_EQ(run(semi_transparent_targets, BOTH), 0xF800);  // a first target alone does not blend
  EXPECT_EQ(run(semi_transparent_targets, {TOP, SEMI.top_bits, BOTTOM, 0}), 0xF800);
}

// The hardware reference's formulas per 5-bit channel: I + (31 - I) x EVY / 16 and
// I - I x EVY / 16, EVY above 16 taken as 16.
unsigned brightened(unsigned i, unsigned evy) { return i + (31 - i) * std::min(evy, 16u) / 16; }
unsigned darkened(unsigned i, unsigned evy) { return i - i * std::min(evy, 16u) / 16; }
std::uint16_t console_colour(unsigned r, unsigned g, unsigned b) {
  return static_cast<std::uint16_t>(r | g << 5 | b << 10);
}

TEST_F(EffectsTest, BrightenAndDarkenFollowTheReferenceFormulaOnFirstTargetsOnly) {
  for (unsigned v = 0; v < 32; ++v) {
    unsigned r = v, g = 31 - v, b = v * 7 % 32;
    std::uint16_t colour = native_colour(console_colour(r, g, b));
    colours(colour, 0);
    for (unsigned evy = 0; evy <= 20; ++evy) {
      set(IO_BLDY, evy);
      const Stack first = {TOP, TARGET_FIRST, 0, 0}, second = {TOP, TARGET_SECOND, 0, 0};
      std::uint16_t up =
          native_colour(console_colour(brightened(r, evy), brightened(g, evy), brightened(b, evy)));
      std::uint16_t down =
          native_colour(console_colour(darkened(r, evy), darkened(g, evy), darkened(b, evy)));
      ASSERT_EQ(run(brighten_targets, first), up) << r << "," << g << "," << b << " EVY " << evy;
      ASSERT_EQ(run(darken_targets, first), down) << r << "," << g << "," << b << " EVY " << evy;
      ASSERT_EQ(run(brighten_semi_targets, first), up);
      ASSERT_EQ(run(darken_semi_targets, first), down);
      ASSERT_EQ(run(brighten_targets, second), colour);
      ASSERT_EQ(run(darken_semi_targets, second), colour);
    }
  }
}

// Semi-transparency takes priority over the fade where a second target lies beneath; an ordinary
// first target over a second target fades.
TEST_F(EffectsTest, FadeWithAlphaBlendsSemiTransparentPairsAndFadesTheRest) {
  colours(0xF800, 0x001F);
  set(IO_BLDALPHA, 0x0808);
  set(IO_BLDY, 16);
  EXPECT_EQ(run(brighten_semi_targets, SEMI), 0x780F);  // 31 x 8 / 16 = 15 red, 15 blue
  EXPECT_EQ(run(darken_semi_targets, SEMI), 0x780F);
  EXPECT_EQ(run(brighten_semi_targets, BOTH), 0xFFDF);  // fully white
  EXPECT_EQ(run(darken_semi_targets, BOTH), 0x0000);
  EXPECT_EQ(run(brighten_semi_targets, {TOP, SEMI.top_bits, BOTTOM, 0}),
            0xFFDF);  // nothing beneath
  EXPECT_EQ(run(darken_semi_targets, {TOP, TARGET_SECOND, 0, 0}), 0xF800);
  set(IO_BLDALPHA, 0x080C);
  colours(0xF800, 0xF800);
  EXPECT_EQ(run(darken_semi_targets, SEMI), 0xF800);  // the saturating form here too
}

}  // namespace
