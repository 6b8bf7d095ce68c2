// A frame on the device screen through the display surface: placement by direction, the pad over
// it, the auto-fire step, the message pump count, and a failed lock that skips everything.

#include <gtest/gtest.h>

#include <vector>

#include "frontend/game_screen.h"
#include "frontend/present.h"
#include "frontend/screen_display.h"
#include "tests/frontend/game_screen_fixture.h"

namespace {

int pumps = 0;
int counting_pump() {
  ++pumps;
  return 1;
}

class PresentTest : public GameScreenTest {
 protected:
  void SetUp() override {
    GameScreenTest::SetUp();
    pumps = 0;
    set_frame_message_pump(counting_pump);
    ASSERT_EQ(OpenDisplay(), 1);
    frame.assign(240 * 160, FILL);
    frame[0] = MARK;  // the picture's top-left corner
  }
  void TearDown() override {
    CloseDisplay();
    set_frame_message_pump(nullptr);
    GameScreenTest::TearDown();
  }

  static constexpr std::uint16_t FILL = 0x0841, MARK = 0x1234;
  std::vector<std::uint16_t> frame;
};

// On 240 x 320: direction 1 starts at column 0, row 80; direction 2 at column (240 - 160) / 2 =
// 40, row 320 / 2 + 240 / 2 - 1 = 279; direction 4 at column (240 + 160) / 2 - 1 = 199, row
// 320 / 2 - 240 / 2 = 40. Doubling does not fit 240 x 320 and shows 1x; 0 is direction 1.
TEST_F(PresentTest, TheCornerLandsWhereTheDirectionPutsIt) {
  const struct {
    int scale, dir, x, y;
  } cases[] = {{1, 1, 0, 80}, {2, 1, 0, 80}, {1, 2, 40, 279}, {1, 4, 199, 40}, {1, 0, 0, 80}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "scale " << c.scale << " dir " << c.dir);
    g_config.scale = c.scale;
    g_config.screen_dir = c.dir;
    g_config.show_screen_pad = 0;
    ASSERT_EQ(PrepareGameDisplay(main), 1);
    ASSERT_EQ(present_frame(frame.data()), 1);
    EXPECT_EQ(screen().at(c.x, c.y), MARK);
    ReleaseGameDisplay();
  }
}

// Stretched to the whole screen, the frame's last pixel reaches the screen's last pixel.
TEST_F(PresentTest, StretchedPictureFillsTheScreen) {
  g_config.scale = 3;
  g_config.show_screen_pad = 0;
  frame[240 * 160 - 1] = MARK;
  ASSERT_EQ(PrepareGameDisplay(main), 1);
  ASSERT_EQ(present_frame(frame.data()), 1);
  EXPECT_EQ(screen().at(0, 0), MARK);
  EXPECT_EQ(screen().at(239, 319), MARK);
  EXPECT_EQ(screen().at(120, 160), FILL);
}

TEST_F(PresentTest, PadOverlayAutoFireAndPumpsFollowTheSettings) {
  g_config.show_screen_pad = 1;
  g_config.auto_a = 1;
  g_buttons.a_held = 1;
  ASSERT_EQ(PrepareGameDisplay(main), 1);
  const struct { int delay, pumps; } cases[] = {{0, 1}, {1, 1}, {5, 5}, {-3, 1}};
  int a_before = g_buttons.key_state & BUTTON_A;
  for (const auto& c : cases) {
    g_config.delay_per_frame = c.delay;
    pumps = 0;
    ASSERT_EQ(present_frame(frame.data()), 1);
    EXPECT_EQ(pumps, c.pumps) << "delay " << c.delay;
    EXPECT_NE(g_buttons.key_state & BUTTON_A, a_before);  // toggled once per frame
    a_before = g_buttons.key_state & BUTTON_A;
  }
  EXPECT_EQ(screen().at(5, 5), 0xF800);     // the menu button's corner, above the picture
  EXPECT_EQ(screen().at(40, 210), 0x001F);  // Up's corner, over the picture
}

TEST_F(PresentTest, AFailedLockSkipsTheWholeFrame) {
  g_config.auto_a = 1;
  g_buttons.a_held = 1;
  std::uint16_t before = screen().at(0, 80);
  EXPECT_EQ(present_frame(frame.data()), 0);  // no surface was ever created
  EXPECT_NE(reports.find("\"hr == DD_OK\""), std::string::npos);
  EXPECT_EQ(pumps, 0);
  EXPECT_EQ(g_buttons.key_state, 0);
  EXPECT_EQ(screen().at(0, 80), before);
}

// Entering the game screen lays the pad out for the surface's orientation and direction.
TEST_F(PresentTest, EnteringLaysThePadOutForTheScreen) {
  g_config.screen_dir = 2;
  ASSERT_EQ(PrepareGameDisplay(main), 1);
  EXPECT_EQ(g_screen_pad.design_width, 240);  // portrait layout
  EXPECT_EQ(g_screen_pad.buttons[SCREEN_BTN_A].left, 125);
  EXPECT_EQ(g_screen_pad.buttons[SCREEN_BTN_A].top, 5);
  ReleaseGameDisplay();
  EXPECT_EQ(PrepareGameDisplay(NO_WINDOW), 0);
  EXPECT_NE(reports.find("\"hwnd\""), std::string::npos);
}

}  // namespace
