// Until windows are cut into spans, a windowed line is drawn as if every window showed all
// layers: games that use windows still show their picture.

#include "video/windows.h"

#include "video/dispatch.h"

void render_line_windowed(std::uint16_t* line, std::uint32_t dispcnt) {
  render_line_tiled(line, dispcnt);
}

void render_line_windowed_bitmap(std::uint16_t* line, std::uint32_t dispcnt) {
  render_line_bitmap(line, dispcnt);
}
