#pragma once
// One object's pixels on the current line, shared by the object renderers and the OBJ-window
// pass: the walk hands each opaque texel's colour index (256 and up) to a sink.

#include <cstdint>

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
// windowed line do not decode them again; the tile mapping is set where an object is drawn, as it
// follows DISPCNT.
extern ObjectLine decoded_objects[128];
void decode_objects();

// The texel row word of tile column `tile_column`, texture row `row`: 8 nibbles or 8 bytes.
// Addresses wrap inside the 32 KB object tile area.
std::uint64_t texel_row(const ObjectLine& o, unsigned tile_column, unsigned row);
unsigned texel(const ObjectLine& o, unsigned column, unsigned row);

template <class Sink>
void walk_plain_object(const ObjectLine& o, unsigned first, unsigned last, Sink& sink) {
  unsigned row = vcount() - static_cast<unsigned>(o.y);
  if (o.vflip) row = o.height - 1 - row;
  unsigned bits = o.colour256 ? 8 : 4;
  std::uint64_t mask = o.colour256 ? 0xFF : 0xF;
  unsigned base = o.colour256 ? 256 : 256 + o.palette * 16;
  for (unsigned x = first; x < last;) {
    unsigned offset = x - static_cast<unsigned>(o.x);
    unsigned column = o.hflip ? o.width - 1 - offset : offset;
    unsigned in_tile = column % 8;
    unsigned run = o.hflip ? in_tile + 1 : 8 - in_tile;
    if (run > last - x) run = last - x;
    std::uint64_t word = texel_row(o, column / 8, row);
    if (word != 0) {
      for (unsigned k = 0; k < run; ++k) {
        unsigned i = o.hflip ? in_tile - k : in_tile + k;
        unsigned t = static_cast<unsigned>((word >> (i * bits)) & mask);
        if (t != 0) sink(x + k, base + t);
      }
    }
    x += run;
  }
}

template <class Sink>
void walk_affine_object(const ObjectLine& o, unsigned first, unsigned last, Sink& sink) {
  std::int32_t hw = static_cast<std::int32_t>(o.box_width / 2),
               hh = static_cast<std::int32_t>(o.box_height / 2);
  std::int32_t dy = static_cast<std::int32_t>(vcount()) - (o.y + hh);
  std::int32_t dx0 = static_cast<std::int32_t>(first) - (o.x + hw);
  std::int32_t tx = static_cast<std::int32_t>(o.width / 2) * 256 + o.pa * dx0 + o.pb * dy;
  std::int32_t ty = static_cast<std::int32_t>(o.height / 2) * 256 + o.pc * dx0 + o.pd * dy;
  bool started = false;
  for (unsigned x = first; x < last; ++x, tx += o.pa, ty += o.pc) {
    unsigned column = static_cast<unsigned>(tx >> 8), row = static_cast<unsigned>(ty >> 8);
    if (column >= o.width || row >= o.height) {
      if (started) return;                       // a straight path leaves a rectangle only once
      if (o.pc == 0 && row >= o.height) return;  // a fixed row outside can never come inside
      continue;
    }
    started = true;
    if (unsigned t = texel(o, column, row)) sink(x, t);
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
