// Text backgrounds: a map of 16-bit entries in 2 KB blocks of 32 x 32, walked tile by tile. The
// walk is made for one colour depth at a time, and whole tiles, the common case, go through a loop
// of their own with a fixed run of eight pixels.

#include <algorithm>

#include "video/pixel_store.h"

namespace {

constexpr std::uint32_t BG_TILE_AREA = 0x10000;  // tiles past it read as transparent

// Where the line's tile rows lie: the offset of the row in a tile, unflipped and flipped.
template <unsigned Depth>
struct TileRows {
  static constexpr std::uint32_t ROW_BYTES = Depth;  // 8 pixels of Depth bits
  static constexpr std::uint32_t TILE_BYTES = ROW_BYTES * 8;
  const std::uint8_t* vram;
  std::uint32_t characters, row_offset, flipped_offset;

  // One tile row as a little-endian run of 4-bit or 8-bit indices.
  [[gnu::always_inline]] std::uint64_t row(std::uint32_t entry) const {
    std::uint32_t address =
        characters + (entry & 0x3FF) * TILE_BYTES + ((entry & 0x800) ? flipped_offset : row_offset);
    if (address + ROW_BYTES > BG_TILE_AREA) return 0;
    return Depth == 8 ? load64(vram + address) : load32(vram + address);
  }
};

// Pixels `first` to first + count - 1 of a tile row word, stored from line[x].
template <unsigned Depth, class Store, Form F>
[[gnu::always_inline]] inline void tile_pixels(std::uint64_t bits, unsigned palette, unsigned first,
                                               unsigned count, typename Store::Pixel* line,
                                               unsigned x, const Store store) {
  constexpr std::uint64_t mask = (1u << Depth) - 1;
#pragma GCC unroll 8
  for (unsigned i = 0; i < count; ++i) {
    auto index = static_cast<unsigned>((bits >> ((first + i) * Depth)) & mask);
    if (index != 0) {
      store.put(line[x + i], palette | index);
    } else if constexpr (F == BASE) {
      store.clear(line[x + i]);
    }
  }
}

// A horizontally flipped tile is walked forwards through its mirrored row word.
template <unsigned Depth>
[[gnu::always_inline]] inline std::uint64_t in_screen_order(std::uint64_t bits,
                                                            std::uint32_t entry) {
  if ((entry & 0x400) == 0) return bits;
  if constexpr (Depth == 8) {
    return __builtin_bswap64(bits);
  } else {
    auto r = __builtin_bswap32(static_cast<std::uint32_t>(bits));
    return ((r & 0x0F0F0F0Fu) << 4) | ((r >> 4) & 0x0F0F0F0Fu);
  }
}

template <unsigned Depth>
[[gnu::always_inline]] inline unsigned palette_of(std::uint32_t entry) {
  return Depth == 8 ? 0 : (entry >> 12) << 4;
}

// Pixels `first` to first + count - 1 of one tile, stored from line[x].
template <unsigned Depth, class Store, Form F>
void draw_part(const TileRows<Depth>& rows, std::uint32_t entry, unsigned first, unsigned count,
               typename Store::Pixel* line, unsigned x, const Store store) {
  std::uint64_t bits = rows.row(entry);
  if (bits == 0) return clear_span<F>(store, line, x, x + count);
  tile_pixels<Depth, Store, F>(in_screen_order<Depth>(bits, entry), palette_of<Depth>(entry), first,
                               count, line, x, store);
}

// `count` whole tiles from map entry `entry` on, stored from line[x].
template <unsigned Depth, class Store, Form F>
void draw_whole_tiles(const TileRows<Depth>& rows, const std::uint8_t* entry, unsigned count,
                      typename Store::Pixel* line, unsigned x, const Store store) {
  constexpr std::uint64_t mask = (1u << Depth) - 1;
  for (unsigned n = 0; n < count; ++n, entry += 2, x += 8) {
    if constexpr (requires { store.covered8(x); }) {
      if (store.covered8(x)) continue;  // hidden under the layers in front
    }
    std::uint32_t e = load16(entry);
    std::uint64_t bits = rows.row(e);
    if (bits == 0) {
      clear_span<F>(store, line, x, x + 8);
      continue;
    }
    bits = in_screen_order<Depth>(bits, e);
    unsigned palette = palette_of<Depth>(e);
    // An opaque row, the usual case, is stored as one run of colours.
    if (all_opaque<Depth>(bits)) {
      std::uint16_t colours[8];
      for (unsigned i = 0; i < 8; ++i)
        colours[i] = store.palette[palette | ((bits >> (i * Depth)) & mask)];
      store.put_colours(line, x, 8, colours);
      continue;
    }
    tile_pixels<Depth, Store, F>(bits, palette, 0, 8, line, x, store);
  }
}

template <unsigned Depth, class Store, Form F>
void walk_depth(unsigned layer, std::uint32_t control, unsigned start, unsigned end,
                typename Store::Pixel* line, const Store store) {
  bool wide = (control >> 14) & 1;
  bool tall = (control >> 15) & 1;
  unsigned y = (vcount() + io_read16(IO_BG0VOFS + 4 * layer)) & 511;
  unsigned map_row = (tall && y >= 256) ? (wide ? 64 : 32) + (y - 256) / 8 : (y / 8) & 31;
  const std::uint8_t* row_entries = machine.vram_data + ((control >> 8) & 31) * 2048 + map_row * 64;
  const TileRows<Depth> rows{machine.vram_data, ((control >> 2) & 3) * 0x4000, (y & 7) * Depth,
                             (7 - (y & 7)) * Depth};
  unsigned x_mask = wide ? 511 : 255;
  unsigned x = (start + io_read16(IO_BG0HOFS + 4 * layer)) & x_mask;
  unsigned pos = start;
  while (pos < end) {
    // Up to the end of the 256-pixel block, then on in the other block or the same row again.
    unsigned block_end = pos + std::min(end - pos, 256 - (x & 255));
    const std::uint8_t* entry = row_entries + (x >= 256 ? 2048 : 0) + ((x & 255) / 8) * 2;
    unsigned block_start = pos;
    if (unsigned first = x & 7; first != 0) {
      unsigned count = std::min(8 - first, block_end - pos);
      draw_part<Depth, Store, F>(rows, load16(entry), first, count, line, pos, store);
      pos += count;
      entry += 2;
    }
    unsigned whole = (block_end - pos) / 8;
    draw_whole_tiles<Depth, Store, F>(rows, entry, whole, line, pos, store);
    pos += whole * 8;
    entry += whole * 2;
    if (pos < block_end) {
      draw_part<Depth, Store, F>(rows, load16(entry), 0, block_end - pos, line, pos, store);
      pos = block_end;
    }
    x = (x + (block_end - block_start)) & x_mask;
  }
}

struct TextWalker {
  template <class Store, Form F>
  static void walk(unsigned layer, unsigned start, unsigned end, typename Store::Pixel* line,
                   const Store store) {
    std::uint32_t control = bgcnt(layer);
    if (control & 0x80) {
      walk_depth<8, Store, F>(layer, control, start, end, line, store);
    } else {
      walk_depth<4, Store, F>(layer, control, start, end, line, store);
    }
  }
};

}  // namespace

const LayerRenderers text_renderers = RendererSet<TextWalker>::table;
