#include "platform/surface.h"

#include <algorithm>

#include "platform/font.h"

Rect Rect::intersect(const Rect& o) const {
  return {std::max(left, o.left), std::max(top, o.top), std::min(right, o.right),
          std::min(bottom, o.bottom)};
}

Surface::Surface(int width, int height)
    : width_(width),
      height_(height),
      pixels_(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), color::BLACK) {}

Canvas::Canvas(Surface& surface, Point origin, Rect clip)
    : surface_(&surface), origin_(origin), clip_(clip.intersect(surface.bounds())) {}

Canvas Canvas::clipped(const Rect& rect) const {
  Canvas inner = *this;
  inner.clip_ = clip_.intersect(rect.moved(origin_.x, origin_.y));
  return inner;
}

void Canvas::fill(const Rect& rect, Color color) {
  Rect area = rect.moved(origin_.x, origin_.y).intersect(clip_);
  if (area.empty()) return;
  for (int y = area.top; y < area.bottom; ++y) {
    std::uint16_t* row = surface_->pixels() + static_cast<std::size_t>(y) * surface_->width();
    std::fill(row + area.left, row + area.right, color);
  }
}

void Canvas::frame(const Rect& rect, Color color) {
  fill({rect.left, rect.top, rect.right, rect.top + 1}, color);
  fill({rect.left, rect.bottom - 1, rect.right, rect.bottom}, color);
  fill({rect.left, rect.top, rect.left + 1, rect.bottom}, color);
  fill({rect.right - 1, rect.top, rect.right, rect.bottom}, color);
}

void Canvas::dotted_frame(const Rect& rect, Color color) {
  for (int x = rect.left; x < rect.right; x += 2) {
    pixel(x, rect.top, color);
    pixel(x, rect.bottom - 1, color);
  }
  for (int y = rect.top; y < rect.bottom; y += 2) {
    pixel(rect.left, y, color);
    pixel(rect.right - 1, y, color);
  }
}

void Canvas::pixel(int x, int y, Color color) {
  Point p{x + origin_.x, y + origin_.y};
  if (!clip_.contains(p)) return;
  surface_->pixels()[static_cast<std::size_t>(p.y) * surface_->width() + p.x] = color;
}

void Canvas::glyph_row(int x, int y, unsigned bits, int width, Color color) {
  for (int i = 0; i < width; ++i) {
    if (bits & (1u << (width - 1 - i))) pixel(x + i, y, color);
  }
}

int Canvas::text(int x, int y, std::u16string_view text, Color color) {
  CodePoints points(text);
  for (char32_t code = 0; points.next(code);) {
    Glyph glyph = find_glyph(code);
    if (glyph.rows == nullptr) {
      // A visible box, so that a missing glyph is noticed rather than silently dropped.
      frame({x + 1, y + 2, x + glyph.width - 1, y + FONT_HEIGHT - 2}, color::MISSING_GLYPH);
    } else {
      int bytes = glyph.width / 8;
      for (int row = 0; row < FONT_HEIGHT; ++row) {
        unsigned bits = 0;
        for (int b = 0; b < bytes; ++b) bits = bits << 8 | glyph.rows[row * bytes + b];
        glyph_row(x, y + row, bits, glyph.width, color);
      }
    }
    x += glyph.width;
  }
  return x;
}
