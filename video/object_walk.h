#pragma once
// One object's pixels on the current line, shared by the object renderers and the OBJ-window
// pass: the walk hands each opaque texel's colour index (256 and up) to a sink.

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "video/renderer.h"

struct ObjectLine {
  int x, y;
  unsigned width, height;          // of the texture
  unsigned box_width, box_height;  // on screen: twice the texture for double size
  unsigned tile, palette;
  bool affine, colour256, hflip, vflip, semi_transparent, one_dimensional;
  std::int32_t pa, pb, pc, pd;
};

ObjectLine read_object(unsigned n, bool one_dimensional);

// Every object decoded once per change of OAM (or of the video mode), so that the spans of a
// windowed line do not decode them again. The tile mapping follows DISPCNT, which may change
// without OAM: the drawing code sets it before it reads the records.
extern ObjectLine decoded_objects[128];
void decode_objects();
void set_decoded_mapping(bool one_dimensional);

// Object tiles: 32 KB of video memory from 0x10000; addresses wrap inside it.
constexpr std::uint32_t OBJECT_TILE_AREA = 0x10000;
constexpr std::uint32_t OBJECT_TILE_AREA_MASK = 0x7FFF;

// Byte offset of texture row `row`'s first tile in the object tile area, before wrapping.
inline std::uint32_t object_row_address(const ObjectLine& o, unsigned row) {
  unsigned row_bytes = o.colour256 ? 8 : 4;
  unsigned row_stride = o.one_dimensional ? (o.width / 8) * row_bytes * 8 : 1024;
  return o.tile * 32 + (row / 8) * row_stride + (row % 8) * row_bytes;
}

// A tile row word with its texels in the opposite order, for a mirrored object.
inline std::uint64_t mirrored(std::uint64_t word, bool colour256) {
  if (colour256) return __builtin_bswap64(word);
  auto r = __builtin_bswap32(static_cast<std::uint32_t>(word));
  return ((r & 0x0F0F0F0Fu) << 4) | ((r >> 4) & 0x0F0F0F0Fu);
}

// Texels `first` to first + count - 1 of a row word, handed to the sink from screen x on.
template <unsigned Bits, class Sink>
[[gnu::always_inline]] inline void sink_texels(std::uint64_t word, unsigned first, unsigned count,
                                               unsigned base, unsigned x, Sink& sink) {
  constexpr std::uint64_t mask = (1u << Bits) - 1;
#pragma GCC unroll 8
  for (unsigned k = 0; k < count; ++k) {
    auto t = static_cast<unsigned>((word >> ((first + k) * Bits)) & mask);
    if (t != 0) sink(x + k, base + t);
  }
}

template <unsigned Bits, class Sink>
void walk_plain_texels(const ObjectLine& object, unsigned first, unsigned last, Sink& target) {
  Sink sink = target;           // a copy that its own stores cannot alias
  const ObjectLine o = object;  // a copy that the sink's stores cannot alias
  unsigned row = vcount() - static_cast<unsigned>(o.y);
  if (o.vflip) row = o.height - 1 - row;
  const std::uint32_t row_address = object_row_address(o, row);
  const std::uint8_t* area = machine.vram_data + OBJECT_TILE_AREA;
  unsigned base = Bits == 8 ? 256 : 256 + o.palette * 16;
  for (unsigned x = first; x < last;) {
    unsigned offset = x - static_cast<unsigned>(o.x);
    unsigned column = o.hflip ? o.width - 1 - offset : offset;
    // A mirrored row word is walked forwards as well: from texel 7 - column % 8 on.
    unsigned in_word = o.hflip ? 7 - column % 8 : column % 8;
    unsigned run = 8 - in_word;
    if (run > last - x) run = last - x;
    if constexpr (requires { sink.covered8(x); }) {
      if (run == 8 && sink.covered8(x)) {
        x += run;
        continue;
      }
    }
    // Rows are aligned to their size, so a row never straddles the end of the area.
    const std::uint8_t* p =
        area + ((row_address + (column / 8) * Bits * 8) & OBJECT_TILE_AREA_MASK);
    std::uint64_t word;
    if constexpr (Bits == 8) {
      std::memcpy(&word, p, 8);
    } else {
      std::uint32_t half;
      std::memcpy(&half, p, 4);
      word = half;
    }
    if (word != 0) {
      if (o.hflip) word = mirrored(word, Bits == 8);
      if (run == 8) {
        if constexpr (requires {
                        sink.put_colours(x, static_cast<const std::uint16_t*>(nullptr));
                      }) {
          if (all_opaque<Bits>(word)) {
            constexpr std::uint64_t mask = (1u << Bits) - 1;
            std::uint16_t colours[8];
            for (unsigned k = 0; k < 8; ++k)
              colours[k] = machine.native_palette[base + ((word >> (k * Bits)) & mask)];
            sink.put_colours(x, colours);
            x += run;
            continue;
          }
        }
        sink_texels<Bits>(word, 0, 8, base, x, sink);
      } else {
        sink_texels<Bits>(word, in_word, run, base, x, sink);
      }
    }
    x += run;
  }
}

template <class Sink>
void walk_plain_object(const ObjectLine& o, unsigned first, unsigned last, Sink& sink) {
  if (o.colour256) {
    walk_plain_texels<8>(o, first, last, sink);
  } else {
    walk_plain_texels<4>(o, first, last, sink);
  }
}

// The texture is sampled along the line with the object's matrix, only over the pixels whose
// sample lies inside it; the tile addressing is worked out once per object, so that a texel costs
// an address sum and one byte read.
template <bool Colour256, class Sink>
void walk_affine_texels(const ObjectLine& o, unsigned first, unsigned last, Sink& target) {
  Sink sink = target;  // a copy that its own stores cannot alias
  constexpr unsigned row_bytes = Colour256 ? 8 : 4, tile_bytes = row_bytes * 8;
  const unsigned row_stride = o.one_dimensional ? (o.width / 8) * tile_bytes : 1024;
  const std::uint32_t tile_base = o.tile * 32;
  const std::uint8_t* area = machine.vram_data + OBJECT_TILE_AREA;
  const unsigned base = Colour256 ? 256 : 256 + o.palette * 16;
  std::int32_t hw = static_cast<std::int32_t>(o.box_width / 2),
               hh = static_cast<std::int32_t>(o.box_height / 2);
  std::int32_t dy = static_cast<std::int32_t>(vcount()) - (o.y + hh);
  std::int32_t dx0 = static_cast<std::int32_t>(first) - (o.x + hw);
  std::int32_t tx = static_cast<std::int32_t>(o.width / 2) * 256 + o.pa * dx0 + o.pb * dy;
  std::int32_t ty = static_cast<std::int32_t>(o.height / 2) * 256 + o.pc * dx0 + o.pd * dy;
  const std::int32_t pa = o.pa, pc = o.pc;  // copied: the sink's stores could alias the record
  StepRange across = steps_inside(tx, pa, 0, std::int64_t{o.width} * 256, last - first);
  StepRange down = steps_inside(ty, pc, 0, std::int64_t{o.height} * 256, last - first);
  unsigned from = std::max(across.first, down.first), to = std::min(across.end, down.end);
  tx += pa * static_cast<std::int32_t>(from);
  ty += pc * static_cast<std::int32_t>(from);
  for (unsigned i = from; i < to; ++i, tx += pa, ty += pc) {
    if constexpr (requires { sink.covered(i); }) {
      if (sink.covered(first + i)) continue;
    }
    auto column = static_cast<unsigned>(tx >> 8), row = static_cast<unsigned>(ty >> 8);
    std::uint32_t address = tile_base + (row / 8) * row_stride + (row % 8) * row_bytes +
                            (column / 8) * tile_bytes + (column % 8) * row_bytes / 8;
    unsigned t = area[address & OBJECT_TILE_AREA_MASK];
    if constexpr (!Colour256) t = (t >> ((column & 1) * 4)) & 0xF;
    if (t != 0) sink(first + i, base + t);
  }
}

template <class Sink>
void walk_affine_object(const ObjectLine& o, unsigned first, unsigned last, Sink& sink) {
  if (o.colour256) {
    walk_affine_texels<true>(o, first, last, sink);
  } else {
    walk_affine_texels<false>(o, first, last, sink);
  }
}

// Only the part of the object's box inside [start, end) is walked, so a window run or a clipped
// OBJ-window extent costs no more than its own width.
template <class Sink>
void walk_object(const ObjectLine& o, unsigned start, unsigned end, Sink& sink) {
  int first = o.x > static_cast<int>(start) ? o.x : static_cast<int>(start);
  int last = o.x + static_cast<int>(o.box_width);
  if (last > static_cast<int>(end)) last = static_cast<int>(end);
  if (first >= last) return;
  if (o.affine) {
    walk_affine_object(o, static_cast<unsigned>(first), static_cast<unsigned>(last), sink);
  } else {
    walk_plain_object(o, static_cast<unsigned>(first), static_cast<unsigned>(last), sink);
  }
}
