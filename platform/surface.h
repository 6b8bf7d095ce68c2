#pragma once
// The device screen: W x H pixels of 5-6-5 in memory, and a canvas that draws into a clipped,
// translated part of it.

#include <cstdint>
#include <string_view>
#include <vector>

#include "platform/colors.h"
#include "platform/types.h"

class Surface {
 public:
  Surface(int width, int height);

  int width() const { return width_; }
  int height() const { return height_; }
  int pitch_bytes() const { return width_ * 2; }
  std::uint16_t* pixels() { return pixels_.data(); }
  const std::uint16_t* pixels() const { return pixels_.data(); }
  std::uint16_t at(int x, int y) const { return pixels_[static_cast<std::size_t>(y) * width_ + x]; }
  Rect bounds() const { return {0, 0, width_, height_}; }

 private:
  int width_;
  int height_;
  std::vector<std::uint16_t> pixels_;
};

// Everything drawn through a canvas lands inside its clip; coordinates are relative to `origin`.
class Canvas {
 public:
  Canvas(Surface& surface, Point origin, Rect clip);

  void fill(const Rect& rect, Color color);
  void frame(const Rect& rect, Color color);  // a one-pixel outline
  void dotted_frame(const Rect& rect, Color color);
  void pixel(int x, int y, Color color);
  // Draws at (x, y) the text's top left; returns the x after the last glyph.
  int text(int x, int y, std::u16string_view text, Color color);
  Canvas clipped(const Rect& rect) const;  // a canvas limited further, same origin

 private:
  void glyph_row(int x, int y, unsigned bits, int width, Color color);

  Surface* surface_;
  Point origin_;
  Rect clip_;  // in surface coordinates
};
