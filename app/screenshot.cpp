#include "app/screenshot.h"

#include <vector>

#include "core/file_replace.h"

bool write_screenshot(const char* path, const std::uint16_t* pixels) {
  // Encoded in memory first, so the file is written in one piece that replaces any old one only
  // when complete.
  std::vector<std::uint8_t> encoded;
  if (!encode_png_565(pixels, 240, 160, 240, encoded)) return false;
  return replace_file_contents(path, encoded.data(), encoded.size()) != 0;
}
