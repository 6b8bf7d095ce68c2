#pragma once
// The cartridge's save memory as the bus sees it. Until the SRAM, flash and EEPROM protocols are
// in, reads and writes reach backup_buffer plainly and the EEPROM answers nothing.

#include <cstdint>

std::uint32_t backup_read8(std::uint32_t offset);
void backup_write8(std::uint32_t offset, std::uint32_t value);
std::uint32_t eeprom_read_bit();
void eeprom_write_bit(std::uint32_t value);

// Type unknown, 32 KB SRAM, 64 KB flash at bank 0, idle flash and EEPROM (512 bytes), clock off.
void reset_backup_state();
