#pragma once
// A cartridge image mapped from its file instead of read whole: start-up touches only the pages
// the game runs, not 32 MB. The mapping is private (writes, such as the clock port's, never reach
// the file) and padded with zeros up to the image's rounded size.

#include <cstddef>
#include <cstdint>

// Maps `file_size` bytes of the open file `fd` followed by zeros up to `image_size`. Null when
// the file cannot be mapped; the caller then reads it.
std::uint8_t* map_rom_image(int fd, std::size_t file_size, std::size_t image_size);

// Gives back an image from map_rom_image (null is ignored).
void unmap_rom_image(std::uint8_t* image, std::size_t image_size);
