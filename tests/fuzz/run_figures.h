#pragma once
// The figures that `orvane --headless --stats` prints, read back from its output.

#include <string>

struct RunFigures {
  bool found = false;
  unsigned frames = 0;
  double frames_per_second = 0;
  unsigned long long blocks = 0;
  unsigned rom_flushes = 0;
};

RunFigures read_run_figures(const std::string& output);
