#pragma once
// What a test of a real SDL window on a virtual X server needs: Xvfb, xauth, xdotool and
// ImageMagick's import. Such tests skip, naming the tool, where one is absent.

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "tests/platform/glyph_reference.h"

// The first missing tool's name, or empty when all are installed.
inline std::string missing_window_tool() {
  for (const char* tool : {"xvfb-run", "xauth", "xdotool", "import"}) {
    std::string command = std::string("command -v ") + tool + " >/dev/null 2>&1";
    if (std::system(command.c_str()) != 0) return tool;
  }
  return {};
}

// Why a real-window test cannot run here (a missing tool, or no unifont to read its texts
// with), or empty when it can.
inline std::string window_test_skip_reason() {
  if (std::string tool = missing_window_tool(); !tool.empty()) {
    return tool + " is not installed (xvfb, xauth, xdotool, imagemagick)";
  }
  int width = 0;
  std::vector<std::uint32_t> rows;
  if (!unifont_glyph(U'A', width, rows)) return "unifont.hex is not installed";
  return {};
}
