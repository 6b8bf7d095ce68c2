// The per-line object lists, rebuilt only when OAM or the video mode changed, so that drawing a
// line never scans OAM.

#include <algorithm>
#include <cstring>

#include "video/dispatch.h"
#include "video/object_walk.h"

const std::uint8_t object_widths[12] = {8, 16, 32, 64, 16, 32, 32, 64, 8, 8, 16, 32};
const std::uint8_t object_heights[12] = {8, 16, 32, 64, 8, 8, 16, 32, 16, 32, 32, 64};

namespace {

constexpr unsigned OBJ_WINDOW_LIST = 4;

struct ObjectSpan {
  int first_line, end_line;
  unsigned list;
  bool semi_transparent;
};

// Whether object `n` is listed at all, and on which lines of which list.
bool object_span(unsigned n, unsigned mode, ObjectSpan& span) {
  const std::uint8_t* attr = machine.oam_data + n * 8;
  unsigned a0 = static_cast<unsigned>(attr[0] | attr[1] << 8);
  unsigned a1 = static_cast<unsigned>(attr[2] | attr[3] << 8);
  unsigned a2 = static_cast<unsigned>(attr[4] | attr[5] << 8);
  unsigned shape = a0 >> 14, kind = (a0 >> 10) & 3;
  if ((a0 & 0x300) == 0x200 || shape == 3 || kind == 3) return false;
  // Bitmap modes keep the lower half of object tile memory for the picture.
  if (mode >= 3 && (a2 & 0x3FF) < 512) return false;
  unsigned shape_size = shape * 4 + (a1 >> 14);
  int scale = (a0 & 0x200) ? 2 : 1;
  int width = object_widths[shape_size] * scale, height = object_heights[shape_size] * scale;
  int y = static_cast<int>(a0 & 0xFF);
  if (y > 160) y -= 256;
  int x = static_cast<int>(a1 & 0x1FF);
  if (x >= 256) x -= 512;
  if (y + height <= 0 || y >= 160 || x + width <= 0 || x >= 240) return false;
  span = {std::max(y, 0), std::min(y + height, 160), kind == 2 ? OBJ_WINDOW_LIST : (a2 >> 10) & 3,
          kind == 1};
  return true;
}

}  // namespace

void rebuild_object_lines(unsigned mode) {
  decode_objects();
  std::memset(machine.object_line_count, 0, sizeof machine.object_line_count);
  std::memset(machine.semi_transparent_count, 0, sizeof machine.semi_transparent_count);
  // From the last object down, so that lower numbers are drawn later and end on top.
  for (unsigned n = 128; n-- > 0;) {
    ObjectSpan span{};
    if (!object_span(n, mode, span)) continue;
    for (int y = span.first_line; y < span.end_line; ++y) {
      std::uint32_t& count = machine.object_line_count[span.list][y];
      machine.object_line_list[span.list][y][count++] = static_cast<std::uint8_t>(n);
      if (span.semi_transparent) machine.semi_transparent_count[y] += 1;
    }
  }
}
