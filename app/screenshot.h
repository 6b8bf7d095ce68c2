#pragma once
// The emulated screen as a PNG file.

#include <cstdint>

#include "platform/png_file.h"

// Writes 240 x 160 pixels of 5-6-5 as an 8-bit RGB PNG. Returns false with errno or a libpng
// failure when the file could not be written completely; then any old file at `path` is kept and
// no partial one is left.
bool write_screenshot(const char* path, const std::uint16_t* pixels);
