#include "video/effects.h"
#include "tests/video/video_fixture.h"

namespace {

constexpr std::uint32_t TOP = 1, BOTTOM = 2;
constexpr std::uint32_t BOTH = TOP | TAG_FIRST | (BOTTOM | TAG_SECOND) << 16;

class EffectsTest : public VideoTest {
 protected:
  static void colours(std::uint16_t top, std::uint16_t bottom) {
    machine.native_palette[TOP] = top;
    machine.native_palette[BOTTOM] = bottom;
  }
  static std::uint16_t run32(Pass32 pass, std::uint32_t entry) {
    std::uint32_t source[240] = {};
    std::uint16_t dest[240] = {};
    source[7] = entry;
    pass(7, 8, source, dest);
    return dest[7];
  }
  static std::uint16_t run16(Pass16 pass, std::uint16_t pixel) {
    std::uint16_t line[240] = {};
    line[7] = pixel;
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
    EXPECT_EQ(run32(alpha_pass, BOTH), c.expected) << c.eva << "/" << c.evb << " " << c.top;
  }
}

TEST_F(EffectsTest, AlphaNeedsBothTargets) {
  colours(0x1234, 0x4321);
  set(IO_BLDALPHA, 0x0808);
  EXPECT_EQ(run32(alpha_pass, TOP | (BOTTOM | TAG_SECOND) << 16), 0x1234);
  EXPECT_EQ(run32(alpha_pass, TOP | TAG_FIRST | BOTTOM << 16), 0x1234);
  EXPECT_EQ(run32(alpha_pass, BOTTOM | TAG_SECOND), 0x4321);
}

struct FadeCase {
  bool brighten;
  unsigned evy;
  std::uint16_t colour, expected;
};
const FadeCase FADE_CASES[] = {
    {true, 20, 0x0000, 0xFFFF}, {true, 16, 0x1234, 0xFFFF},  {true, 8, 0x0000, 0x7BEF},
    {true, 8, 0xFFFF, 0xF7DE},  // each half truncates: 15 + 15 = 30, 31 + 31 = 62
    {true, 0, 0x1234, 0x1234},  {false, 20, 0xFFFF, 0x0000}, {false, 8, 0xFFFF, 0x7BEF},
    {false, 4, 0xF800, 0xB800},  // 31 x 12 / 16 = 23
};

TEST_F(EffectsTest, BrightenAndDarkenOnlyFirstTargets) {
  for (const FadeCase& c : FADE_CASES) {
    colours(c.colour, 0);
    set(IO_BLDY, c.evy);
    Pass16 pass = c.brighten ? brighten_pass : darken_pass;
    EXPECT_EQ(run16(pass, static_cast<std::uint16_t>(TOP | TAG_FIRST)), c.expected)
        << c.evy << " " << c.colour;
    EXPECT_EQ(run16(pass, static_cast<std::uint16_t>(TOP | TAG_SECOND)), c.colour);
  }
}

TEST_F(EffectsTest, FadeWithAlphaBlendsPairsAndFadesLoneFirstTargets) {
  colours(0xFFFF, 0x0000);
  set(IO_BLDALPHA, 0x0808);
  set(IO_BLDY, 16);
  EXPECT_EQ(run32(brighten_alpha_pass, BOTH), 0x7BEF);
  EXPECT_EQ(run32(darken_alpha_pass, BOTH), 0x7BEF);
  EXPECT_EQ(run32(brighten_alpha_pass, BOTTOM | TAG_FIRST), 0xFFFF);
  EXPECT_EQ(run32(darken_alpha_pass, TOP | TAG_FIRST), 0x0000);
  EXPECT_EQ(run32(darken_alpha_pass, TOP | TAG_SECOND), 0xFFFF);
  set(IO_BLDALPHA, 0x080C);
  colours(0xF800, 0xF800);
  EXPECT_EQ(run32(darken_alpha_pass, BOTH), 0xF800);  // the saturating form here too
}

}  // namespace
