#pragma once
// The per-variant pixel stores that the background renderers share, and the template that turns
// one background walk into the four renderers of a slot. Only the store differs between variants;
// the walk (addressing and order of writes) is the same for all of them.

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "video/renderer.h"

inline std::uint32_t load16(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0] | p[1] << 8);
}
inline std::uint32_t load32(const std::uint8_t* p) {
  std::uint32_t value;
  std::memcpy(&value, p, 4);
  return value;
}
inline std::uint64_t load64(const std::uint8_t* p) {
  std::uint64_t value;
  std::memcpy(&value, p, 8);
  return value;
}

struct PlainStore {
  using Pixel = std::uint16_t;
  const std::uint16_t* palette = machine.native_palette;
  std::uint16_t backdrop = machine.native_palette[0];
  PlainStore(unsigned, Pixel*) {}
  void put(Pixel& p, unsigned index) const { p = palette[index]; }
  void put_colour(Pixel& p, std::uint16_t colour) const { p = colour; }
  void put_colours(Pixel* out, unsigned x, unsigned count, const std::uint16_t* colours) const {
    std::memcpy(out + x, colours, count * sizeof(Pixel));
  }
  void clear(Pixel& p) const { p = backdrop; }
  void clear_run(Pixel* out, unsigned start, unsigned end) const {
    if (start < end) std::fill(out + start, out + end, backdrop);
  }
};

// Whether bytes [0, count) of `p` all equal `value`.
inline bool all_bytes(const std::uint8_t* p, unsigned count, std::uint8_t value) {
  std::uint64_t wide = value * 0x0101010101010101u;
  unsigned i = 0;
  for (; i + 32 <= count; i += 32) {
    std::uint64_t v[4];
    std::memcpy(v, p + i, 32);
    if (((v[0] ^ wide) | (v[1] ^ wide) | (v[2] ^ wide) | (v[3] ^ wide)) != 0) return false;
  }
  for (; i + 8 <= count; i += 8) {
    std::uint64_t v;
    std::memcpy(&v, p + i, 8);
    if (v != wide) return false;
  }
  for (; i < count; ++i) {
    if (p[i] != value) return false;
  }
  return true;
}

// On a line with colour effects the layers are drawn front to back, and a pixel takes a layer's
// colour only while it still needs one (`line_targets.depth`): first its top, then, under a first
// target that blends, what lies beneath. Pixels that have both are not drawn again, so that the
// layers hidden under the front ones cost little.
struct FrontStore {
  using Pixel = std::uint16_t;
  const std::uint16_t* palette = machine.native_palette;
  std::uint8_t bits;
  std::uint8_t depth_after_top;
  bool untouched = line_targets.untouched;
  const Pixel* line;
  FrontStore(unsigned layer, const Pixel* start_of_line)
      : bits(target_bits(layer)),
        depth_after_top(line_targets.keep_first_beneath && (bits & TARGET_FIRST) ? DEPTH_TOP
                                                                                 : DEPTH_DONE),
        line(start_of_line) {}
  // Without branches: whether a pixel still needs a layer follows the layers in front, which a
  // branch would guess badly.
  void put_colour(Pixel& p, std::uint16_t colour) const {
    LineTargets& t = line_targets;
    auto x = static_cast<unsigned>(&p - line);
    if (untouched) {  // the same for the whole layer, so the branch is well guessed
      p = colour;
      t.top[x] = bits;
      t.depth[x] = depth_after_top;
      return;
    }
    std::uint8_t depth = t.depth[x];
    bool as_top = depth == DEPTH_NONE, as_beneath = depth == DEPTH_TOP;
    p = as_top ? colour : p;
    t.top[x] = as_top ? bits : t.top[x];
    t.beneath[x] = as_beneath ? colour : t.beneath[x];
    t.beneath_bits[x] = as_beneath ? bits : t.beneath_bits[x];
    t.depth[x] = as_top ? depth_after_top : as_beneath ? DEPTH_DONE : depth;
  }
  void put(Pixel& p, unsigned index) const { put_colour(p, palette[index]); }
  void put_colours(Pixel* out, unsigned x, unsigned count, const std::uint16_t* colours) const {
    // A run whose pixels all need the same, the usual case, at once: the top under nothing yet,
    // what lies beneath under first targets, or nothing.
    std::uint8_t depth = untouched ? DEPTH_NONE : line_targets.depth[x];
    if (untouched || all_bytes(line_targets.depth + x, count, depth)) {
      if (depth == DEPTH_NONE) {
        std::memcpy(out + x, colours, count * sizeof(Pixel));
        std::memset(line_targets.top + x, bits, count);
        std::memset(line_targets.depth + x, depth_after_top, count);
      } else if (depth == DEPTH_TOP) {
        std::memcpy(line_targets.beneath + x, colours, count * sizeof(Pixel));
        std::memset(line_targets.beneath_bits + x, bits, count);
        std::memset(line_targets.depth + x, DEPTH_DONE, count);
      }
      return;
    }
    for (unsigned i = 0; i < count; ++i) put_colour(out[x + i], colours[i]);
  }
  // The backdrop is in place before the first layer comes.
  void clear(Pixel&) const {}
  void clear_run(Pixel*, unsigned, unsigned) const {}
  // Whether pixels x to x + 7 need nothing more.
  bool covered8(unsigned x) const {
    std::uint64_t v;
    std::memcpy(&v, line_targets.depth + x, 8);
    return v == DEPTH_DONE * 0x0101010101010101u;
  }
};

// Walker::walk<Store, Form>(layer, start, end, line, store) draws the span with that store.
template <class Walker>
struct RendererSet {
  template <class Store, Form F>
  static void draw(unsigned layer, unsigned start, unsigned end, typename Store::Pixel* line) {
    if (start >= end) return;
    Walker::template walk<Store, F>(layer, start, end, line, Store(layer, line));
  }
  // Drawn front to back: nothing beneath to clear.
  static constexpr LayerRenderers table = {
      {draw<PlainStore, BASE>, draw<PlainStore, OVERLAY>},
      draw<FrontStore, OVERLAY>,
  };
};

// Transparent pixels: the base form shows the backdrop through them, an overlay leaves them.
template <Form F, class Store>
inline void clear_span(const Store& store, typename Store::Pixel* line, unsigned start,
                       unsigned end) {
  if constexpr (F == BASE) {
    if constexpr (requires { store.clear_run(line, start, end); }) {
      store.clear_run(line, start, end);
    } else {
      for (unsigned x = start; x < end; ++x) store.clear(line[x]);
    }
  }
}
