#include "core/backup.h"

#include <cstring>

#include "core/state.h"

std::uint32_t backup_read8(std::uint32_t offset) { return machine.backup_buffer[offset & 0xFFFF]; }

void backup_write8(std::uint32_t offset, std::uint32_t value) {
  machine.backup_buffer[offset & 0xFFFF] = static_cast<std::uint8_t>(value);
}

std::uint32_t eeprom_read_bit() { return 0; }

void eeprom_write_bit(std::uint32_t) {}

void reset_backup_state() {
  std::uint8_t chip_id = machine.backup.flash_chip_id;  // chosen by the per-game table at load
  std::memset(&machine.backup, 0, sizeof machine.backup);
  machine.backup.save_kind = SAVE_UNKNOWN;
  machine.backup.flash_maker_id = 0xC2;
  machine.backup.flash_chip_id = chip_id;
  machine.backup.eeprom_addr_width = 6;
  machine.backup.clock_status = 0x40;
  std::memset(machine.gpio_shadow, 0, sizeof machine.gpio_shadow);
}
