#include "app/screenshot.h"

#include <png.h>

#include <csetjmp>
#include <vector>

#include "core/file_replace.h"

namespace {

constexpr unsigned WIDTH = 240;
constexpr unsigned HEIGHT = 160;

void append_to_vector(png_structp png, png_bytep data, png_size_t length) {
  auto* out = static_cast<std::vector<std::uint8_t>*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + length);
}

void flush_nothing(png_structp) {}

// Encodes into memory, so the file itself is written in one piece that replaces any old one only
// when complete. libpng reports errors by longjmp; nothing with a destructor lives between setjmp
// and the jump.
bool encode_rows(std::vector<std::uint8_t>* out, png_bytepp rows) {
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  if (png == nullptr) return false;
  png_infop info = png_create_info_struct(png);
  if (info == nullptr || setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return false;
  }
  png_set_write_fn(png, out, append_to_vector, flush_nothing);
  png_set_IHDR(png, info, WIDTH, HEIGHT, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_set_rows(png, info, rows);
  png_write_png(png, info, PNG_TRANSFORM_IDENTITY, nullptr);
  png_destroy_write_struct(&png, &info);
  return true;
}

}  // namespace

Rgb8 expand_565(std::uint16_t pixel) {
  unsigned r = pixel >> 11, g = (pixel >> 5) & 0x3F, b = pixel & 0x1F;
  return {static_cast<std::uint8_t>(r << 3 | r >> 2), static_cast<std::uint8_t>(g << 2 | g >> 4),
          static_cast<std::uint8_t>(b << 3 | b >> 2)};
}

bool write_screenshot(const char* path, const std::uint16_t* pixels) {
  std::vector<png_byte> image(WIDTH * HEIGHT * 3);
  std::vector<png_bytep> rows(HEIGHT);
  for (unsigned i = 0; i < WIDTH * HEIGHT; ++i) {
    Rgb8 c = expand_565(pixels[i]);
    image[i * 3] = c.r;
    image[i * 3 + 1] = c.g;
    image[i * 3 + 2] = c.b;
  }
  for (unsigned y = 0; y < HEIGHT; ++y) rows[y] = image.data() + y * WIDTH * 3;
  std::vector<std::uint8_t> encoded;
  encoded.reserve(WIDTH * HEIGHT);
  if (!encode_rows(&encoded, rows.data())) return false;
  return replace_file_contents(path, encoded.data(), encoded.size()) != 0;
}
