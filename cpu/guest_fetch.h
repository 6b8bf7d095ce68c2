#pragma once
// Instruction fetch for the translators: through the read page table, paging cartridge ROM in
// where needed. Code can only be translated from mapped memory, so a missing page reads as 0.

#include <cstdint>
#include <cstring>

#include "core/cartridge/cartridge.h"
#include "core/state.h"

// The BIOS is fetched from its image whether or not game code may read it at the moment.
inline const std::uint8_t* fetch_page(std::uint32_t address) {
  std::uint32_t region = address >> 24;
  if (region == 0) return machine.bios_area.image;
  const std::uint8_t* page = machine.read_map[(address >> 15) & (MAP_ENTRIES - 1)];
  if (page == nullptr && region >= 0x08 && region <= 0x0D &&
      (address & 0x1FFFFFF) < machine.rom_size) {
    page = load_rom_page((address >> 15) & 0x3FF);
  }
  return address >= 0x10000000 ? nullptr : page;
}

inline std::uint32_t fetch_guest32(std::uint32_t address) {
  const std::uint8_t* page = fetch_page(address);
  if (page == nullptr) return 0;
  std::uint32_t value;
  std::memcpy(&value, page + (address & (address >> 24 == 0 ? 0x3FFC : 0x7FFC)), 4);
  return value;
}

inline std::uint16_t fetch_guest16(std::uint32_t address) {
  const std::uint8_t* page = fetch_page(address);
  if (page == nullptr) return 0;
  std::uint16_t value;
  std::memcpy(&value, page + (address & (address >> 24 == 0 ? 0x3FFE : 0x7FFE)), 2);
  return value;
}
