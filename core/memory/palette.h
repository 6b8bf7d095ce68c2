#pragma once
// Palette RAM and its device-format copy, kept in step by every palette write.

#include <cstdint>

// Console colour (red 0-4, green 5-9, blue 10-14) to the device's 5-6-5 layout (red 11-15, green
// 6-10, blue 0-4). Bit 5 carries the stored colour's unused bit 15, as the device copy always has.
constexpr std::uint16_t native_colour(std::uint32_t colour) {
  return static_cast<std::uint16_t>((colour << 11) | (((colour >> 5) << 6) & 0x7FF) |
                                    ((colour >> 10) & 0x3F));
}

// Stores one 16-bit console colour at palette byte offset (bit 0 ignored) and converts it.
void store_palette16(std::uint32_t offset, std::uint32_t colour);
