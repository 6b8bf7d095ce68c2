// The object renderers: one per store variant and tile mapping. Objects come from the per-line
// lists, last OAM number first, so lower numbers end on top.

#include <cstring>

#include "video/dispatch.h"
#include "video/object_walk.h"
#include "video/pixel_store.h"

namespace {

std::uint32_t attribute(unsigned n, unsigned word) {
  const std::uint8_t* a = machine.oam_data + n * 8 + word * 2;
  return static_cast<std::uint32_t>(a[0] | a[1] << 8);
}
std::int32_t parameter(unsigned group, unsigned i) {
  return static_cast<std::int16_t>(attribute(group * 4 + i, 3));
}

// A priority group's objects are drawn into a line of their own, then laid into the line in one
// pass. They are drawn front to back, the lowest number first, and each object pixel is kept only
// where no object is yet: runs of eight that nearer objects already cover are not read at all, so
// a crowd of overlapping objects costs little more than the pixels that show.
std::uint16_t group_colours[SCREEN_WIDTH];
std::uint8_t group_bits[SCREEN_WIDTH + 8];  // 0 where no object is opaque; room for 8-byte reads
bool group_has_pixels;                      // whether any object of the group drew a pixel

struct GroupSink {
  std::uint8_t bits;
  void operator()(unsigned x, unsigned index) const {
    if (group_bits[x] != 0) return;
    group_colours[x] = machine.native_palette[index];
    group_bits[x] = bits;
    group_has_pixels = true;
  }
  bool covered(unsigned x) const { return group_bits[x] != 0; }
  // Whether pixels x to x + 7 all have an object pixel already.
  bool covered8(unsigned x) const {
    std::uint64_t v;
    std::memcpy(&v, group_bits + x, 8);
    return ((v - 0x0101010101010101u) & ~v & 0x8080808080808080u) == 0;
  }
  // Eight opaque texels in a row.
  void put_colours(unsigned x, const std::uint16_t* colours) const {
    std::uint64_t v;
    std::memcpy(&v, group_bits + x, 8);
    group_has_pixels = true;
    if (v == 0) {
      std::memcpy(group_colours + x, colours, 8 * sizeof *colours);
      std::memset(group_bits + x, bits, 8);
      return;
    }
    for (unsigned k = 0; k < 8; ++k) {
      if (group_bits[x + k] != 0) continue;
      group_colours[x + k] = colours[k];
      group_bits[x + k] = bits;
    }
  }
};

// Objects make one layer: the pixel beneath an object is never another object's. A group takes
// no pixel where the line needs nothing more or already has an object on top.
constexpr std::uint8_t GROUP_BLOCKED = 0x80;
void block_finished_pixels(unsigned start, unsigned end) {
  if (line_targets.untouched) {
    std::memset(group_bits + start, 0, end - start);
    return;
  }
  const std::uint8_t* __restrict depth = line_targets.depth;
  const std::uint8_t* __restrict top = line_targets.top;
  std::uint8_t* __restrict group = group_bits;
  for (unsigned x = start; x < end; ++x) {
    std::uint8_t d = depth[x];
    unsigned blocked = (d == DEPTH_DONE) | ((d == DEPTH_TOP) & ((top[x] & TARGET_OBJECT) != 0));
    group[x] = static_cast<std::uint8_t>(blocked << 7);
  }
}

// The group's pixels go where the line has nothing yet, as its top, or under a first target that
// wants what lies beneath it. A semi-transparent object always keeps what lies beneath. Without
// branches, so that the compiler widens the loop.
// The arrays come in as parameters, so that the compiler can take them as apart.
void lay_group_under(unsigned start, unsigned end, std::uint8_t keep_bits,
                     const std::uint16_t* __restrict colours, const std::uint8_t* __restrict group,
                     std::uint16_t* __restrict line, std::uint8_t* __restrict top,
                     std::uint16_t* __restrict beneath, std::uint8_t* __restrict beneath_bits,
                     std::uint8_t* __restrict depth) {
  for (unsigned x = start; x < end; ++x) {
    std::uint8_t bits = group[x], had = depth[x];
    // All ones where the group has a pixel, and where the line has no top yet.
    auto opaque = static_cast<std::uint8_t>(-static_cast<int>((bits & 0x7F) != 0));
    auto none = static_cast<std::uint8_t>(-static_cast<int>(had == DEPTH_NONE));
    auto as_top = static_cast<std::uint8_t>(opaque & none);
    auto as_beneath = static_cast<std::uint8_t>(opaque & ~none);
    auto as_top16 = static_cast<std::uint16_t>(static_cast<std::int8_t>(as_top));
    auto as_beneath16 = static_cast<std::uint16_t>(static_cast<std::int8_t>(as_beneath));
    // DEPTH_TOP where the pixel keeps what lies beneath, else DEPTH_DONE.
    auto after_top = static_cast<std::uint8_t>(DEPTH_DONE - ((bits & keep_bits) != 0));
    line[x] = static_cast<std::uint16_t>((colours[x] & as_top16) | (line[x] & ~as_top16));
    top[x] = static_cast<std::uint8_t>((bits & as_top) | (top[x] & ~as_top));
    beneath[x] =
        static_cast<std::uint16_t>((colours[x] & as_beneath16) | (beneath[x] & ~as_beneath16));
    beneath_bits[x] =
        static_cast<std::uint8_t>((bits & as_beneath) | (beneath_bits[x] & ~as_beneath));
    depth[x] = static_cast<std::uint8_t>((after_top & as_top) | (DEPTH_DONE & as_beneath) |
                                         (had & ~opaque));
  }
}

// The lists run from the highest number down; front to back walks them the other way.
template <bool OneD, bool FrontToBack = false, class MakeSink>
void for_each_object(unsigned priority, unsigned start, unsigned end, MakeSink make_sink) {
  unsigned y = vcount();
  if (y >= SCREEN_HEIGHT || start >= end) return;
  std::uint32_t count = machine.object_line_count[priority][y];
  const std::uint8_t* list = machine.object_line_list[priority][y];
  set_decoded_mapping(OneD);
  for (std::uint32_t n = 0; n < count; ++n) {
    const ObjectLine& o = decoded_objects[list[FrontToBack ? count - 1 - n : n]];
    // Most objects of a windowed line lie outside most of its spans.
    if (o.x >= static_cast<int>(end) ||
        o.x + static_cast<int>(o.box_width) <= static_cast<int>(start))
      continue;
    auto sink = make_sink(o);
    walk_object(o, start, end, sink);
  }
}

// A plain line draws each object straight into the line, last number first, so that lower numbers
// end on top.
struct PlainSink {
  std::uint16_t* line;
  void operator()(unsigned x, unsigned index) const { line[x] = machine.native_palette[index]; }
  void put_colours(unsigned x, const std::uint16_t* colours) const {
    std::memcpy(line + x, colours, 8 * sizeof *colours);
  }
};

template <bool OneD>
void draw_plain(unsigned priority, unsigned start, unsigned end, std::uint16_t* line) {
  for_each_object<OneD>(priority, start, end,
                        [line](const ObjectLine&) { return PlainSink{line}; });
}
template <bool OneD>
void draw_targets(unsigned priority, unsigned start, unsigned end, std::uint16_t* line) {
  if (start >= end) return;
  auto bits = static_cast<std::uint8_t>(target_bits(4) | TARGET_OBJECT);
  auto semi_bits = static_cast<std::uint8_t>(bits | TARGET_FIRST | TARGET_SEMI);
  block_finished_pixels(start, end);
  group_has_pixels = false;
  for_each_object<OneD, true>(priority, start, end, [bits, semi_bits](const ObjectLine& o) {
    return GroupSink{o.semi_transparent ? semi_bits : bits};
  });
  if (!group_has_pixels) return;
  LineTargets& t = line_targets;
  auto keep_bits =
      static_cast<std::uint8_t>(TARGET_SEMI | (t.keep_first_beneath ? TARGET_FIRST : 0));
  lay_group_under(start, end, keep_bits, group_colours, group_bits, line, t.top, t.beneath,
                  t.beneath_bits, t.depth);
  t.untouched = false;
}
}  // namespace

ObjectLine decoded_objects[128];

namespace {
bool decoded_one_dimensional = false;
}

void decode_objects() {
  for (unsigned n = 0; n < 128; ++n) decoded_objects[n] = read_object(n, decoded_one_dimensional);
}

void set_decoded_mapping(bool one_dimensional) {
  if (one_dimensional == decoded_one_dimensional) return;
  decoded_one_dimensional = one_dimensional;
  for (ObjectLine& o : decoded_objects) o.one_dimensional = one_dimensional;
}

ObjectLine read_object(unsigned n, bool one_dimensional) {
  std::uint32_t a0 = attribute(n, 0), a1 = attribute(n, 1), a2 = attribute(n, 2);
  unsigned shape_size = (a0 >> 14) * 4 + (a1 >> 14);
  ObjectLine o{};
  o.width = object_widths[shape_size];
  o.height = object_heights[shape_size];
  o.affine = (a0 & 0x100) != 0;
  unsigned scale = o.affine && (a0 & 0x200) ? 2 : 1;
  o.box_width = o.width * scale;
  o.box_height = o.height * scale;
  o.y = static_cast<int>(a0 & 0xFF);
  if (o.y > 160) o.y -= 256;
  o.x = static_cast<int>(a1 & 0x1FF);
  if (o.x >= 256) o.x -= 512;
  o.tile = a2 & 0x3FF;
  o.palette = a2 >> 12;
  o.colour256 = (a0 & 0x2000) != 0;
  o.semi_transparent = ((a0 >> 10) & 3) == 1;
  o.one_dimensional = one_dimensional;
  if (o.affine) {
    unsigned group = (a1 >> 9) & 0x1F;
    o.pa = parameter(group, 0);
    o.pb = parameter(group, 1);
    o.pc = parameter(group, 2);
    o.pd = parameter(group, 3);
  } else {
    o.hflip = (a1 & 0x1000) != 0;
    o.vflip = (a1 & 0x2000) != 0;
  }
  return o;
}

const ObjectRenderers object_renderers[2] = {
    {draw_plain<false>, draw_targets<false>},
    {draw_plain<true>, draw_targets<true>},
};
