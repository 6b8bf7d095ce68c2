// The object renderers: one per store variant and tile mapping. Objects come from the per-line
// lists, last OAM number first, so lower numbers end on top.

#include "video/dispatch.h"
#include "video/object_walk.h"
#include "video/pixel_store.h"

namespace {

constexpr std::uint32_t OBJECT_AREA = 0x10000;
constexpr std::uint32_t OBJECT_AREA_MASK = 0x7FFF;

std::uint32_t attribute(unsigned n, unsigned word) {
  const std::uint8_t* a = machine.oam_data + n * 8 + word * 2;
  return static_cast<std::uint32_t>(a[0] | a[1] << 8);
}
std::int32_t parameter(unsigned group, unsigned i) {
  return static_cast<std::int16_t>(attribute(group * 4 + i, 3));
}

std::uint32_t object_tag() { return OBJECT_PALETTE | layer_tag(4); }

// Only the top-most object pixel takes part in the effects: an object pixel over another object
// pixel replaces it and keeps what lay beneath the first one, for the effect passes that read it.
struct WideSink {
  std::uint32_t* line;
  std::uint32_t tag;
  void operator()(unsigned x, unsigned index) const {
    std::uint32_t& p = line[x];
    std::uint32_t beneath = (p & OBJECT_PALETTE) ? (p & 0xFFFF0000u) : (p & 0xFFFF) << 16;
    p = beneath | index | tag;
  }
};

// Colours as the plain sink, with target bits beside them. Only the top-most object pixel takes
// part in the effects: one over another object's pixel keeps what lay beneath that one.
struct TargetSink {
  std::uint16_t* line;
  std::uint8_t bits;
  void operator()(unsigned x, unsigned index) const {
    std::uint8_t below = line_targets.top[x];
    if ((below & TARGET_OBJECT) == 0) {
      line_targets.beneath[x] = line[x];
      line_targets.beneath_bits[x] = below;
    }
    line[x] = machine.native_palette[index];
    line_targets.top[x] = bits;
  }
};

struct PlainSink {
  std::uint16_t* line;
  void operator()(unsigned x, unsigned index) const { line[x] = machine.native_palette[index]; }
};

struct Index16Sink {
  std::uint16_t* line;
  std::uint32_t tag;
  void operator()(unsigned x, unsigned index) const {
    line[x] = static_cast<std::uint16_t>(index | tag);
  }
};

template <bool OneD, class MakeSink>
void for_each_object(unsigned priority, unsigned start, unsigned end, MakeSink make_sink) {
  unsigned y = vcount();
  if (y >= SCREEN_HEIGHT || start >= end) return;
  std::uint32_t count = machine.object_line_count[priority][y];
  const std::uint8_t* list = machine.object_line_list[priority][y];
  for (std::uint32_t i = 0; i < count; ++i) {
    ObjectLine o = decoded_objects[list[i]];
    o.one_dimensional = OneD;
    auto sink = make_sink(o);
    walk_object(o, start, end, sink);
  }
}

template <bool OneD>
void draw_plain(unsigned priority, unsigned start, unsigned end, std::uint16_t* line) {
  for_each_object<OneD>(priority, start, end,
                        [line](const ObjectLine&) { return PlainSink{line}; });
}
template <bool OneD>
void draw_targets(unsigned priority, unsigned start, unsigned end, std::uint16_t* line) {
  auto bits = static_cast<std::uint8_t>(target_bits(4) | TARGET_OBJECT);
  for_each_object<OneD>(priority, start, end, [line, bits](const ObjectLine& o) {
    return TargetSink{line, o.semi_transparent
                                ? static_cast<std::uint8_t>(bits | TARGET_FIRST | TARGET_SEMI)
                                : bits};
  });
}
template <bool OneD>
void draw_index16(unsigned priority, unsigned start, unsigned end, std::uint16_t* line) {
  std::uint32_t tag = object_tag();
  for_each_object<OneD>(priority, start, end, [line, tag](const ObjectLine&) {
    return Index16Sink{line, tag};
  });
}
// The `index32` and `blend` variants: a semi-transparent object is always a first target.
template <bool OneD>
void draw_wide(unsigned priority, unsigned start, unsigned end, std::uint32_t* line) {
  std::uint32_t tag = object_tag();
  for_each_object<OneD>(priority, start, end, [line, tag](const ObjectLine& o) {
    return WideSink{line, o.semi_transparent ? tag | TAG_FIRST | TAG_SEMI : tag};
  });
}

}  // namespace

ObjectLine decoded_objects[128];

void decode_objects() {
  for (unsigned n = 0; n < 128; ++n) decoded_objects[n] = read_object(n, false);
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

std::uint64_t texel_row(const ObjectLine& o, unsigned tile_column, unsigned row) {
  unsigned tile_bytes = o.colour256 ? 64 : 32, row_bytes = o.colour256 ? 8 : 4;
  unsigned row_stride = o.one_dimensional ? (o.width / 8) * tile_bytes : 1024;
  std::uint32_t address =
      o.tile * 32 + (row / 8) * row_stride + tile_column * tile_bytes + (row % 8) * row_bytes;
  // Rows are aligned to their size, so a row never straddles the end of the area.
  const std::uint8_t* p = machine.vram_data + OBJECT_AREA + (address & OBJECT_AREA_MASK);
  return o.colour256 ? load64(p) : load32(p);
}

unsigned texel(const ObjectLine& o, unsigned column, unsigned row) {
  std::uint64_t word = texel_row(o, column / 8, row);
  if (o.colour256) {
    unsigned t = static_cast<unsigned>((word >> ((column % 8) * 8)) & 0xFF);
    return t ? 256 + t : 0;
  }
  unsigned t = static_cast<unsigned>((word >> ((column % 8) * 4)) & 0xF);
  return t ? 256 + o.palette * 16 + t : 0;
}

const ObjectRenderers object_renderers[2] = {
    {draw_plain<false>, draw_targets<false>, draw_wide<false>, draw_index16<false>,
     draw_wide<false>},
    {draw_plain<true>, draw_targets<true>, draw_wide<true>, draw_index16<true>, draw_wide<true>},
};
