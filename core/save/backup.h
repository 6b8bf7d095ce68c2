#pragma once
// The cartridge's save memory as the bus sees it: SRAM, flash or a serial EEPROM. Which one a
// game has is not known in advance; the game's first accesses decide it.

#include <cstdint>

struct BackupState;

constexpr std::uint32_t SRAM_SIZE = 0x8000;
constexpr std::uint32_t FLASH_BANK_SIZE = 0x10000;
constexpr std::uint32_t EEPROM_SMALL_SIZE = 512;
constexpr std::uint32_t EEPROM_LARGE_SIZE = 0x2000;
constexpr std::uint8_t FLASH_MAKER_ID = 0xC2;
constexpr std::uint8_t FLASH_CHIP_ID_64K = 0x1C;
constexpr std::uint8_t FLASH_CHIP_ID_128K = 0x09;

enum FlashState : std::uint8_t {
  FLASH_READY = 0,
  FLASH_ERASE = 1,
  FLASH_IDENTIFY = 2,
  FLASH_WRITE_BYTE = 3,
  FLASH_SELECT_BANK = 4,
};

// Byte accesses of regions 0x0E-0x0F, offset = address & 0xFFFF.
std::uint32_t backup_read8(std::uint32_t offset);
void backup_write8(std::uint32_t offset, std::uint32_t value);

// The save memory's data bus is 8 bits wide: a halfword or word read sees the addressed byte on
// every lane, and a wider write stores only the lane its (unaligned) address selects.
std::uint32_t backup_read_wide(std::uint32_t offset, unsigned size);
void backup_write_wide(std::uint32_t address, std::uint32_t value, unsigned size);

// One bit per access of region 0x0D beyond the ROM; only bit 0 of a written value counts.
std::uint32_t eeprom_read_bit();
void eeprom_write_bit(std::uint32_t value);

// Whether the EEPROM's phase, bit counter, address width and block lie within their ranges, so
// that no later bit can index outside the save memory. Snapshots are checked with it.
bool eeprom_state_valid(const BackupState& s);

// Type unknown, 32 KB SRAM, 64 KB flash at bank 0, idle flash and EEPROM (512 bytes), clock off;
// then the type the game's .sav file showed, if any. The flash chip id chosen by the game table at
// load survives.
void reset_backup_state();

// How many times the game has written to its save memory (any access that may change it: a
// store, a flash command, an EEPROM bit) since the program started. Host-side, not machine state:
// a front end that saves some time after the game's last write compares two readings.
std::uint32_t save_memory_write_count();
void count_save_memory_write();

// A flash command or an EEPROM stream that the game has begun and not finished: a save written
// now could hold half of a change.
bool save_sequence_in_progress();
