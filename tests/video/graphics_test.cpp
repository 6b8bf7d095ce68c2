// The drawing target: addressing by steps, outlines, what is refused.

#include "video/graphics.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/report.h"

namespace {

std::string reports;
void collect(const char* text) { reports += text; }

// An outline on a target whose x step runs down the memory (a screen turned a quarter): the
// rectangle's corners land where the steps put them, and a rectangle hanging over the edge draws
// only its inside part.
TEST(Graphics, OutlinesFollowTheStepsAndStayInside) {
  std::vector<std::uint16_t> memory(10 * 8, 0);
  CGraphics g;
  g.SetVram(memory.data());
  g.SetSize(8, 10);   // 8 wide, 10 high as drawn
  g.SetSteps(10, 1);  // x moves by a memory row of 10, y by one pixel
  g.Rect(1, 2, 3, 4, 7);
  auto at = [&](int x, int y) { return memory[static_cast<std::size_t>(x) * 10 + y]; };
  EXPECT_EQ(at(1, 2), 7);
  EXPECT_EQ(at(3, 5), 7);
  EXPECT_EQ(at(2, 3), 0);  // inside the outline
  int drawn = 0;
  for (std::uint16_t p : memory) drawn += p == 7;
  EXPECT_EQ(drawn, 10);   // 3 + 3 across, 2 + 2 more down the sides
  g.Rect(6, 8, 5, 5, 9);  // only columns 6-7 and rows 8-9 exist
  drawn = 0;
  for (std::uint16_t p : memory) drawn += p == 9;
  EXPECT_EQ(drawn, 3);  // (6,8) (7,8) (6,9): the far sides lie outside
}

TEST(Graphics, ClipIsClampedAndMissingMemoryIsReported) {
  CGraphics g;
  g.SetSize(240, 160);
  g.SetClip(-5, 3, 300, 200);
  EXPECT_EQ(g.clip_x1, 0);
  EXPECT_EQ(g.clip_y1, 3);
  EXPECT_EQ(g.clip_x2, 239);
  EXPECT_EQ(g.clip_y2, 159);
  reports.clear();
  set_assertion_sink(collect);
  EXPECT_EQ(g.GetPixelAddress(0, 0), nullptr);
  std::uint16_t pixel = 0;
  g.SetVram(&pixel);
  g.SetSize(0, 0);
  EXPECT_EQ(g.GetPixelAddress(0, 0), nullptr);
  set_assertion_sink(nullptr);
  EXPECT_NE(reports.find("assertion fail \"this->vram\""), std::string::npos);
  EXPECT_NE(reports.find("\"this->screen_width > 0 && this->screen_height > 0\""),
            std::string::npos);
}

}  // namespace
