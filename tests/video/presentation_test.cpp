// The frame on the device screen: sizes, placement in the three directions, scale tables and the
// smoothing scaler, with the figures of the presentation rules.

#include "video/presentation.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

constexpr std::uint16_t UNTOUCHED = 0xDEAD;

struct Screen {
  Screen(int w, int h) : width(w), height(h), pixels(static_cast<std::size_t>(w) * h, UNTOUCHED) {}
  ScreenView view() { return {pixels.data(), width, height, 1, width}; }
  std::uint16_t at(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
  int written() const {
    int n = 0;
    for (std::uint16_t p : pixels) n += p != UNTOUCHED;
    return n;
  }
  int width, height;
  std::vector<std::uint16_t> pixels;
};

// Every frame pixel different, so a misplaced copy shows: colour = index + 1 (never UNTOUCHED).
std::vector<std::uint16_t> numbered_frame() {
  std::vector<std::uint16_t> frame(FRAME_WIDTH * FRAME_HEIGHT);
  for (std::size_t i = 0; i < frame.size(); ++i) frame[i] = static_cast<std::uint16_t>(i + 1);
  return frame;
}

std::uint16_t frame_pixel(int x, int y) {
  return static_cast<std::uint16_t>(y * FRAME_WIDTH + x + 1);
}

TEST(Presentation, SizesAndFirstPixelFollowTheRules) {
  struct Case {
    const char* name;
    int scale, dir, w, h;
    OutputSize size;
    int first_column, first_row;
  } cases[] = {
      {"2x on 240x320 falls back to 1x", 2, 1, 240, 320, {240, 160}, 0, 80},
      {"2x on 480x640 centred at row 160", 2, 1, 480, 640, {480, 320}, 0, 160},
      {"1x upright on 240x320", 1, 1, 240, 320, {240, 160}, 0, 80},
      {"fit on 320x240", 4, 1, 320, 240, {320, 213}, 0, 13},
      {"fit on 240x320", 4, 1, 240, 320, {240, 160}, 0, 80},
      {"stretch rotated swaps the axes", 3, 2, 240, 320, {320, 240}, 0, 319},
      {"scale 7 and direction 3 act as 1x upright", 7, 3, 240, 320, {240, 160}, 0, 80},
      // Beyond the rules' own figures: a picture that cannot fit is fitted, never drawn outside.
      {"2x rotated on 480x320 falls back to 1x", 2, 4, 480, 320, {240, 160}, 319, 40},
      {"1x on a 160x120 screen is fitted", 1, 1, 160, 120, {160, 106}, 0, 7},
      // Odd both ways: the picture's top edge lies along the last row, not one past it.
      {"stretch rotated on 241x161 ends on the last row", 3, 2, 241, 161, {161, 241}, 0, 160},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScreenDirection dir = direction_of(c.dir);
    OutputSize size = output_size(scale_mode_of(c.scale), dir, c.w, c.h);
    EXPECT_EQ(size.width, c.size.width);
    EXPECT_EQ(size.height, c.size.height);
    Screen screen(c.w, c.h);
    Placement p = place_output(size, dir, screen.view());
    EXPECT_EQ(p.first, c.first_row * c.w + c.first_column);
  }
  EXPECT_EQ(fit_size(320, 240).height, 213);
}

// Direction 2 puts the picture's top edge along the screen's left side, direction 4 along its
// right side: three marked corners of the frame land where the rotation takes them.
TEST(Presentation, RotationsPutTheCornersInPlace) {
  struct Corner {
    int frame_x, frame_y, screen_x, screen_y;
  };
  struct Case {
    int dir;
    Corner corners[3];
  } cases[] = {
      {1, {{0, 0, 0, 80}, {239, 0, 239, 80}, {0, 159, 0, 239}}},
      {2, {{0, 0, 40, 279}, {239, 0, 40, 40}, {0, 159, 199, 279}}},
      {4, {{0, 0, 199, 40}, {239, 0, 199, 279}, {0, 159, 40, 40}}},
  };
  auto frame = numbered_frame();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.dir);
    Screen screen(240, 320);
    draw_frame(frame.data(), screen.view(), {1, c.dir, false}, {});
    for (const Corner& k : c.corners) {
      EXPECT_EQ(screen.at(k.screen_x, k.screen_y), frame_pixel(k.frame_x, k.frame_y));
    }
    EXPECT_EQ(screen.written(), FRAME_WIDTH * FRAME_HEIGHT);
  }
}

TEST(Presentation, DoublingCopiesEachPixelToFour) {
  auto frame = numbered_frame();
  Screen screen(480, 640);
  draw_frame(frame.data(), screen.view(), {2, 1, false}, {});
  EXPECT_EQ(screen.written(), 480 * 320);
  for (auto [x, y] : {std::pair{0, 0}, {17, 33}, {239, 159}}) {
    for (int d = 0; d < 4; ++d) {
      EXPECT_EQ(screen.at(2 * x + d % 2, 160 + 2 * y + d / 2), frame_pixel(x, y));
    }
  }
}

TEST(Presentation, ScaleTablesIndexTheFrame) {
  ScaleTable table;
  build_scale_table_fit(table, DIRECTION_UPRIGHT, 240, 320);  // 1:1
  ASSERT_EQ(table.size(), 240u * 160u);
  EXPECT_EQ(table.back(), LAST_FRAME_PIXEL);
  EXPECT_EQ(table[241], 241);
  build_scale_table_stretch(table, DIRECTION_UPRIGHT, 480, 640);  // half a source pixel a step
  ASSERT_EQ(table.size(), 480u * 640u);
  EXPECT_EQ(table[1], 0);
  EXPECT_EQ(table[2], 1);
  EXPECT_EQ(table[4 * 480], 240);  // output row 4 is source row 1
  for (std::uint16_t entry : table) ASSERT_LE(entry, LAST_FRAME_PIXEL);

  auto frame = numbered_frame();
  Screen screen(320, 240);
  PresentSettings fit{4, 1, false};
  build_scale_table_for(table, fit, 320, 240);
  draw_frame(frame.data(), screen.view(), fit, table);
  EXPECT_EQ(screen.written(), 320 * 213);
  EXPECT_EQ(screen.at(0, 13), frame_pixel(0, 0));
  EXPECT_EQ(screen.at(319, 13 + 212), frame_pixel(239, 159));
  Screen untouched(320, 240);
  draw_frame(frame.data(), untouched.view(), fit, ScaleTable(10));  // a table for another size
  EXPECT_EQ(untouched.written(), 0);
}

// Smoothing to exactly 240 x 160 takes steps of exactly 1.0 and writes 239 x 159 pixels; to
// 320 x 213 the x step (49100) is inexact and the y step (49152) exact: 320 columns, 212 rows.
// Four equal neighbours reproduce their colour exactly.
TEST(Presentation, SmoothingCoversTheRulesCountsAndKeepsFlatColour) {
  std::vector<std::uint16_t> flat(FRAME_WIDTH * FRAME_HEIGHT, 0x7BEF);
  struct Case {
    int out_w, out_h, columns, rows;
  } cases[] = {{240, 160, 239, 159}, {320, 213, 320, 212}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.out_w);
    Screen screen(c.out_w, c.out_h);
    smooth_scale(flat.data(), 480, screen.pixels.data(), 2 * c.out_w, 2, c.out_w, c.out_h, 240,
                 160);
    EXPECT_EQ(screen.written(), c.columns * c.rows);
    EXPECT_EQ(screen.at(c.columns - 1, c.rows - 1), 0x7BEF);
    EXPECT_EQ(screen.at(0, 0), 0x7BEF);
    if (c.columns < c.out_w) {
      EXPECT_EQ(screen.at(c.out_w - 1, 0), UNTOUCHED);
    }
    if (c.rows < c.out_h) {
      EXPECT_EQ(screen.at(0, c.out_h - 1), UNTOUCHED);
    }
  }
}

// Halfway between black and white in one direction: the five-bit weight 16 of 32 gives half of
// each channel (red 15 of 31, green 31 of 63, blue 15 of 31), by the spread-colour arithmetic.
TEST(Presentation, SmoothingBlendsAcrossAnEdge) {
  std::vector<std::uint16_t> frame(FRAME_WIDTH * FRAME_HEIGHT, 0x0000);
  for (int y = 0; y < FRAME_HEIGHT; ++y) {
    for (int x = 120; x < FRAME_WIDTH; ++x) frame[y * FRAME_WIDTH + x] = 0xFFFF;
  }
  // Output 479 wide: x step exactly 0.5 source pixels, so output column 239 lies halfway between
  // source columns 119 (black) and 120 (white), on rows where all four neighbours agree per column.
  Screen screen(479, 20);
  smooth_scale(frame.data(), 480, screen.pixels.data(), 2 * 479, 2, 479, 20, 240, 160);
  EXPECT_EQ(screen.at(238, 0), 0x0000);
  EXPECT_EQ(screen.at(239, 0), (15 << 11) | (31 << 5) | 15);
  EXPECT_EQ(screen.at(240, 0), 0xFFFF);
}

}  // namespace
