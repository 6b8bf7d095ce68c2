// Slow-path writes. Region rules follow the console's bus: palette and background VRAM double
// bytes, object VRAM and OAM drop them, the cartridge bus reaches the clock port, the EEPROM and
// the save memory.

#include <cstring>

#include "core/alerts.h"
#include "core/io/io_registers.h"
#include "core/memory/memory.h"
#include "core/memory/palette.h"
#include "core/save/backup.h"
#include "core/save/gpio.h"
#include "core/state.h"

namespace {

template <unsigned Size>
void store_le(std::uint8_t* bytes, std::uint32_t value) {
  for (unsigned i = 0; i < Size; ++i) bytes[i] = static_cast<std::uint8_t>(value >> 8 * i);
}

// A store into work RAM that lands on translated code must be reported, whichever path it took.
template <unsigned Size>
std::uint32_t store_ram(std::uint8_t* data, std::uint32_t value) {
  store_le<Size>(data, value);
  std::uint8_t tags[Size];
  std::memcpy(tags, data - RAM_TAG_DISTANCE, Size);
  for (std::uint8_t tag : tags) {
    if (tag != 0) return ALERT_CODE_OVERWRITTEN;
  }
  return ALERT_NONE;
}

std::uint8_t* ram_byte(std::uint32_t address) {
  if ((address >> 24) == REGION_EWRAM)
    return machine.ewram[(address >> 15) & 7].data + (address & 0x7FFF);
  return machine.iwram.data + (address & 0x7FFF);
}

// Video memory takes bytes only where backgrounds live, as both halves of the halfword; object
// tiles start higher in the bitmap modes (3 and up), whose pictures reach into the tile area.
void store_vram_byte(std::uint32_t address, std::uint32_t value) {
  std::uint32_t offset = vram_offset(address);
  std::uint32_t object_tiles = (io_read16(IO_DISPCNT) & 7) >= 3 ? 0x14000 : 0x10000;
  if (offset < object_tiles) store_le<2>(machine.vram_data + (offset & ~1u), value * 0x0101);
}

}  // namespace

std::uint32_t mem_write8(std::uint32_t address, std::uint32_t value) {
  value &= 0xFF;
  switch (address >> 24) {
    case REGION_EWRAM:
    case REGION_IWRAM: return store_ram<1>(ram_byte(address), value);
    case REGION_IO: return io_write8(address & 0x3FF, value);
    case REGION_PALETTE: store_palette16(address & 0x3FF, value * 0x0101); return ALERT_NONE;
    case REGION_VRAM: store_vram_byte(address, value); return ALERT_NONE;
    case REGION_EEPROM: eeprom_write_bit(value); return ALERT_NONE;
    case REGION_SRAM: backup_write8(address & 0xFFFF, value); return ALERT_NONE;
    default:  // BIOS, OAM bytes, ROM, unmapped: the bus drops them
      return ALERT_NONE;
  }
}

std::uint32_t mem_write16(std::uint32_t address, std::uint32_t value) {
  if ((address >> 24) == REGION_SRAM) {  // the save memory picks its byte lane by the address
    backup_write_wide(address, value, 2);
    return ALERT_NONE;
  }
  address &= ~1u;
  value &= 0xFFFF;
  switch (address >> 24) {
    case REGION_EWRAM:
    case REGION_IWRAM: return store_ram<2>(ram_byte(address), value);
    case REGION_IO: return io_write16(address & 0x3FF, value);
    case REGION_PALETTE: store_palette16(address & 0x3FF, value); return ALERT_NONE;
    case REGION_VRAM:
      store_le<2>(machine.vram_data + vram_offset(address), value);
      return ALERT_NONE;
    case REGION_OAM:
      store_le<2>(machine.oam_data + (address & 0x3FF), value);
      machine.oam_dirty = 1;
      return ALERT_NONE;
    case REGION_ROM0: gpio_write16(address & 0xFF, value); return ALERT_NONE;
    case REGION_EEPROM: eeprom_write_bit(value); return ALERT_NONE;
    default: return ALERT_NONE;
  }
}

std::uint32_t mem_write32(std::uint32_t address, std::uint32_t value) {
  if ((address >> 24) == REGION_SRAM) {  // the save memory picks its byte lane by the address
    backup_write_wide(address, value, 4);
    return ALERT_NONE;
  }
  address &= ~3u;
  switch (address >> 24) {
    case REGION_EWRAM:
    case REGION_IWRAM: return store_ram<4>(ram_byte(address), value);
    case REGION_IO: return io_write32(address & 0x3FF, value);
    case REGION_PALETTE:
      store_palette16(address & 0x3FF, value & 0xFFFF);
      store_palette16((address & 0x3FF) + 2, value >> 16);
      return ALERT_NONE;
    case REGION_VRAM:
      store_le<4>(machine.vram_data + vram_offset(address), value);
      return ALERT_NONE;
    case REGION_OAM:
      store_le<4>(machine.oam_data + (address & 0x3FF), value);
      machine.oam_dirty = 1;
      return ALERT_NONE;
    case REGION_EEPROM: eeprom_write_bit(value); return ALERT_NONE;
    default: return ALERT_NONE;
  }
}
