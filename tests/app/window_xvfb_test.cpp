// The program in a real SDL window on a virtual X server: started with a cartridge, the game
// fills the screen (no task bar, no menu bar); the switch key pressed with xdotool brings the
// main window back with its panel and menu bar, as photographs taken with ImageMagick's import
// show.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "tests/platform/glyph_reference.h"
#include "tests/support/temp_dir.h"
#include "tests/support/window_tools.h"

namespace {

constexpr int ZOOM = 2;
// The device's 5-6-5 white as SDL widens it for the X server (green's 63 of 63 becomes 254).
constexpr std::uint32_t WHITE = 0xFFFEFF;

// Starts the program on the cartridge, photographs the running game, presses Space (the switch
// key) and photographs the menu, then closes the window.
const char* const HELPER = R"(#!/bin/sh
unset WAYLAND_DISPLAY
export SDL_VIDEODRIVER=x11
"$1" --zoom 2 --lang zh --config "$3/orvane.ini" --save-dir "$3" "$2" &
pid=$!
wid=$(timeout 20 xdotool search --sync --name '^Orvane$' | head -n 1)
if [ -z "$wid" ]; then echo "no window"; kill $pid; exit 1; fi
sleep 1
import -window "$wid" "$3/game.png" && echo "game $3/game.png"
xdotool windowfocus --sync "$wid" 2>/dev/null
xdotool keydown --window "$wid" space; sleep 0.3; xdotool keyup --window "$wid" space
sleep 0.5
import -window "$wid" "$3/menu.png" && echo "menu $3/menu.png"
kill $pid
wait $pid
exit 0
)";

TEST(WindowXvfbTest, TheGameFillsTheScreenAndTheSwitchKeyShowsTheMenu) {
  if (std::string why = window_test_skip_reason(); !why.empty()) GTEST_SKIP() << why;
  TempDir files;
  std::ofstream(files.file("helper.sh")) << HELPER;
  std::string command = "xvfb-run -a -s '-screen 0 800x800x24' sh " + files.file("helper.sh") +
                        " " + ORVANE_BINARY + " " + TEST_CARTRIDGE + " " + files.path() + " 2>&1";
  FILE* helper = popen(command.c_str(), "r");
  ASSERT_NE(helper, nullptr);
  std::string output;
  char line[1024];
  while (std::fgets(line, sizeof line, helper) != nullptr) output += line;
  pclose(helper);
  Picture game, menu;
  ASSERT_TRUE(read_png(files.file("game.png"), game)) << output;
  ASSERT_TRUE(read_png(files.file("menu.png"), menu)) << output;
  ASSERT_EQ(game.width, 240 * ZOOM);
  ASSERT_EQ(game.height, 320 * ZOOM);
  // Running: the full-screen game, so neither the task bar's title nor the soft keys show.
  EXPECT_GT(text_mismatches(game, 6 * ZOOM, 5 * ZOOM, U"window", WHITE, ZOOM), 0);
  EXPECT_GT(text_mismatches(game, 6 * ZOOM, (320 - 26 + 5) * ZOOM, U"菜单", WHITE, ZOOM), 0);
  // Paused: the main window with its caption in the task bar, the panel and the menu bar.
  EXPECT_EQ(text_mismatches(menu, 6 * ZOOM, 5 * ZOOM, U"window", WHITE, ZOOM), 0) << output;
  EXPECT_EQ(text_mismatches(menu, 59 * ZOOM, 47 * ZOOM, U"Orvane 2.4.2", 0, ZOOM), 0);
  EXPECT_EQ(text_mismatches(menu, 6 * ZOOM, (320 - 26 + 5) * ZOOM, U"菜单", WHITE, ZOOM), 0);
}

}  // namespace
