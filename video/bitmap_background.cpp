// The bitmap backgrounds of modes 3, 4 and 5, sampled along BG2's running reference point. Pixels
// outside the bitmap show the backdrop in the base form and are left alone in an overlay.

#include <algorithm>
#include <cstring>
#include <type_traits>

#include "video/pixel_store.h"

namespace {

struct Bitmap {
  std::uint32_t width, height;
  const std::uint8_t* pixels;
};

constexpr std::uint16_t bitmap_colour(std::uint32_t c) {
  return static_cast<std::uint16_t>((c << 11) | ((c & 0x3E0) << 1) | (c >> 10));
}

template <unsigned Mode>
std::uint16_t pixel(const Bitmap& b, std::uint32_t px, std::uint32_t py) {
  std::uint32_t at = py * b.width + px;
  if constexpr (Mode == 4) {
    return machine.native_palette[b.pixels[at]];
  } else {
    return bitmap_colour(load16(b.pixels + at * 2));
  }
}

template <unsigned Mode>
Bitmap bitmap() {
  constexpr std::uint32_t width = Mode == 5 ? 160 : 240;
  constexpr std::uint32_t height = Mode == 5 ? 128 : 160;
  bool second_page = Mode != 3 && (io_read16(IO_DISPCNT) & DISPCNT_FRAME_SELECT);
  return {width, height, machine.vram_data + (second_page ? 0xA000 : 0)};
}

// `count` colours of row `py` from `column` on, in one pass over the row that the compiler widens.
template <unsigned Mode>
void row_colours(const Bitmap& b, std::uint32_t column, std::uint32_t py, unsigned count,
                 std::uint16_t* out) {
  const std::uint8_t* source = b.pixels + (py * b.width + column) * (Mode == 4 ? 1 : 2);
  if constexpr (Mode == 4) {
    const std::uint16_t* palette = machine.native_palette;
    for (unsigned i = 0; i < count; ++i) out[i] = palette[source[i]];
  } else {
    std::uint16_t raw[SCREEN_WIDTH];
    std::memcpy(raw, source, count * 2);
    for (unsigned i = 0; i < count; ++i) out[i] = bitmap_colour(raw[i]);
  }
}

// PA exactly 1: the source row is copied, shifted right by the part left of the bitmap. Returns
// the pixels [first, stop) drawn.
template <unsigned Mode, class Store>
void copy_row(const Bitmap& b, std::int32_t sx, std::uint32_t py, unsigned& first, unsigned& stop,
              typename Store::Pixel* line, const Store store) {
  unsigned x = first, end = stop;
  stop = first;
  if (sx < 0) {
    std::uint32_t skip = 0u - static_cast<std::uint32_t>(sx);
    if (skip >= end - x) return;
    x += skip;
    sx = 0;
  }
  auto column = static_cast<std::uint32_t>(sx);
  if (column >= b.width) return;
  unsigned last = static_cast<unsigned>(std::min<std::uint32_t>(end, x + (b.width - column)));
  first = x, stop = last;
  std::uint16_t colours[SCREEN_WIDTH];
  row_colours<Mode>(b, column, py, last - x, colours);
  store.put_colours(line, x, last - x, colours);
}

template <unsigned Mode, Form F, class Store>
void render_bitmap(unsigned start, unsigned end, typename Store::Pixel* line, const Store store) {
  Bitmap b = bitmap<Mode>();
  auto pa = static_cast<std::uint32_t>(reg16_signed(IO_BG2PA));
  auto pc = static_cast<std::uint32_t>(reg16_signed(IO_BG2PC));
  std::uint32_t x = static_cast<std::uint32_t>(machine.affine_ref_x[0]) + start * pa;
  std::uint32_t y = static_cast<std::uint32_t>(machine.affine_ref_y[0]) + start * pc;
  auto whole = [](std::uint32_t v) { return static_cast<std::int32_t>(v) >> 8; };
  if (pc == 0) {
    auto py = static_cast<std::uint32_t>(whole(y));
    if (py >= b.height) return clear_span<F>(store, line, start, end);
    if (pa == 256) {
      unsigned first = start, stop = end;
      copy_row<Mode>(b, whole(x), py, first, stop, line, store);
      if (first >= stop) return clear_span<F>(store, line, start, end);
      clear_span<F>(store, line, start, first);
      return clear_span<F>(store, line, stop, end);
    }
  }
  clear_span<F>(store, line, start, end);
  // A straight walk crosses the bitmap once: only the steps inside it are sampled.
  auto wide = [](std::uint32_t v) { return std::int64_t{static_cast<std::int32_t>(v)}; };
  auto signed_step = [](std::uint32_t v) { return std::int64_t{static_cast<std::int32_t>(v)}; };
  StepRange across =
      steps_inside(wide(x), signed_step(pa), 0, std::int64_t{b.width} * 256, end - start);
  StepRange down =
      steps_inside(wide(y), signed_step(pc), 0, std::int64_t{b.height} * 256, end - start);
  unsigned from = std::max(across.first, down.first), to = std::min(across.end, down.end);
  x += from * pa, y += from * pc;
  if (pa == 0 && pc == 0 && from < to) {  // one texel for the whole run
    std::uint16_t colours[SCREEN_WIDTH];
    std::fill(
        colours, colours + (to - from),
        pixel<Mode>(b, static_cast<std::uint32_t>(whole(x)), static_cast<std::uint32_t>(whole(y))));
    return store.put_colours(line, start + from, to - from, colours);
  }
  for (unsigned i = start + from; i < start + to; ++i, x += pa, y += pc) {
    auto px = static_cast<std::uint32_t>(whole(x)), py = static_cast<std::uint32_t>(whole(y));
    store.put_colour(line[i], pixel<Mode>(b, px, py));
  }
}

template <unsigned Mode>
struct BitmapWalker {
  template <class Store, Form F>
  static void walk(unsigned, unsigned start, unsigned end, typename Store::Pixel* line,
                   const Store store) {
    render_bitmap<Mode, F>(start, end, line, store);
  }
};

}  // namespace

const LayerRenderers bitmap_renderers[3] = {RendererSet<BitmapWalker<3>>::table,
                                            RendererSet<BitmapWalker<4>>::table,
                                            RendererSet<BitmapWalker<5>>::table};
