#pragma once
// The system font: unifont's 8 x 16 and 16 x 16 glyphs for the characters the program uses.

#include <cstdint>
#include <string_view>

constexpr int FONT_HEIGHT = 16;

struct Glyph {
  int width = 8;
  const std::uint8_t* rows = nullptr;  // null: no glyph, drawn as a box of `width`
};

Glyph find_glyph(char32_t code);

// Walks UTF-16 text one character at a time; an unpaired surrogate is a character of its own.
class CodePoints {
 public:
  explicit CodePoints(std::u16string_view text) : text_(text) {}
  bool next(char32_t& code);

 private:
  std::u16string_view text_;
  std::size_t index_ = 0;
};

int text_width(std::u16string_view text);
