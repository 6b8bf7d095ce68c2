#include "video/presentation.h"

#include <algorithm>
#include <cstring>

namespace {

bool fits(OutputSize out, ScreenDirection direction, int screen_width, int screen_height) {
  bool upright = direction == DIRECTION_UPRIGHT;
  int across = upright ? out.width : out.height;
  int down = upright ? out.height : out.width;
  return across <= screen_width && down <= screen_height;
}

// The output size along the picture's own axes: the screen's axes, swapped when rotated.
OutputSize picture_axes(ScreenDirection direction, int screen_width, int screen_height) {
  if (direction == DIRECTION_UPRIGHT) return {screen_width, screen_height};
  return {screen_height, screen_width};
}

// The screen pixel the first output pixel goes to.
struct Corner {
  int column;
  int row;
};

Corner first_pixel(OutputSize out, ScreenDirection direction, int w, int h) {
  switch (direction) {
    // Rounded as a whole, not per half: with an odd height and an odd picture length the halves
    // would start the picture one row above the screen.
    case DIRECTION_TOP_LEFT: return {(w - out.height) / 2, (h + out.width) / 2 - 1};
    case DIRECTION_TOP_RIGHT: return {(w + out.height) / 2 - 1, h / 2 - out.width / 2};
    default: return {(w - out.width) / 2, (h - out.height) / 2};
  }
}

// The screen rectangle of the first `written` columns and rows of a picture placed for `out`.
ScreenRect written_rect(OutputSize out, OutputSize written, ScreenDirection direction,
                        const ScreenView& screen) {
  Corner c = first_pixel(out, direction, screen.width, screen.height);
  switch (direction) {
    case DIRECTION_TOP_LEFT:
      return {c.column, c.row - written.width + 1, written.height, written.width};
    case DIRECTION_TOP_RIGHT:
      return {c.column - written.height + 1, c.row, written.height, written.width};
    default: return {c.column, c.row, written.width, written.height};
  }
}

void build_scale_table(ScaleTable& table, OutputSize out) {
  table.assign(static_cast<std::size_t>(std::max(out.width, 0)) * std::max(out.height, 0), 0);
  float column_factor = static_cast<float>(FRAME_WIDTH) / static_cast<float>(out.width);
  float row_factor = static_cast<float>(FRAME_HEIGHT) / static_cast<float>(out.height);
  std::size_t n = 0;
  for (int i = 0; i < out.height; ++i) {
    int source_row = static_cast<int>(static_cast<float>(i) * row_factor);
    for (int j = 0; j < out.width; ++j) {
      int index =
          source_row * FRAME_WIDTH + static_cast<int>(static_cast<float>(j) * column_factor);
      table[n++] = index > LAST_FRAME_PIXEL ? 0 : static_cast<std::uint16_t>(index);
    }
  }
}

// An upright picture's rows are whole runs of screen memory: copied a row at a time.
void copy_1x_upright(const std::uint16_t* frame, std::uint16_t* first, const Placement& p) {
  for (int y = 0; y < FRAME_HEIGHT; ++y, frame += FRAME_WIDTH) {
    std::memcpy(first + y * p.row_step, frame, FRAME_WIDTH * sizeof *frame);
  }
}

void copy_1x(const std::uint16_t* frame, std::uint16_t* first, const Placement& p) {
  if (p.pixel_step == 1) return copy_1x_upright(frame, first, p);
  for (int y = 0; y < FRAME_HEIGHT; ++y) {
    std::uint16_t* out = first + y * p.row_step;
    for (int x = 0; x < FRAME_WIDTH; ++x, out += p.pixel_step) *out = *frame++;
  }
}

// Each source pixel becomes one 32-bit pair of a doubled row, built apart from the screen so
// that the compiler may widen it (the frame and the screen could overlap as far as it knows), then
// copied into both output rows.
void copy_2x_upright(const std::uint16_t* frame, std::uint16_t* first, const Placement& p) {
  std::uint32_t doubled[FRAME_WIDTH];
  for (int y = 0; y < FRAME_HEIGHT; ++y, frame += FRAME_WIDTH) {
    for (int x = 0; x < FRAME_WIDTH; ++x) doubled[x] = frame[x] * 0x10001u;
    std::uint16_t* out = first + 2 * y * p.row_step;
    std::memcpy(out, doubled, sizeof doubled);
    std::memcpy(out + p.row_step, doubled, sizeof doubled);
  }
}

void copy_2x(const std::uint16_t* frame, std::uint16_t* first, const Placement& p) {
  if (p.pixel_step == 1) return copy_2x_upright(frame, first, p);
  for (int y = 0; y < FRAME_HEIGHT; ++y) {
    std::uint16_t* out = first + 2 * y * p.row_step;
    for (int x = 0; x < FRAME_WIDTH; ++x, out += 2 * p.pixel_step) {
      std::uint16_t pixel = *frame++;
      out[0] = pixel;
      out[p.pixel_step] = pixel;
      out[p.row_step] = pixel;
      out[p.row_step + p.pixel_step] = pixel;
    }
  }
}

void copy_by_table(const std::uint16_t* frame, std::uint16_t* first, const Placement& p,
                   OutputSize out, const ScaleTable& table) {
  const std::uint16_t* index = table.data();
  for (int y = 0; y < out.height; ++y) {
    std::uint16_t* row = first + y * p.row_step;
    for (int x = 0; x < out.width; ++x, row += p.pixel_step) *row = frame[*index++];
  }
}

// --- the smoothing scaler -------------------------------------------------------------------

// Red and blue stay in place, green moves to the upper half: one multiply weighs all three.
std::uint32_t spread(std::uint32_t c) { return (c & 0xF81F) | ((c & 0x07E0) << 16); }
std::uint16_t unspread(std::uint32_t v) {
  return static_cast<std::uint16_t>((v & 0xF81F) | ((v >> 16) & 0x07E0));
}

// `weight` is a 16-bit fraction of the way from p to q; five bits of it are used.
std::uint16_t lerp(std::uint16_t p, std::uint16_t q, std::uint32_t weight) {
  if (p == q) return p;
  std::uint32_t f = (weight >> 11) & 0x1F;
  return unspread((spread(p) * (32 - f) + spread(q) * f) >> 5);
}

std::uint16_t bilinear4(std::uint16_t a, std::uint16_t b, std::uint16_t c, std::uint16_t d,
                        std::uint32_t x, std::uint32_t y) {
  std::uint32_t l = (x >> 11) & 0x1F, m = (y >> 11) & 0x1F, o = (l * m) >> 5;
  return unspread(
      (spread(a) * (32 - l - m + o) + spread(b) * (l - o) + spread(c) * (m - o) + spread(d) * o) >>
      5);
}

// The source pixel and its ring of twelve neighbours; outside the frame the nearest edge pixel.
struct Neighbourhood {
  std::uint16_t a, b, c, d, n1, n2, l1, r1, l2, r2, s1, s2;
};

std::uint16_t pixel_at(const std::uint8_t* row, std::ptrdiff_t x) {
  std::uint16_t pixel;
  std::memcpy(&pixel, row + 2 * x, sizeof pixel);
  return pixel;
}

// Where the whole ring lies inside the frame (every pixel but those of the outermost rows and
// columns): no clamping. `row` is the source pixel's row.
Neighbourhood read_inner_neighbourhood(const std::uint8_t* row, std::ptrdiff_t pitch, int cx) {
  const std::uint8_t* above = row - pitch;
  const std::uint8_t* below = row + pitch;
  const std::uint8_t* second_below = below + pitch;
  return {pixel_at(row, cx),       pixel_at(row, cx + 1),      pixel_at(below, cx),
          pixel_at(below, cx + 1), pixel_at(above, cx),        pixel_at(above, cx + 1),
          pixel_at(row, cx - 1),   pixel_at(row, cx + 2),      pixel_at(below, cx - 1),
          pixel_at(below, cx + 2), pixel_at(second_below, cx), pixel_at(second_below, cx + 1)};
}

Neighbourhood read_edge_neighbourhood(const std::uint16_t* src, int src_pitch, int src_w, int src_h,
                                      int cx, int cy) {
  auto at = [&](int x, int y) {
    x = std::clamp(x, 0, src_w - 1);
    y = std::clamp(y, 0, src_h - 1);
    return pixel_at(
        reinterpret_cast<const std::uint8_t*>(src) + static_cast<std::ptrdiff_t>(y) * src_pitch, x);
  };
  return {at(cx, cy),         at(cx + 1, cy),     at(cx, cy + 1), at(cx + 1, cy + 1),
          at(cx, cy - 1),     at(cx + 1, cy - 1), at(cx - 1, cy), at(cx + 2, cy),
          at(cx - 1, cy + 1), at(cx + 2, cy + 1), at(cx, cy + 2), at(cx + 1, cy + 2)};
}

// A = D and B differs from C: an edge along the falling diagonal.
std::uint16_t along_falling_diagonal(const Neighbourhood& n, std::uint32_t fx, std::uint32_t fy,
                                     std::uint32_t hx, std::uint32_t hy) {
  if (hx >= fy && n.a == n.r2 && n.a != n.n1) return lerp(n.a, n.b, hx - fy);
  if (fy >= hx && n.a == n.l1 && n.a != n.s2) return lerp(n.a, n.c, fy - hx);
  if (fx >= hy && n.a == n.n1 && n.a != n.r2) return lerp(n.a, n.b, fx - hy);
  if (hy >= fx && n.a == n.s2 && n.a != n.l1) return lerp(n.a, n.c, hy - fx);
  return fx > fy ? lerp(n.a, n.b, fx - fy) : lerp(n.a, n.c, fy - fx);
}

// B = C and A differs from D: an edge along the rising diagonal.
std::uint16_t along_rising_diagonal(const Neighbourhood& n, std::uint32_t fx, std::uint32_t fy,
                                    std::uint32_t hx, std::uint32_t hy) {
  std::uint32_t iy = 0x10000 - fy, ix = 0x10000 - fx;
  if (iy >= hx && n.b == n.l2 && n.b != n.n2) return lerp(n.b, n.a, iy - hx);
  if (hx >= iy && n.b == n.r1 && n.b != n.s1) return lerp(n.b, n.d, hx - iy);
  if (ix >= hy && n.b == n.n2 && n.b != n.l2) return lerp(n.b, n.a, ix - hy);
  if (hy >= ix && n.b == n.s1 && n.b != n.r1) return lerp(n.b, n.d, hy - ix);
  return iy < fx ? lerp(n.b, n.d, fx - iy) : lerp(n.b, n.a, iy - fx);
}

// The four pixels around the sample point decide most output pixels; the ring of twelve is read
// only for an edge along one diagonal.
template <typename ReadRing>
std::uint16_t smooth_pixel(std::uint16_t a, std::uint16_t b, std::uint16_t c, std::uint16_t d,
                           std::uint32_t fx, std::uint32_t fy, ReadRing read_ring) {
  if (a == b && a == c && a == d) return a;
  bool falling = a == d, rising = b == c;
  if (falling == rising) return bilinear4(a, b, c, d, fx, fy);
  std::uint32_t hx = fx / 2 + 0x4000, hy = fy / 2 + 0x4000;
  Neighbourhood n = read_ring();
  return falling ? along_falling_diagonal(n, fx, fy, hx, hy)
                 : along_rising_diagonal(n, fx, fy, hx, hy);
}

}  // namespace

ScaleMode scale_mode_of(int scale) {
  return scale >= SCALE_2X && scale <= SCALE_FIT ? static_cast<ScaleMode>(scale) : SCALE_1X;
}

ScreenDirection direction_of(int screen_dir) {
  if (screen_dir == DIRECTION_TOP_LEFT || screen_dir == DIRECTION_TOP_RIGHT) {
    return static_cast<ScreenDirection>(screen_dir);
  }
  return DIRECTION_UPRIGHT;
}

OutputSize fit_size(int w, int h) {
  if (w * FRAME_HEIGHT >= h * FRAME_WIDTH) return {h * FRAME_WIDTH / FRAME_HEIGHT, h};
  return {w, w * FRAME_HEIGHT / FRAME_WIDTH};
}

OutputSize output_size(ScaleMode mode, ScreenDirection direction, int screen_width,
                       int screen_height) {
  OutputSize axes = picture_axes(direction, screen_width, screen_height);
  OutputSize fitted = fit_size(axes.width, axes.height);
  switch (mode) {
    case SCALE_STRETCH: return axes;
    case SCALE_FIT: return fitted;
    case SCALE_2X: {
      OutputSize doubled{2 * FRAME_WIDTH, 2 * FRAME_HEIGHT};
      if (fits(doubled, direction, screen_width, screen_height)) return doubled;
      break;  // too small for the doubled picture: 1x, as on a 240 x 320 screen
    }
    default: break;
  }
  OutputSize single{FRAME_WIDTH, FRAME_HEIGHT};
  return fits(single, direction, screen_width, screen_height) ? single : fitted;
}

Placement place_output(OutputSize out, ScreenDirection direction, const ScreenView& screen) {
  Corner c = first_pixel(out, direction, screen.width, screen.height);
  std::ptrdiff_t xp = screen.x_pitch, yp = screen.row_pitch;
  std::ptrdiff_t first = c.column * xp + c.row * yp;
  switch (direction) {
    case DIRECTION_TOP_LEFT: return {first, -yp, xp};
    case DIRECTION_TOP_RIGHT: return {first, yp, -xp};
    default: return {first, xp, yp};
  }
}

void build_scale_table_fit(ScaleTable& table, ScreenDirection direction, int screen_width,
                           int screen_height) {
  OutputSize axes = picture_axes(direction, screen_width, screen_height);
  build_scale_table(table, fit_size(axes.width, axes.height));
}

void build_scale_table_stretch(ScaleTable& table, ScreenDirection direction, int screen_width,
                               int screen_height) {
  build_scale_table(table, picture_axes(direction, screen_width, screen_height));
}

OutputSize smooth_scale(const std::uint16_t* src, int src_pitch, std::uint16_t* dst,
                        std::ptrdiff_t dst_row_step, std::ptrdiff_t dst_pixel_step, int out_w,
                        int out_h, int src_w, int src_h) {
  OutputSize written{0, 0};
  if (out_w < 2 || out_h < 2 || src_w < 2 || src_h < 2) return written;  // no step to take
  std::uint32_t x_end = static_cast<std::uint32_t>(src_w - 1) << 16;
  std::uint32_t y_end = static_cast<std::uint32_t>(src_h - 1) << 16;
  std::uint32_t x_step = x_end / static_cast<std::uint32_t>(out_w - 1);
  std::uint32_t y_step = y_end / static_cast<std::uint32_t>(out_h - 1);
  auto* row = reinterpret_cast<std::uint8_t*>(dst);
  for (std::uint32_t y = 0; y < y_end; y += y_step, row += dst_row_step, ++written.height) {
    int cy = static_cast<int>(y >> 16);
    bool inner_row = cy >= 1 && cy + 2 < src_h;
    const std::uint8_t* src_row =
        reinterpret_cast<const std::uint8_t*>(src) + static_cast<std::ptrdiff_t>(cy) * src_pitch;
    std::uint8_t* out = row;
    written.width = 0;
    for (std::uint32_t x = 0; x < x_end; x += x_step, out += dst_pixel_step, ++written.width) {
      int cx = static_cast<int>(x >> 16);
      std::uint32_t fx = x & 0xFFFF, fy = y & 0xFFFF;
      std::uint16_t pixel;
      if (inner_row && cx >= 1 && cx + 2 < src_w) {
        const std::uint8_t* below = src_row + src_pitch;
        pixel = smooth_pixel(pixel_at(src_row, cx), pixel_at(src_row, cx + 1), pixel_at(below, cx),
                             pixel_at(below, cx + 1), fx, fy,
                             [&] { return read_inner_neighbourhood(src_row, src_pitch, cx); });
      } else {
        Neighbourhood n = read_edge_neighbourhood(src, src_pitch, src_w, src_h, cx, cy);
        pixel = smooth_pixel(n.a, n.b, n.c, n.d, fx, fy, [&] { return n; });
      }
      std::memcpy(out, &pixel, sizeof pixel);
    }
  }
  return written;
}

void build_scale_table_for(ScaleTable& table, const PresentSettings& settings, int screen_width,
                           int screen_height) {
  ScreenDirection direction = direction_of(settings.screen_dir);
  ScaleMode mode = scale_mode_of(settings.scale);
  build_scale_table(table, output_size(mode, direction, screen_width, screen_height));
}

ScreenRect draw_frame(const std::uint16_t* frame, const ScreenView& screen,
                      const PresentSettings& settings, const ScaleTable& table) {
  ScaleMode mode = scale_mode_of(settings.scale);
  ScreenDirection direction = direction_of(settings.screen_dir);
  OutputSize out = output_size(mode, direction, screen.width, screen.height);
  Placement p = place_output(out, direction, screen);
  std::uint16_t* first = screen.pixels + p.first;
  bool pixel_copy = mode == SCALE_1X || mode == SCALE_2X;
  OutputSize written = out;
  if (pixel_copy && out.width == FRAME_WIDTH && out.height == FRAME_HEIGHT) {
    copy_1x(frame, first, p);
  } else if (pixel_copy && out.width == 2 * FRAME_WIDTH && out.height == 2 * FRAME_HEIGHT) {
    copy_2x(frame, first, p);
  } else if (settings.smooth) {
    written = smooth_scale(frame, 2 * FRAME_WIDTH, first, 2 * p.row_step, 2 * p.pixel_step,
                           out.width, out.height, FRAME_WIDTH, FRAME_HEIGHT);
  } else if (table.size() == static_cast<std::size_t>(out.width) * out.height) {
    copy_by_table(frame, first, p, out, table);
  } else {
    written = {0, 0};
  }
  return written_rect(out, written, direction, screen);
}
