// Text backgrounds: a map of 16-bit entries in 2 KB blocks of 32 x 32, walked tile by tile.

#include <algorithm>

#include "video/pixel_store.h"

namespace {

constexpr std::uint32_t BG_TILE_AREA = 0x10000;  // tiles past it read as transparent

struct TileRun {
  unsigned row;  // tile row 0-7 before vertical flip
  std::uint32_t characters;
  bool colours256;
};

// One tile row as a little-endian run of 4-bit or 8-bit indices.
std::uint64_t tile_row(const TileRun& run, std::uint32_t entry) {
  unsigned row = (entry & 0x800) ? 7 - run.row : run.row;
  std::uint32_t tile = entry & 0x3FF;
  std::uint32_t bytes = run.colours256 ? 8 : 4;
  std::uint32_t address = run.characters + tile * bytes * 8 + row * bytes;
  if (address + bytes > BG_TILE_AREA) return 0;
  const std::uint8_t* p = machine.vram_data + address;
  return run.colours256 ? load64(p) : load32(p);
}

// Pixels `first` to first + count - 1 of a tile row word, stored from line[x].
template <unsigned Depth, class Store, Form F>
[[gnu::always_inline]] inline void tile_pixels(std::uint64_t bits, unsigned palette, unsigned first,
                                               unsigned count, typename Store::Pixel* line,
                                               unsigned x, const Store& store) {
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

// A horizontally flipped tile is walked forwards through its mirrored row word. Whole tiles, the
// common case, go as a fixed run of eight that the compiler lays out flat.
template <unsigned Depth, class Store, Form F>
void tile_row_pixels(std::uint64_t bits, std::uint32_t entry, unsigned first, unsigned count,
                     typename Store::Pixel* line, unsigned x, const Store& store) {
  unsigned palette = Depth == 8 ? 0 : (entry >> 12) << 4;
  if (entry & 0x400) {
    if constexpr (Depth == 8) {
      bits = __builtin_bswap64(bits);
    } else {
      auto r = __builtin_bswap32(static_cast<std::uint32_t>(bits));
      bits = ((r & 0x0F0F0F0Fu) << 4) | ((r >> 4) & 0x0F0F0F0Fu);
    }
  }
  if (count == 8) {
    if constexpr (stores_colours<Store>) {
      // An opaque row, the usual case, is stored as one run of colours.
      if (all_opaque<Depth>(bits)) {
        constexpr std::uint64_t mask = (1u << Depth) - 1;
        std::uint16_t colours[8];
        for (unsigned i = 0; i < 8; ++i)
          colours[i] = store.palette[palette | ((bits >> (i * Depth)) & mask)];
        return store.put_colours(line, x, 8, colours);
      }
    }
    return tile_pixels<Depth, Store, F>(bits, palette, 0, 8, line, x, store);
  }
  tile_pixels<Depth, Store, F>(bits, palette, first, count, line, x, store);
}

template <class Store, Form F>
void draw_tile(const TileRun& run, std::uint32_t entry, unsigned first, unsigned count,
               typename Store::Pixel* line, unsigned x, const Store& store) {
  std::uint64_t bits = tile_row(run, entry);
  if (bits == 0) return clear_span<F>(store, line, x, x + count);
  if (run.colours256)
    return tile_row_pixels<8, Store, F>(bits, entry, first, count, line, x, store);
  tile_row_pixels<4, Store, F>(bits, entry, first, count, line, x, store);
}

struct TextWalker {
  template <class Store, Form F>
  static void walk(unsigned layer, unsigned start, unsigned end, typename Store::Pixel* line,
                   const Store& store) {
    std::uint32_t control = bgcnt(layer);
    bool wide = (control >> 14) & 1;
    bool tall = (control >> 15) & 1;
    unsigned y = (vcount() + io_read16(IO_BG0VOFS + 4 * layer)) & 511;
    unsigned map_row = (tall && y >= 256) ? (wide ? 64 : 32) + (y - 256) / 8 : (y / 8) & 31;
    const std::uint8_t* row_entries =
        machine.vram_data + ((control >> 8) & 31) * 2048 + map_row * 64;
    TileRun run{y & 7, ((control >> 2) & 3) * 0x4000, (control & 0x80) != 0};
    unsigned x_mask = wide ? 511 : 255;
    unsigned x = (start + io_read16(IO_BG0HOFS + 4 * layer)) & x_mask;
    unsigned pos = start;
    while (pos < end) {
      // Up to the end of the 256-pixel block, then on in the other block or the same row again.
      unsigned block_end = pos + std::min(end - pos, 256 - (x & 255));
      const std::uint8_t* entry = row_entries + (x >= 256 ? 2048 : 0) + ((x & 255) / 8) * 2;
      for (unsigned first = x & 7; pos < block_end; first = 0, entry += 2) {
        unsigned count = std::min(8 - first, block_end - pos);
        draw_tile<Store, F>(run, load16(entry), first, count, line, pos, store);
        pos += count;
        x = (x + count) & x_mask;
      }
    }
  }
};

}  // namespace

const LayerRenderers text_renderers = RendererSet<TextWalker>::table;
