#pragma once
// The window system's colours, in the device screen's 5-6-5 layout.

#include <cstdint>

using Color = std::uint16_t;

constexpr Color rgb565(unsigned r, unsigned g, unsigned b) {
  return static_cast<Color>((r >> 3) << 11 | (g >> 2) << 5 | (b >> 3));
}

namespace color {
constexpr Color WHITE = 0xFFFF;
constexpr Color BLACK = 0x0000;
constexpr Color DESKTOP = rgb565(0x60, 0x60, 0x60);
constexpr Color BAR = rgb565(0x10, 0x30, 0x80);  // task bar and menu bar
constexpr Color BAR_TEXT = WHITE;
constexpr Color FACE = rgb565(0xD8, 0xD8, 0xD8);  // buttons, popups
constexpr Color SHADOW = rgb565(0x80, 0x80, 0x80);
constexpr Color DISABLED_TEXT = rgb565(0xA0, 0xA0, 0xA0);
constexpr Color HIGHLIGHT = rgb565(0x20, 0x50, 0xC0);
constexpr Color HIGHLIGHT_TEXT = WHITE;
constexpr Color FOCUS = rgb565(0x20, 0x50, 0xC0);
constexpr Color MISSING_GLYPH = BLACK;
}  // namespace color
