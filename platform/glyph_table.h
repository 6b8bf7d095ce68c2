#pragma once
// The glyph table generated at build time from unifont for the characters the program's texts use.

#include <cstddef>
#include <cstdint>

struct GlyphEntry {
  std::uint32_t code;
  std::uint8_t width;    // 8 or 16 pixels; every glyph is 16 rows high
  std::uint32_t offset;  // into glyph_bits: 16 rows of width / 8 bytes, leftmost pixel in bit 7
};

// Sorted by code.
extern const GlyphEntry glyph_entries[];
extern const std::size_t glyph_entry_count;
extern const std::uint8_t glyph_bits[];
