#pragma once
// What a test of a real SDL window on a virtual X server needs: Xvfb, xauth, xdotool and
// ImageMagick's import. Such tests skip, naming the tool, where one is absent.

#include <cstdlib>
#include <string>

// The first missing tool's name, or empty when all are installed.
inline std::string missing_window_tool() {
  for (const char* tool : {"xvfb-run", "xauth", "xdotool", "import"}) {
    std::string command = std::string("command -v ") + tool + " >/dev/null 2>&1";
    if (std::system(command.c_str()) != 0) return tool;
  }
  return {};
}
