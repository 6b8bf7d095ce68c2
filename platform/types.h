#pragma once
// The window system's basic types: handles, message parameters, rectangles and points.

#include <cstdint>

// Handles are numbers that are never reused, so a stale handle is refused instead of reaching
// another window. 0 is no window.
using WindowHandle = std::uint32_t;
using MenuHandle = std::uint32_t;
constexpr WindowHandle NO_WINDOW = 0;
constexpr MenuHandle NO_MENU = 0;

using WParam = std::uintptr_t;
using LParam = std::intptr_t;
using LResult = std::intptr_t;

using WindowProcedure = LResult (*)(WindowHandle window, unsigned message, WParam wparam,
                                    LParam lparam);

struct Point {
  int x = 0;
  int y = 0;
};

struct Rect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;

  int width() const { return right - left; }
  int height() const { return bottom - top; }
  bool empty() const { return right <= left || bottom <= top; }
  bool contains(Point p) const { return p.x >= left && p.x < right && p.y >= top && p.y < bottom; }
  Rect moved(int dx, int dy) const { return {left + dx, top + dy, right + dx, bottom + dy}; }
  Rect intersect(const Rect& o) const;
  bool operator==(const Rect&) const = default;
};

// Stylus points travel in the second parameter: x in the low 16 bits, y in the high 16 bits.
inline LParam make_point_param(int x, int y) {
  return static_cast<LParam>((static_cast<std::uint32_t>(y & 0xFFFF) << 16) |
                             static_cast<std::uint32_t>(x & 0xFFFF));
}
inline Point point_from_param(LParam lparam) {
  return {static_cast<std::int16_t>(lparam & 0xFFFF),
          static_cast<std::int16_t>((lparam >> 16) & 0xFFFF)};
}

// A command's first parameter: the sender's number in the low word, its notification above.
inline WParam make_command_param(unsigned number, unsigned notification) {
  return static_cast<WParam>((notification & 0xFFFF) << 16 | (number & 0xFFFF));
}
inline unsigned low_word(WParam value) { return static_cast<unsigned>(value & 0xFFFF); }
inline unsigned high_word(WParam value) { return static_cast<unsigned>((value >> 16) & 0xFFFF); }
