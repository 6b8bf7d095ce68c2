#include "tests/fuzz/run_figures.h"

#include <cstdio>

namespace {

const char* line_starting(const std::string& output, const char* start) {
  std::size_t at = output.find(start);
  if (at == std::string::npos || (at > 0 && output[at - 1] != '\n')) return nullptr;
  return output.c_str() + at;
}

}  // namespace

RunFigures read_run_figures(const std::string& output) {
  RunFigures figures;
  const char* frames = line_starting(output, "frames: ");
  const char* translation = line_starting(output, "translation: ");
  const char* flushes = line_starting(output, "cache flushes since start: ");
  if (!frames || !translation || !flushes) return figures;
  double seconds = 0;
  double share = 0;
  bool read = std::sscanf(frames, "frames: %u in %lf s, %lf", &figures.frames, &seconds,
                          &figures.frames_per_second) == 3 &&
              std::sscanf(translation, "translation: %lf s (%lf%%), %llu", &seconds, &share,
                          &figures.blocks) == 3 &&
              std::sscanf(flushes, "cache flushes since start: rom %u", &figures.rom_flushes) == 1;
  figures.found = read;
  return figures;
}
