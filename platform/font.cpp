#include "platform/font.h"

#include <algorithm>

#include "platform/glyph_table.h"

namespace {

// Characters of the wide scripts take a square box when the table lacks them.
bool is_wide(char32_t code) { return code >= 0x2E80 && code < 0xFF61; }

}  // namespace

Glyph find_glyph(char32_t code) {
  const GlyphEntry* end = glyph_entries + glyph_entry_count;
  const GlyphEntry* found = std::lower_bound(
      glyph_entries, end, code, [](const GlyphEntry& e, char32_t c) { return e.code < c; });
  if (found == end || found->code != code) return {is_wide(code) ? 16 : 8, nullptr};
  return {found->width, glyph_bits + found->offset};
}

bool CodePoints::next(char32_t& code) {
  if (index_ >= text_.size()) return false;
  char16_t unit = text_[index_++];
  code = unit;
  bool high = unit >= 0xD800 && unit < 0xDC00;
  if (high && index_ < text_.size()) {
    char16_t low = text_[index_];
    if (low >= 0xDC00 && low < 0xE000) {
      code = 0x10000 + ((static_cast<char32_t>(unit) - 0xD800) << 10) + (low - 0xDC00);
      ++index_;
    }
  }
  return true;
}

int text_width(std::u16string_view text) {
  int width = 0;
  CodePoints points(text);
  for (char32_t code = 0; points.next(code);) width += find_glyph(code).width;
  return width;
}
