#pragma once
// The emulated screen as a PNG file.

#include <cstdint>

// 5-6-5 to 8 bits per channel, each channel's top bits repeated into the bits it lacks.
struct Rgb8 {
  std::uint8_t r, g, b;
};
Rgb8 expand_565(std::uint16_t pixel);

// Writes 240 x 160 pixels of 5-6-5 as an 8-bit RGB PNG. Returns false with errno or a libpng
// failure when the file could not be written completely; then any old file at `path` is kept and
// no partial one is left.
bool write_screenshot(const char* path, const std::uint16_t* pixels);
