#include "tests/platform/glyph_reference.h"

#include <png.h>

#include <cstdio>
#include <fstream>

bool unifont_glyph(char32_t code, int& width, std::vector<std::uint32_t>& rows) {
  std::ifstream hex("/usr/share/unifont/unifont.hex");
  char wanted[16];
  std::snprintf(wanted, sizeof wanted, "%04X:", static_cast<unsigned>(code));
  for (std::string line; std::getline(hex, line);) {
    if (line.rfind(wanted, 0) != 0) continue;
    std::string bits = line.substr(line.find(':') + 1);
    width = bits.size() == 64 ? 16 : 8;
    int digits = width / 4;
    rows.clear();
    for (int row = 0; row < 16; ++row) {
      rows.push_back(
          static_cast<std::uint32_t>(std::stoul(bits.substr(row * digits, digits), nullptr, 16)));
    }
    return true;
  }
  return false;
}

std::uint32_t Picture::at(int x, int y) const {
  std::size_t i = (static_cast<std::size_t>(y) * width + x) * 3;
  return static_cast<std::uint32_t>(rgb[i] << 16 | rgb[i + 1] << 8 | rgb[i + 2]);
}

bool read_png(const std::string& path, Picture& picture) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str())) return false;
  image.format = PNG_FORMAT_RGB;
  picture.width = static_cast<int>(image.width);
  picture.height = static_cast<int>(image.height);
  picture.rgb.assign(PNG_IMAGE_SIZE(image), 0);
  bool ok = png_image_finish_read(&image, nullptr, picture.rgb.data(), 0, nullptr) != 0;
  png_image_free(&image);
  return ok;
}

int glyph_mismatches(const Picture& picture, int x, int y, char32_t code, std::uint32_t ink,
                     int scale) {
  int width = 0;
  std::vector<std::uint32_t> rows;
  if (!unifont_glyph(code, width, rows)) return -1;
  int wrong = 0;
  for (int row = 0; row < 16; ++row) {
    for (int column = 0; column < width; ++column) {
      bool set = (rows[row] >> (width - 1 - column)) & 1;
      for (int dy = 0; dy < scale; ++dy) {
        for (int dx = 0; dx < scale; ++dx) {
          int px = x + column * scale + dx, py = y + row * scale + dy;
          if (px < 0 || py < 0 || px >= picture.width || py >= picture.height) {
            ++wrong;
            continue;
          }
          if ((picture.at(px, py) == ink) != set) ++wrong;
        }
      }
    }
  }
  return wrong;
}

int unifont_text_width(const std::u32string& text) {
  int total = 0;
  for (char32_t c : text) {
    int width = 0;
    std::vector<std::uint32_t> rows;
    if (!unifont_glyph(c, width, rows)) return -1;
    total += width;
  }
  return total;
}

int text_mismatches(const Picture& picture, int x, int y, const std::u32string& text,
                    std::uint32_t ink, int scale) {
  int wrong = 0;
  for (char32_t c : text) {
    int mismatches = glyph_mismatches(picture, x, y, c, ink, scale);
    if (mismatches < 0) return -1;
    wrong += mismatches;
    x += unifont_text_width(std::u32string(1, c)) * scale;
  }
  return wrong;
}
