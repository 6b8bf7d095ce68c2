#pragma once
// The device screen as a PNG file, 8 bits per channel.

#include "platform/surface.h"

// False with errno or a libpng failure when the file could not be written completely.
bool write_png(const char* path, const Surface& surface);
