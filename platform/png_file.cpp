#include "platform/png_file.h"

#include <png.h>

#include <cstdio>

namespace {

void append_to_vector(png_structp png, png_bytep data, png_size_t length) {
  auto* out = static_cast<std::vector<std::uint8_t>*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + length);
}

void flush_nothing(png_structp) {}

// libpng reports errors by longjmp; nothing with a destructor lives between setjmp and the jump.
bool encode_rows(std::vector<std::uint8_t>* out, int width, int height, png_bytepp rows) {
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  if (png == nullptr) return false;
  png_infop info = png_create_info_struct(png);
  if (info == nullptr || setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return false;
  }
  png_set_write_fn(png, out, append_to_vector, flush_nothing);
  png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
               PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
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

bool encode_png_565(const std::uint16_t* pixels, int width, int height, int pitch,
                    std::vector<std::uint8_t>& out) {
  if (pixels == nullptr || width <= 0 || height <= 0 || pitch < width) return false;
  std::vector<png_byte> image(static_cast<std::size_t>(width) * height * 3);
  std::vector<png_bytep> rows(static_cast<std::size_t>(height));
  for (int y = 0; y < height; ++y) {
    png_bytep row = image.data() + static_cast<std::size_t>(y) * width * 3;
    rows[y] = row;
    for (int x = 0; x < width; ++x) {
      Rgb8 c = expand_565(pixels[static_cast<std::size_t>(y) * pitch + x]);
      row[3 * x] = c.r;
      row[3 * x + 1] = c.g;
      row[3 * x + 2] = c.b;
    }
  }
  out.clear();
  return encode_rows(&out, width, height, rows.data());
}

bool write_png(const char* path, const Surface& surface) {
  std::vector<std::uint8_t> encoded;
  if (!encode_png_565(surface.pixels(), surface.width(), surface.height(), surface.width(),
                      encoded)) {
    return false;
  }
  std::FILE* file = std::fopen(path, "wb");
  if (file == nullptr) return false;
  bool written = std::fwrite(encoded.data(), 1, encoded.size(), file) == encoded.size();
  return std::fclose(file) == 0 && written;
}
