#include "core/memory/palette.h"

#include "core/state.h"

void store_palette16(std::uint32_t offset, std::uint32_t colour) {
  offset &= 0x3FE;
  machine.palette_data[offset] = static_cast<std::uint8_t>(colour);
  machine.palette_data[offset + 1] = static_cast<std::uint8_t>(colour >> 8);
  machine.native_palette[offset >> 1] = native_colour(colour & 0xFFFF);
}
