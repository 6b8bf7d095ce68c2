// The on-screen pad: its layouts drawn pixel for pixel, hit tests and the refusals.

#include "frontend/screenpad.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/report.h"
#include "video/graphics.h"

namespace {

std::string reports;
void collect(const char* text) { reports += text; }

struct Outline {
  int left, top, right, bottom;
  std::uint16_t colour;
};

// Direction 1, portrait, over a 240 x 320 surface: the target (0, 0, 240, 320) maps design units
// one to one (x * 241 / 240 and y * 321 / 320 truncate to x and y below 240 and 320), so each
// button spans its corner plus 36 (diagonals 32); then the cross is joined.
constexpr std::uint16_t BLUE = 0x001F, RED = 0xF800, GREY = 0x8418;
const Outline DIRECTION1_PORTRAIT[SCREEN_BTN_MAX] = {
    {40, 210, 76, 245, BLUE},    // Up: bottom = Left's top
    {40, 281, 76, 316, BLUE},    // Down: top = Left's bottom
    {5, 245, 40, 281, BLUE},     // Left: right = Up's left
    {76, 245, 111, 281, BLUE},   // Right: left = Up's right
    {140, 5, 176, 41, BLUE},     // Select
    {195, 5, 231, 41, BLUE},     // Start
    {150, 215, 186, 251, BLUE},  // B
    {195, 215, 231, 251, BLUE},  // A
    {150, 270, 186, 306, BLUE},  // L
    {195, 270, 231, 306, BLUE},  // R
    {5, 5, 41, 41, RED},         // menu
    {5, 210, 37, 242, GREY},     // Left+Up
    {79, 210, 111, 242, GREY},   // Right+Up
    {79, 284, 111, 316, GREY},   // Right+Down
    {5, 284, 37, 316, GREY},     // Left+Down
};

bool on_outline(const Outline& o, int x, int y) {
  bool inside = x >= o.left && x <= o.right && y >= o.top && y <= o.bottom;
  return inside && (x == o.left || x == o.right || y == o.top || y == o.bottom);
}

TEST(ScreenPad, PortraitLayoutIsDrawnPixelForPixel) {
  CScreenPad pad;
  PadRect target{0, 0, 240, 320};
  ASSERT_EQ(pad.SetTarget(&target), 1);
  pad.LayoutFor(1, true);
  std::vector<std::uint16_t> screen(240 * 320, 0);
  CGraphics graph;
  graph.SetVram(screen.data());
  graph.SetSize(240, 320);
  graph.SetSteps(1, 240);
  pad.i_graph = &graph;
  ASSERT_EQ(pad.Draw(), 1);
  int wrong = 0;
  for (int y = 0; y < 320; ++y) {
    for (int x = 0; x < 240; ++x) {
      std::uint16_t expected = 0;
      for (const Outline& o : DIRECTION1_PORTRAIT) {
        if (on_outline(o, x, y)) expected = o.colour;  // later buttons draw over earlier ones
      }
      if (screen[static_cast<std::size_t>(y) * 240 + x] != expected && ++wrong < 5) {
        ADD_FAILURE() << "pixel (" << x << ", " << y << ")";
      }
    }
  }
  EXPECT_EQ(wrong, 0);
}

// Placing scales by the target: on a 480 x 640 surface the portrait Up arm at (40, 210) lands at
// 40 * 481 / 240 = 80 and 210 * 641 / 320 = 420.
TEST(ScreenPad, PlacementScalesToTheTarget) {
  CScreenPad pad;
  PadRect target{0, 0, 480, 640};
  pad.SetTarget(&target);
  pad.LayoutFor(1, true);
  EXPECT_EQ(pad.buttons[SCREEN_BTN_UP].left, 80);
  EXPECT_EQ(pad.buttons[SCREEN_BTN_UP].top, 420);
  EXPECT_EQ(pad.buttons[SCREEN_BTN_MENU].right, 10 + 36 * 481 / 240);
}

TEST(ScreenPad, RefusalsAndUnknownDirections) {
  reports.clear();
  set_assertion_sink(collect);
  CScreenPad pad;
  EXPECT_EQ(pad.SetTarget(nullptr), 0);
  EXPECT_NE(reports.find("\"r\""), std::string::npos);
  EXPECT_EQ(pad.HitTest(0, 0, SCREEN_BTN_MAX), 0);
  EXPECT_NE(reports.find("\"index >= 0 && index < SCREEN_BTN_MAX\""), std::string::npos);
  EXPECT_EQ(pad.PlaceButton({0, 0, 1, 1}, nullptr), 0);
  EXPECT_NE(reports.find("\"pr\""), std::string::npos);
  EXPECT_EQ(pad.Draw(), 0);  // no drawing target
  EXPECT_NE(reports.find("\"r && this->i_graph\""), std::string::npos);
  PadRect target{0, 0, 240, 320};
  pad.SetTarget(&target);
  pad.LayoutFor(1, true);
  PadRect up_before = pad.buttons[SCREEN_BTN_UP];
  pad.LayoutFor(3, false);  // not a direction: the layout stays
  EXPECT_EQ(pad.buttons[SCREEN_BTN_UP].left, up_before.left);
  EXPECT_EQ(pad.design_width, 240);
  EXPECT_EQ(pad.HitTest(up_before.left, up_before.top, SCREEN_BTN_UP), 1);
  EXPECT_EQ(pad.HitTest(up_before.left - 1, up_before.top, SCREEN_BTN_UP), 0);
  set_assertion_sink(nullptr);
}

}  // namespace
