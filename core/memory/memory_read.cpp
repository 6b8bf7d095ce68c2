// Slow-path reads: everything the read page table does not map, and every read made by ordinary
// code that must honour the console's rules (BIOS protection, open bus, misalignment).

#include <bit>
#include <cstring>

#include "core/cartridge/cartridge.h"
#include "core/memory/bios_image.h"
#include "core/memory/memory.h"
#include "core/save/backup.h"
#include "core/state.h"

namespace {

template <unsigned Size>
std::uint32_t load_le(const std::uint8_t* bytes) {
  if constexpr (Size == 1) {
    return bytes[0];
  } else if constexpr (Size == 2) {
    std::uint16_t value;
    std::memcpy(&value, bytes, 2);
    return value;
  } else {
    std::uint32_t value;
    std::memcpy(&value, bytes, 4);
    return value;
  }
}

// The protect word is what the bus last carried out of the BIOS; narrower reads see its lanes.
template <unsigned Size>
std::uint32_t read_bios(std::uint32_t address) {
  if (reg[SLOT_PC] < BIOS_SIZE) {
    return load_le<Size>(machine.bios_area.image + (address & (BIOS_SIZE - Size)));
  }
  std::uint32_t word = machine.bios_protect_word;
  if constexpr (Size == 1) return (word >> 8 * (address & 3)) & 0xFF;
  if constexpr (Size == 2) return (word >> 8 * (address & 2)) & 0xFFFF;
  return word;
}

template <unsigned Size>
std::uint32_t read_rom(std::uint32_t address) {
  const std::uint8_t* page = machine.read_map[address >> 15];
  if (page == nullptr) page = load_rom_page((address >> 15) & 0x3FF);
  return load_le<Size>(page + (address & 0x7FFF));
}

bool is_open_bus_region(std::uint32_t address) {
  std::uint32_t region = address >> 24;
  return region == 0x01 || region >= 0x10;
}

template <unsigned Size>
std::uint32_t read_mapped(std::uint32_t address);

// A prefetch from an unmapped region would itself be open bus; it reads as 0 rather than
// recursing.
template <unsigned Size>
std::uint32_t prefetch(std::uint32_t address) {
  if (is_open_bus_region(address)) return 0;
  return read_mapped<Size>(address & ~(Size - 1));
}

// What the CPU is prefetching, seen through the width and lane of the read.
template <unsigned Size>
std::uint32_t read_open_bus(std::uint32_t address) {
  std::uint32_t pc = reg[SLOT_PC];
  if (reg[SLOT_CPSR] & CPSR_THUMB) {
    std::uint32_t half = prefetch<2>(pc + 2);
    if constexpr (Size == 1) return (half >> 8 * (address & 1)) & 0xFF;
    if constexpr (Size == 2) return half;
    return half | half << 16;
  }
  std::uint32_t word = prefetch<4>(pc + 4);
  if constexpr (Size == 1) return (word >> 8 * (address & 3)) & 0xFF;
  if constexpr (Size == 2) return (word >> 8 * (address & 2)) & 0xFFFF;
  return word;
}

// Reads Size bytes at an address aligned to Size.
template <unsigned Size>
std::uint32_t read_mapped(std::uint32_t address) {
  switch (address >> 24) {
    case REGION_BIOS: return read_bios<Size>(address);
    case REGION_EWRAM:
      return load_le<Size>(machine.ewram[(address >> 15) & 7].data + (address & 0x7FFF));
    case REGION_IWRAM: return load_le<Size>(machine.iwram.data + (address & 0x7FFF));
    case REGION_IO: return load_le<Size>(machine.io_regs + (address & 0x3FF));
    case REGION_PALETTE: return load_le<Size>(machine.palette_data + (address & 0x3FF));
    case REGION_VRAM: return load_le<Size>(machine.vram_data + vram_offset(address));
    case REGION_OAM: return load_le<Size>(machine.oam_data + (address & 0x3FF));
    case 0x08:
    case 0x09:
    case 0x0A:
    case 0x0B:
    case 0x0C:
      if ((address & 0x1FFFFFF) >= machine.rom_size) return 0;
      return read_rom<Size>(address);
    case REGION_EEPROM:
      if ((address & 0x1FFFFFF) >= machine.rom_size) return eeprom_read_bit();
      return read_rom<Size>(address);
    case REGION_SRAM:
    case REGION_SRAM_MIRROR:
      if constexpr (Size == 1) return backup_read8(address & 0xFFFF);
      return backup_read_wide(address & 0xFFFF, Size);
    default: return read_open_bus<Size>(address);
  }
}

}  // namespace

std::uint32_t mem_read8(std::uint32_t address) { return read_mapped<1>(address); }

std::uint32_t mem_read16(std::uint32_t address) {
  std::uint32_t value = read_mapped<2>(address & ~1u);
  return (address & 1) ? std::rotr(value, 8) : value;
}

std::uint32_t mem_read16s(std::uint32_t address) {
  if (address & 1) {
    return static_cast<std::uint32_t>(static_cast<std::int8_t>(read_mapped<1>(address)));
  }
  return static_cast<std::uint32_t>(static_cast<std::int16_t>(read_mapped<2>(address)));
}

std::uint32_t mem_read32(std::uint32_t address) {
  std::uint32_t value = read_mapped<4>(address & ~3u);
  return std::rotr(value, static_cast<int>(8 * (address & 3)));
}
