#pragma once
// The save-memory controller's state as the machine record holds it; the protocols that drive it
// live in core/save/backup.h.

#include <cstdint>

enum SaveKind : std::uint8_t { SAVE_SRAM = 0, SAVE_FLASH = 1, SAVE_EEPROM = 2, SAVE_UNKNOWN = 3 };

// Save-memory controller state; the protocols that drive it live with the save-memory code.
struct BackupState {
  std::uint8_t save_kind;
  std::uint8_t sram_64k;
  std::uint8_t flash_128k;
  std::uint8_t flash_state;
  std::uint8_t flash_step;
  std::uint8_t flash_maker_id;
  std::uint8_t flash_chip_id;
  std::uint8_t eeprom_8k;
  std::uint32_t flash_bank_offset;  // byte offset of the selected bank in backup_buffer
  std::uint32_t eeprom_phase;
  std::uint32_t eeprom_block_offset;
  std::uint32_t eeprom_bits_seen;
  std::uint32_t eeprom_addr_width;
  std::uint8_t eeprom_shift[2];
  std::uint8_t clock_state;
  std::uint8_t clock_command;
  std::uint32_t clock_bit;
  std::uint32_t clock_length;
  std::uint32_t clock_bytes[12];
  std::uint32_t clock_status;
  std::uint32_t clock_input_target;
  std::uint8_t sram_written;    // a game that stored plain bytes keeps its SRAM, whatever it stores
  std::uint8_t flash_unlocked;  // the game itself began a flash command since the last reset
};

struct SaveFileType {
  std::uint8_t known;  // 0 when no file was read or its size told nothing (a zeroed record)
  std::uint8_t save_kind;
  std::uint8_t large;  // 128 KB flash, 8 KB EEPROM
};
