#pragma once
// The per-variant pixel stores that the background renderers share, and the template that turns
// one background walk into the eight renderers of a slot. Only the store differs between variants;
// the walk (addressing and order of writes) is the same for all of them.

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
  explicit PlainStore(unsigned) {}
  void put(Pixel& p, unsigned index) const { p = palette[index]; }
  void clear(Pixel& p) const { p = backdrop; }
};

template <class PixelType>
struct TaggedStore {
  using Pixel = PixelType;
  std::uint32_t tag;
  std::uint32_t backdrop = backdrop_tag();
  explicit TaggedStore(unsigned layer) : tag(layer_tag(layer)) {}
  void put(Pixel& p, unsigned index) const { p = static_cast<Pixel>(index | tag); }
  void clear(Pixel& p) const { p = static_cast<Pixel>(backdrop); }
};
using Index16Store = TaggedStore<std::uint16_t>;
using Index32Store = TaggedStore<std::uint32_t>;

// A first-target layer keeps what lies beneath its pixels: the backdrop under a base layer, the
// previous top pixel under an overlay.
template <Form F>
struct BlendStore : Index32Store {
  explicit BlendStore(unsigned layer) : Index32Store(layer) {}
  void put(Pixel& p, unsigned index) const {
    std::uint32_t beneath = F == BASE ? backdrop : (p & 0xFFFF);
    p = index | tag | beneath << 16;
  }
};

// Walker::walk<Store, Form>(layer, start, end, line, store) draws the span with that store.
template <class Walker>
struct RendererSet {
  template <class Store, Form F>
  static void draw(unsigned layer, unsigned start, unsigned end, typename Store::Pixel* line) {
    if (start >= end) return;
    Walker::template walk<Store, F>(layer, start, end, line, Store(layer));
  }
  template <Form F>
  static void blend(unsigned layer, unsigned start, unsigned end, std::uint32_t* line) {
    if (first_target(layer)) {
      draw<BlendStore<F>, F>(layer, start, end, line);
    } else {
      draw<Index32Store, F>(layer, start, end, line);
    }
  }
  static constexpr LayerRenderers table = {
      {draw<PlainStore, BASE>, draw<PlainStore, OVERLAY>},
      {blend<BASE>, blend<OVERLAY>},
      {draw<Index16Store, BASE>, draw<Index16Store, OVERLAY>},
      {draw<Index32Store, BASE>, draw<Index32Store, OVERLAY>},
  };
};

// Transparent pixels: the base form shows the backdrop through them, an overlay leaves them.
template <Form F, class Store>
inline void clear_span(const Store& store, typename Store::Pixel* line, unsigned start,
                       unsigned end) {
  if constexpr (F == BASE) {
    for (unsigned x = start; x < end; ++x) store.clear(line[x]);
  }
}
