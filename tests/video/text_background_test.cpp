#include "tests/video/video_fixture.h"

namespace {

constexpr std::uint32_t SCREEN_BLOCK = 8;  // map at 16 KB, clear of the tiles at 0
constexpr std::uint32_t MAP = SCREEN_BLOCK * 2048;

// BG0 alone in mode 0 with the given BG0CNT bits above the screen base.
void bg0_only(std::uint32_t control) {
  io_store16(IO_DISPCNT, 0x0100);
  io_store16(IO_BG0CNT, control | SCREEN_BLOCK << 8);
}

// 16-colour tile 1: pixel c of every row holds nibble c + 1.
void counting_tile16() {
  for (unsigned row = 0; row < 8; ++row) {
    for (unsigned c = 0; c < 8; c += 2) {
      machine.vram_data[32 + row * 4 + c / 2] = static_cast<std::uint8_t>((c + 1) | (c + 2) << 4);
    }
  }
}

class TextBackgroundTest : public VideoTest {};

TEST_F(TextBackgroundTest, WrapsA256WideMapAtHofs250) {
  bg0_only(0x80);
  for (unsigned c = 0; c < 32; ++c) {
    solid_tile(0, 1 + c, static_cast<std::uint8_t>(1 + c));
    vram16(MAP + c * 2, 1 + c);
  }
  set(IO_BG0HOFS, 250);
  auto line = draw(0);
  for (unsigned x = 0; x < 6; ++x) EXPECT_EQ(line[x], 32) << x;  // column 31
  EXPECT_EQ(line[6], 1);                                         // column 0 of the same row
  EXPECT_EQ(line[13], 1);
  EXPECT_EQ(line[14], 2);
  EXPECT_EQ(line[239], 1 + (239 - 6) / 8);
}

TEST_F(TextBackgroundTest, Hofs3DrawsPartialFirstAndLastTiles) {
  bg0_only(0);
  counting_tile16();
  for (unsigned c = 0; c < 32; ++c) vram16(MAP + c * 2, 1 | (c & 15) << 12);
  set(IO_BG0HOFS, 3);
  auto line = draw(0);
  for (unsigned p = 0; p < 240; ++p) {
    unsigned x = p + 3;
    EXPECT_EQ(line[p], ((x / 8) & 15) * 16 + x % 8 + 1) << p;
  }
  EXPECT_EQ(line[0], 4);              // pixel 3 of the first tile
  EXPECT_EQ(line[239], 14 * 16 + 3);  // a three-pixel last tile of column 30
}

TEST_F(TextBackgroundTest, Map512x512AtY300ReadsTheLowerBlocks) {
  bg0_only(0xC080);
  // Row 5 of each of the four blocks names tiles by block and column; every other row is empty.
  for (unsigned block = 0; block < 4; ++block) {
    for (unsigned c = 0; c < 32; ++c) {
      unsigned tile = 1 + c + 32 * block;
      solid_tile(0, tile, static_cast<std::uint8_t>(tile));
      vram16(MAP + block * 2048 + 5 * 64 + c * 2, tile);
    }
  }
  set(IO_BG0VOFS, 200);
  set(IO_BG0HOFS, 200);
  auto line = draw(100);            // y = 300: row 5 of the lower half
  EXPECT_EQ(line[0], 1 + 25 + 64);  // x = 200: block 2 (lower left), column 25
  EXPECT_EQ(line[55], 1 + 31 + 64);
  EXPECT_EQ(line[56], 1 + 0 + 96);  // x = 256: block 3 (lower right)
  EXPECT_EQ(line[239], 1 + 183 / 8 + 96);
}

TEST_F(TextBackgroundTest, NibbleZeroShowsTheBackdropNotThePaletteEntry) {
  bg0_only(0);
  machine.vram_data[32] = 0x30;  // tile 1, row 0: pixel 0 nibble 0, pixel 1 nibble 3
  for (unsigned c = 0; c < 32; ++c) vram16(MAP + c * 2, 1 | 5 << 12);
  auto line = draw(0);
  EXPECT_EQ(line[0], BACKDROP);
  EXPECT_EQ(line[1], 5 * 16 + 3);
  EXPECT_EQ(line[2], BACKDROP);  // a whole empty word
}

TEST_F(TextBackgroundTest, FlippedTileReadsRowSevenMinusRBackwards) {
  bg0_only(0x80);
  for (unsigned i = 0; i < 64; ++i) machine.vram_data[64 + i] = static_cast<std::uint8_t>(i + 1);
  vram16(MAP, 1 | 0x0C00);
  vram16(MAP + 2, 1 | 0x0400);
  vram16(MAP + 4, 1 | 0x0800);
  auto line = draw(2);  // tile row 2
  for (unsigned c = 0; c < 8; ++c) {
    EXPECT_EQ(line[c], (7 - 2) * 8 + (7 - c) + 1) << "both flips, pixel " << c;
    EXPECT_EQ(line[8 + c], 2 * 8 + (7 - c) + 1) << "horizontal flip, pixel " << c;
    EXPECT_EQ(line[16 + c], (7 - 2) * 8 + c + 1) << "vertical flip, pixel " << c;
  }
}

// The plain store of each form for one opaque pixel (BG1, palette entry 9) over BG0's pixel 0x21
// and for one transparent pixel.
TEST_F(TextBackgroundTest, PlainFormsStoreColoursOrShowTheBackdrop) {
  io_store16(IO_BG0CNT + 2, 0x80 | SCREEN_BLOCK << 8);
  solid_tile(0, 1, 9);
  vram16(MAP, 1);  // map column 0 opaque, column 1 empty
  const LayerRenderers& r = text_renderers;
  for (Form form : {BASE, OVERLAY}) {
    std::uint16_t line[240];
    fill16(line, 0, 240, 0x21);
    r.plain[form](1, 0, 16, line);
    EXPECT_EQ(line[3], 9) << form;
    EXPECT_EQ(line[12], form == BASE ? BACKDROP : 0x21) << form;
    EXPECT_EQ(line[16], 0x21) << form << ": beyond the span";
  }
}

// On an effect line the layers come front to back, and a pixel takes a layer only while it needs
// one: with nothing yet, the colour becomes its top; under a first target that blends, it goes
// beneath; a finished pixel, or a transparent texel, changes nothing. BG1 draws palette entry 9
// over pixels 0-7, whose states cycle through the three; pixels 8-15 are transparent.
TEST_F(TextBackgroundTest, FrontStoreFillsTheTopThenWhatLiesBeneath) {
  io_store16(IO_BG0CNT + 2, 0x80 | SCREEN_BLOCK << 8);
  solid_tile(0, 1, 9);
  vram16(MAP, 1);
  vram16(MAP + 4, 1);  // column 2 opaque again: a run that no layer has touched
  struct Case {
    std::uint32_t bldcnt;
    bool keep_first_beneath;
    std::uint8_t bits, after_top;
  } cases[] = {
      {0x0002, true, TARGET_FIRST, DEPTH_TOP},    // a blending first target
      {0x0002, false, TARGET_FIRST, DEPTH_DONE},  // a fade reads no pixel beneath
      {0x0200, true, TARGET_SECOND, DEPTH_DONE},  // not a first target
  };
  LineTargets& t = line_targets;
  for (const Case& c : cases) {
    io_store16(IO_BLDCNT, c.bldcnt);
    t.keep_first_beneath = c.keep_first_beneath;
    std::uint16_t line[240];
    fill16(line, 0, 240, 0x21);
    for (unsigned x = 0; x < 24; ++x) {
      t.depth[x] = x < 16 ? static_cast<std::uint8_t>(x % 3) : DEPTH_NONE;
      t.top[x] = TARGET_FIRST;
      t.beneath[x] = 0x55;
      t.beneath_bits[x] = 0;
    }
    text_renderers.targets(1, 0, 24, line);
    for (unsigned x = 0; x < 24; ++x) {
      std::uint8_t before = x < 16 ? static_cast<std::uint8_t>(x % 3) : DEPTH_NONE;
      bool opaque = x < 8 || x >= 16;
      bool as_top = opaque && before == DEPTH_NONE, as_beneath = opaque && before == DEPTH_TOP;
      EXPECT_EQ(line[x], as_top ? 9 : 0x21) << x;
      EXPECT_EQ(t.top[x], as_top ? c.bits : TARGET_FIRST) << x;
      EXPECT_EQ(t.beneath[x], as_beneath ? 9 : 0x55) << x;
      EXPECT_EQ(t.beneath_bits[x], as_beneath ? c.bits : 0) << x;
      std::uint8_t after = as_top ? c.after_top : as_beneath ? DEPTH_DONE : before;
      EXPECT_EQ(t.depth[x], after) << x << " bldcnt " << c.bldcnt;
    }
  }
}

}  // namespace
