#pragma once
// The console's address space: the page tables that generated code reads directly, and the slow
// paths for everything they do not map.

#include <cstdint>

// Regions by address bits 31-24.
enum Region : std::uint32_t {
  REGION_BIOS = 0x00,
  REGION_EWRAM = 0x02,
  REGION_IWRAM = 0x03,
  REGION_IO = 0x04,
  REGION_PALETTE = 0x05,
  REGION_VRAM = 0x06,
  REGION_OAM = 0x07,
  REGION_ROM0 = 0x08,
  REGION_ROM_LAST = 0x0C,
  REGION_EEPROM = 0x0D,
  REGION_SRAM = 0x0E,
  REGION_SRAM_MIRROR = 0x0F,
};

constexpr std::uint32_t BIOS_PROTECT_AFTER_RESET = 0xE129F000;
constexpr std::uint32_t BIOS_PROTECT_AFTER_IRQ = 0xE55EC002;

// Slow-path reads. Misaligned accesses behave as the console's CPU: halfwords rotate by 8, words
// by 8 times the misalignment; mem_read16s at an odd address sign-extends the byte.
std::uint32_t mem_read8(std::uint32_t address);
std::uint32_t mem_read16(std::uint32_t address);
std::uint32_t mem_read16s(std::uint32_t address);
std::uint32_t mem_read32(std::uint32_t address);

// Slow-path writes; each returns an Alert.
std::uint32_t mem_write8(std::uint32_t address, std::uint32_t value);
std::uint32_t mem_write16(std::uint32_t address, std::uint32_t value);
std::uint32_t mem_write32(std::uint32_t address, std::uint32_t value);

// Points the first BIOS page at the image, so that code running there reads it without a call.
void make_bios_readable();

// Copies bios_image into the BIOS area; the first step of loading a game.
void copy_bios_image();

// Fills the page tables and clears every region and register for a newly loaded game.
void reset_memory_map();

// VRAM offset of an address: 128 KB mirrors, the last 32 KB of each repeating the object tiles.
inline std::uint32_t vram_offset(std::uint32_t address) {
  std::uint32_t offset = address & 0x1FFFF;
  return offset >= 0x18000 ? offset - 0x8000 : offset;
}
