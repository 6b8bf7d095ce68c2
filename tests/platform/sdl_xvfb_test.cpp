// The real SDL back end on a virtual X server: a click on the left soft key, sent by xdotool to
// the window, must open the popup in the window's own picture, taken by ImageMagick's import.
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

// Starts the program in a window, photographs it, clicks the left soft key, then photographs it
// again until told to stop (or 50 tries), naming each picture on its own line.
const char* const HELPER = R"(#!/bin/sh
unset WAYLAND_DISPLAY
export SDL_VIDEODRIVER=x11
"$1" --ui-script "$2" --zoom 2 --lang zh --config "$3/orvane.ini" &
pid=$!
wid=$(timeout 20 xdotool search --sync --name '^Orvane$' | head -n 1)
if [ -z "$wid" ]; then echo "no window"; kill $pid; exit 1; fi
sleep 0.3
import -window "$wid" "$3/before.png" && echo "before $3/before.png"
xdotool mousemove --window "$wid" 20 610 click 1
i=0
while [ $i -lt 50 ] && [ ! -e "$3/stop" ]; do
  i=$((i + 1))
  sleep 0.2
  import -window "$wid" "$3/after_$i.png" && echo "after $3/after_$i.png"
  while [ ! -e "$3/stop" ] && [ ! -e "$3/next" ]; do sleep 0.05; done
  rm -f "$3/next"
done
kill $pid
wait $pid
exit 0
)";

// The main window's popup's first entry, "加载Rom", seen at the window's zoom: the popup's bottom
// sits on the menu bar (device y 294), seven entries of 20 and three separators of 7 above it, text
// 6 in and 2 down.
int popup_mismatches(const Picture& picture) {
  int top = 294 - (2 + 7 * 20 + 3 * 7);
  return text_mismatches(picture, (1 + 6) * ZOOM, (top + 1 + 2) * ZOOM, U"加载Rom", 0x000000, ZOOM);
}

TEST(SdlXvfbTest, AClickOnTheSoftKeyOpensThePopupInARealWindow) {
  if (std::string why = window_test_skip_reason(); !why.empty()) GTEST_SKIP() << why;
  TempDir files;
  std::ofstream(files.file("helper.sh")) << HELPER;
  std::ofstream(files.file("script.txt")) << "wait 100000000\n";
  std::string command = "xvfb-run -a -s '-screen 0 800x800x24' sh " + files.file("helper.sh") +
                        " " + ORVANE_BINARY + " " + files.file("script.txt") + " " + files.path() +
                        " 2>&1";
  FILE* helper = popen(command.c_str(), "r");
  ASSERT_NE(helper, nullptr);
  bool saw_before = false, popup_seen = false;
  std::string output;
  char line[1024];
  while (std::fgets(line, sizeof line, helper) != nullptr) {
    output += line;
    std::string text(line);
    std::string path = text.substr(text.find(' ') + 1);
    path.erase(path.find_last_not_of("\r\n") + 1);
    Picture picture;
    if (text.rfind("before ", 0) == 0 && read_png(path, picture)) {
      saw_before = true;
      EXPECT_EQ(picture.width, 240 * ZOOM);
      EXPECT_EQ(picture.height, 320 * ZOOM);
      EXPECT_GT(popup_mismatches(picture), 0);  // no popup before the click
    }
    if (text.rfind("after ", 0) == 0 && read_png(path, picture) && popup_mismatches(picture) == 0) {
      popup_seen = true;
      std::ofstream(files.file("stop")) << "";
    } else if (text.rfind("after ", 0) == 0) {
      std::ofstream(files.file("next")) << "";
    }
  }
  pclose(helper);
  EXPECT_TRUE(saw_before) << output;
  EXPECT_TRUE(popup_seen) << output;
}

}  // namespace
