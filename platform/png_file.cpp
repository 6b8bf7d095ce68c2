#include "platform/png_file.h"

#include <png.h>

#include <cstdio>
#include <vector>

namespace {

std::uint8_t widen(unsigned value, int bits) {
  return static_cast<std::uint8_t>(value << (8 - bits) | value >> (2 * bits - 8));
}

// libpng reports errors by longjmp; nothing with a destructor lives between setjmp and the jump.
bool write_rows(std::FILE* file, int width, int height, png_bytepp rows) {
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  if (png == nullptr) return false;
  png_infop info = png_create_info_struct(png);
  if (info == nullptr || setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return false;
  }
  png_init_io(png, file);
  png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
               PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  png_set_rows(png, info, rows);
  png_write_png(png, info, PNG_TRANSFORM_IDENTITY, nullptr);
  png_destroy_write_struct(&png, &info);
  return true;
}

}  // namespace

bool write_png(const char* path, const Surface& surface) {
  int width = surface.width(), height = surface.height();
  std::vector<png_byte> image(static_cast<std::size_t>(width) * height * 3);
  for (std::size_t i = 0; i < image.size() / 3; ++i) {
    unsigned pixel = surface.pixels()[i];
    image[i * 3] = widen(pixel >> 11, 5);
    image[i * 3 + 1] = widen((pixel >> 5) & 0x3F, 6);
    image[i * 3 + 2] = widen(pixel & 0x1F, 5);
  }
  std::vector<png_bytep> rows(static_cast<std::size_t>(height));
  for (int y = 0; y < height; ++y) rows[y] = image.data() + static_cast<std::size_t>(y) * width * 3;
  std::FILE* file = std::fopen(path, "wb");
  if (file == nullptr) return false;
  bool written = write_rows(file, width, height, rows.data());
  return std::fclose(file) == 0 && written;
}
