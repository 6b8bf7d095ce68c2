#pragma once
// Our own BIOS program, built from bios/ and carried in the program's read-only data.

#include <cstdint>

constexpr unsigned BIOS_SIZE = 0x4000;
extern "C" const std::uint8_t bios_image[BIOS_SIZE];
