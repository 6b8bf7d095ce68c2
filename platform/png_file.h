#pragma once
// Pictures of 16-bit 5-6-5 pixels as 8-bit RGB PNG files: the device screen, the console's frame.

#include <cstdint>
#include <vector>

#include "platform/surface.h"

// 5-6-5 to 8 bits per channel, each channel's top bits repeated into the bits it lacks.
struct Rgb8 {
  std::uint8_t r, g, b;
};
Rgb8 expand_565(std::uint16_t pixel);

// Encodes width x height pixels whose rows lie `pitch` pixels apart into `out`. False when libpng
// fails.
bool encode_png_565(const std::uint16_t* pixels, int width, int height, int pitch,
                    std::vector<std::uint8_t>& out);

// False with errno or a libpng failure when the file could not be written completely.
bool write_png(const char* path, const Surface& surface);
