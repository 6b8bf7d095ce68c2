// Rotating and scaling backgrounds: a square map of byte entries naming 256-colour tiles, sampled
// along the line from the running reference point. One of four loops is chosen per call so that
// wrapped and unrotated lines need no range tests per pixel.

#include "video/pixel_store.h"

namespace {

struct AffineMap {
  const std::uint8_t* map;
  const std::uint8_t* characters;
  std::uint32_t size;   // pixels per side
  unsigned cell_shift;  // log2 of the entries per map row
};

// The line's walk through the map, 20.8 fixed point; unsigned so that it wraps as the hardware's.
struct Walk {
  std::uint32_t x, y, pa, pc;
  std::uint32_t px() const { return static_cast<std::uint32_t>(static_cast<std::int32_t>(x) >> 8); }
  std::uint32_t py() const { return static_cast<std::uint32_t>(static_cast<std::int32_t>(y) >> 8); }
  void step() { x += pa, y += pc; }
};

// Colour index at (px, py), both inside the map; `cell` and `tile` cache the last map cell.
[[gnu::always_inline]] inline unsigned texel(const AffineMap& m, std::uint32_t px, std::uint32_t py,
                                             std::uint32_t& cell, const std::uint8_t*& tile) {
  std::uint32_t here = ((py >> 3) << m.cell_shift) + (px >> 3);
  if (here != cell) {
    cell = here;
    tile = m.characters + m.map[here] * 64;
  }
  return tile[(py & 7) * 8 + (px & 7)];
}

template <Form F, class Store>
[[gnu::always_inline]] inline void put(const Store store, typename Store::Pixel& p,
                                       unsigned index) {
  if (index != 0) {
    store.put(p, index);
  } else if constexpr (F == BASE) {
    store.clear(p);
  }
}

// Without wrap-around a straight line enters the square at most once: transparent before, drawn
// while inside, transparent after.
template <class Store, Form F>
void clipped(const AffineMap& m, Walk w, unsigned start, unsigned end, typename Store::Pixel* line,
             const Store store) {
  unsigned x = start;
  auto inside = [&] { return w.px() < m.size && w.py() < m.size; };
  for (; x < end && !inside(); ++x, w.step()) {
    if constexpr (F == BASE) store.clear(line[x]);
  }
  std::uint32_t cell = ~0u;
  const std::uint8_t* tile = nullptr;
  for (; x < end && inside(); ++x, w.step())
    put<F>(store, line[x], texel(m, w.px(), w.py(), cell, tile));
  clear_span<F>(store, line, x, end);
}

// One map row for the whole line: the row's texel offset is fixed.
template <class Store, Form F>
void clipped_row(const AffineMap& m, Walk w, unsigned start, unsigned end,
                 typename Store::Pixel* line, const Store store) {
  if (w.py() >= m.size) return clear_span<F>(store, line, start, end);
  clipped<Store, F>(m, w, start, end, line, store);
}

template <class Store, Form F>
void wrapped(const AffineMap& map, Walk w, unsigned start, unsigned end,
             typename Store::Pixel* line, const Store store) {
  const AffineMap m = map;  // a copy that the stores to the line cannot alias
  std::uint32_t cell = ~0u;
  const std::uint8_t* tile = nullptr;
  std::uint32_t mask = m.size - 1;
  for (unsigned x = start; x < end; ++x, w.step()) {
    put<F>(store, line[x], texel(m, w.px() & mask, w.py() & mask, cell, tile));
  }
}

template <class Store, Form F>
void wrapped_row(const AffineMap& m, Walk w, unsigned start, unsigned end,
                 typename Store::Pixel* line, const Store store) {
  std::uint32_t mask = m.size - 1;
  std::uint32_t py = w.py() & mask;
  const std::uint8_t* map_row = m.map + ((py >> 3) << m.cell_shift);
  const std::uint8_t* characters = m.characters + (py & 7) * 8;
  for (unsigned x = start; x < end; ++x, w.step()) {
    std::uint32_t px = w.px() & mask;
    put<F>(store, line[x], characters[map_row[px >> 3] * 64 + (px & 7)]);
  }
}

struct AffineWalker {
  template <class Store, Form F>
  static void walk(unsigned layer, unsigned start, unsigned end, typename Store::Pixel* line,
                   const Store store) {
    std::uint32_t control = bgcnt(layer);
    unsigned size_bits = (control >> 14) & 3;
    AffineMap m{machine.vram_data + ((control >> 8) & 31) * 2048,
                machine.vram_data + ((control >> 2) & 3) * 0x4000, 128u << size_bits,
                4 + size_bits};
    unsigned bg = layer - 2;
    auto pa = static_cast<std::uint32_t>(reg16_signed(IO_BG2PA + 0x10 * bg));
    auto pc = static_cast<std::uint32_t>(reg16_signed(IO_BG2PC + 0x10 * bg));
    Walk w{static_cast<std::uint32_t>(machine.affine_ref_x[bg]) + start * pa,
           static_cast<std::uint32_t>(machine.affine_ref_y[bg]) + start * pc, pa, pc};
    bool wrap = (control & 0x2000) != 0;
    if (wrap) {
      (pc == 0 ? wrapped_row<Store, F> : wrapped<Store, F>)(m, w, start, end, line, store);
    } else {
      (pc == 0 ? clipped_row<Store, F> : clipped<Store, F>)(m, w, start, end, line, store);
    }
  }
};

}  // namespace

const LayerRenderers affine_renderers = RendererSet<AffineWalker>::table;
