// Windows cut the line into runs of equal membership, each drawn once with the ordinary layer
// renderers; only OBJ-window pixels are drawn twice.

#include "video/windows.h"

#include <algorithm>

#include "video/dispatch.h"
#include "video/object_walk.h"

namespace {

constexpr unsigned OBJ_WINDOW_LIST = 4;
enum Membership : std::uint8_t { IN_WIN0, IN_WIN1, OUTSIDE };

// The places where membership can change, kept in order.
struct Edges {
  unsigned at[9] = {SCREEN_WIDTH};
  unsigned count = 1;
  void add(unsigned edge) {
    unsigned i = count++;
    for (; i > 0 && at[i - 1] > edge; --i) at[i] = at[i - 1];
    at[i] = edge;
  }
};

void mark(std::uint8_t* member, const WindowExtent& e, Membership m, Edges& edges) {
  std::fill(member + e.first0, member + e.end0, m);
  std::fill(member + e.first1, member + e.end1, m);
  for (unsigned edge : {e.first0, e.end0, e.first1, e.end1}) edges.add(edge);
}

// Pixels of OBJ-window objects with an opaque texel, within [start, end).
struct MaskSink {
  bool* mask;
  unsigned* low;
  unsigned* high;
  void operator()(unsigned x, unsigned) const {
    mask[x] = true;
    *low = std::min(*low, x);
    *high = std::max(*high, x + 1);
  }
};

void object_window_pass(std::uint16_t* line, unsigned start, unsigned end, std::uint32_t dispcnt) {
  unsigned y = vcount();
  std::uint32_t count = machine.object_line_count[OBJ_WINDOW_LIST][y];
  if (count == 0) return;
  bool mask[SCREEN_WIDTH] = {};
  unsigned low = end, high = start;
  MaskSink sink{mask, &low, &high};
  set_decoded_mapping((dispcnt & DISPCNT_OBJ_1D) != 0);
  for (std::uint32_t i = 0; i < count; ++i) {
    walk_object(decoded_objects[machine.object_line_list[OBJ_WINDOW_LIST][y][i]], start, end, sink);
  }
  if (low >= high) return;
  std::uint16_t scratch[SCREEN_WIDTH];
  render_span(scratch, low, high, dispcnt, (io_read16(IO_WINOUT) >> 8) & 0x3F);
  for (unsigned x = low; x < high; ++x) {
    if (mask[x]) line[x] = scratch[x];
  }
}

}  // namespace

void render_line_windowed(std::uint16_t* line, std::uint32_t dispcnt) {
  unsigned y = vcount();
  std::uint8_t member[SCREEN_WIDTH + 1];
  std::fill(member, member + SCREEN_WIDTH, OUTSIDE);
  member[SCREEN_WIDTH] = 0xFF;  // differs from every membership: the last run ends there
  Edges edges;
  // Window 1 first so that window 0 overwrites it where both cover a pixel.
  for (unsigned w = 2; w-- > 0;) {
    if ((dispcnt >> (13 + w)) & 1 && window_active(io_read16(IO_WIN0V + 2 * w), y)) {
      mark(member, window_extent(io_read16(IO_WIN0H + 2 * w)), w == 0 ? IN_WIN0 : IN_WIN1, edges);
    }
  }
  std::uint32_t winin = io_read16(IO_WININ), winout = io_read16(IO_WINOUT);
  const unsigned flags[3] = {winin & 0x3F, (winin >> 8) & 0x3F, winout & 0x3F};
  bool object_window = (dispcnt & 0x8000) != 0;
  unsigned start = 0;
  for (unsigned i = 0; i < edges.count; ++i) {
    unsigned end = edges.at[i];
    if (end <= start || member[end] == member[start]) continue;
    render_span(line, start, end, dispcnt, flags[member[start]]);
    if (object_window && member[start] == OUTSIDE) object_window_pass(line, start, end, dispcnt);
    start = end;
  }
}

bool window_active(std::uint32_t v, unsigned y) {
  unsigned y1 = (v >> 8) & 0xFF, y2 = v & 0xFF;
  if (y1 > 227) return false;
  if (y1 <= y2) return (y1 <= y && y < y2) || y2 > 227;
  return y <= y2 || y > y1 || y2 > 227;
}

WindowExtent window_extent(std::uint32_t h) {
  unsigned x1 = std::min((h >> 8) & 0xFFu, SCREEN_WIDTH), x2 = std::min(h & 0xFFu, SCREEN_WIDTH);
  if (x1 <= x2) return {x1, x2, 0, 0};
  return {0, x2, x1, SCREEN_WIDTH};
}
