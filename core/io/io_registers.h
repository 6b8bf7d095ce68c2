#pragma once
// The I/O write handlers: what a store into the register image does to the hardware.

#include <cstdint>

#include "core/io/io_image.h"

// Each returns an Alert. Offsets are 0x000-0x3FF.
std::uint32_t io_write8(std::uint32_t offset, std::uint32_t value);
std::uint32_t io_write16(std::uint32_t offset, std::uint32_t value);
std::uint32_t io_write32(std::uint32_t offset, std::uint32_t value);
