#pragma once
// The window dispatchers, chosen when any of DISPCNT bits 13-15 is set.

#include <cstdint>

void render_line_windowed(std::uint16_t* line, std::uint32_t dispcnt);

// Whether a window with vertical register `v` covers line `y`; horizontal register `h` gives
// [first, end) pieces: the second piece is empty unless the window wraps.
bool window_active(std::uint32_t v, unsigned y);
struct WindowExtent {
  unsigned first0, end0, first1, end1;
};
WindowExtent window_extent(std::uint32_t h);
