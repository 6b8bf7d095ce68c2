#pragma once
// Test helpers that judge pictures independently of the program: glyphs read straight from
// unifont's hex file, and PNG files read back with libpng.

#include <cstdint>
#include <string>
#include <vector>

// The glyph's rows from /usr/share/unifont/unifont.hex: width 8 or 16, 16 rows, leftmost pixel in
// the top bit of `width`. False when the file or the character is missing.
bool unifont_glyph(char32_t code, int& width, std::vector<std::uint32_t>& rows);

struct Picture {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> rgb;         // 3 bytes a pixel
  std::uint32_t at(int x, int y) const;  // 0xRRGGBB
};
bool read_png(const std::string& path, Picture& picture);

// Counts the pixels of the glyph's box at (x, y) of `picture` (each glyph pixel `scale` x `scale`)
// that disagree with unifont: a set bit must be `ink`, a clear one must not be.
int glyph_mismatches(const Picture& picture, int x, int y, char32_t code, std::uint32_t ink,
                     int scale = 1);
// The same for a UTF-32 string drawn from (x, y) on; -1 when a glyph is missing from unifont.
int text_mismatches(const Picture& picture, int x, int y, const std::u32string& text,
                    std::uint32_t ink, int scale = 1);
int unifont_text_width(const std::u32string& text);
