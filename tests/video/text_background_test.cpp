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

// The store of each variant and form for one opaque pixel (BG1, palette entry 9) over BG0's
// pixel 0x21, and for one transparent pixel; BG1 is a first target, BG0 second.
struct VariantCase {
  const char* name;
  bool wide;
  unsigned variant;  // 0 plain, 1 blend, 2 index16, 3 index32
  Form form;
  std::uint32_t opaque, transparent;
};

TEST_F(TextBackgroundTest, VariantsStoreTheirTaggedPixels) {
  io_store16(IO_BG0CNT + 2, 0x80 | SCREEN_BLOCK << 8);
  solid_tile(0, 1, 9);
  vram16(MAP, 1);                                   // map column 0 opaque, column 1 empty
  io_store16(IO_BLDCNT, 0x0002 | 0x0100 | 0x2000);  // BG1 first, BG0 and backdrop second
  constexpr std::uint32_t BELOW = 0x21 | TAG_SECOND;
  constexpr std::uint32_t BACK_TAG = TAG_SECOND;
  const VariantCase cases[] = {
      {"plain base", false, 0, BASE, 9, BACKDROP},
      {"plain overlay", false, 0, OVERLAY, 9, BELOW},
      {"index16 base", false, 2, BASE, 9 | TAG_FIRST, BACK_TAG},
      {"index16 overlay", false, 2, OVERLAY, 9 | TAG_FIRST, BELOW},
      {"index32 base", true, 3, BASE, 9 | TAG_FIRST, BACK_TAG},
      {"index32 overlay", true, 3, OVERLAY, 9 | TAG_FIRST, BELOW},
      {"blend base", true, 1, BASE, 9 | TAG_FIRST | BACK_TAG << 16, BACK_TAG},
      {"blend overlay", true, 1, OVERLAY, 9 | TAG_FIRST | BELOW << 16, BELOW},
  };
  const LayerRenderers& r = text_renderers;
  for (const VariantCase& c : cases) {
    std::uint16_t narrow[240];
    std::uint32_t wide[240];
    fill16(narrow, 0, 240, BELOW);
    fill32(wide, 0, 240, BELOW);
    if (c.variant == 0) r.plain[c.form](1, 0, 16, narrow);
    if (c.variant == 1) r.blend[c.form](1, 0, 16, wide);
    if (c.variant == 2) r.index16[c.form](1, 0, 16, narrow);
    if (c.variant == 3) r.index32[c.form](1, 0, 16, wide);
    std::uint32_t opaque = c.wide ? wide[3] : narrow[3];
    std::uint32_t transparent = c.wide ? wide[12] : narrow[12];
    EXPECT_EQ(opaque, c.opaque) << c.name;
    EXPECT_EQ(transparent, c.transparent) << c.name;
    EXPECT_EQ(c.wide ? wide[16] : narrow[16], BELOW) << c.name << ": beyond the span";
  }
  // A blend renderer whose layer is not a first target stores as index32 does.
  io_store16(IO_BLDCNT, 0x0100);
  std::uint32_t wide[240];
  fill32(wide, 0, 240, BELOW);
  r.blend[OVERLAY](1, 0, 8, wide);
  EXPECT_EQ(wide[0], 9u);
}

}  // namespace
