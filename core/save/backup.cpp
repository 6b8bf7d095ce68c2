#include "core/save/backup.h"

#include <cstring>

#include "core/save/save_file.h"
#include "core/state.h"

namespace {

constexpr std::uint32_t UNLOCK_ADDRESS_1 = 0x5555;
constexpr std::uint32_t UNLOCK_ADDRESS_2 = 0x2AAA;
constexpr std::uint32_t FLASH_SECTOR_SIZE = 0x1000;

enum FlashCommand : std::uint32_t {
  COMMAND_ERASE_CHIP = 0x10,
  COMMAND_ERASE_SECTOR = 0x30,
  COMMAND_ERASE = 0x80,
  COMMAND_IDENTIFY = 0x90,
  COMMAND_WRITE_BYTE = 0xA0,
  COMMAND_SELECT_BANK = 0xB0,
  COMMAND_LEAVE_IDENTIFY = 0xF0,
};

BackupState& state() { return machine.backup; }

std::uint32_t write_count = 0;

std::uint8_t* flash_bank() { return machine.backup_buffer + state().flash_bank_offset; }

std::uint32_t read_sram(std::uint32_t offset) {
  // A 32 KB chip answers in both halves of the 64 KB window until a game shows, by writing to the
  // upper half, that it has more.
  if (!state().sram_64k) offset &= SRAM_SIZE - 1;
  return machine.backup_buffer[offset];
}

void write_sram(std::uint32_t offset, std::uint32_t value) {
  if (state().save_kind != SAVE_SRAM) return;
  machine.backup_buffer[offset] = static_cast<std::uint8_t>(value);
  state().sram_written = 1;
  if (offset >= SRAM_SIZE) state().sram_64k = 1;
}

void erase_chip() {
  std::uint32_t size = state().flash_128k ? 2 * FLASH_BANK_SIZE : FLASH_BANK_SIZE;
  std::memset(machine.backup_buffer, 0xFF, size);
}

void erase_sector(std::uint32_t offset) {
  std::memset(flash_bank() + (offset & 0xF000), 0xFF, FLASH_SECTOR_SIZE);
}

// The third write of an unlocked sequence. Unknown commands only end the sequence.
void run_flash_command(std::uint32_t command) {
  BackupState& s = state();
  bool ready = s.flash_state == FLASH_READY;
  switch (command) {
    case COMMAND_ERASE_CHIP:
      if (s.flash_state == FLASH_ERASE) {
        erase_chip();
        s.flash_state = FLASH_READY;
      }
      break;
    case COMMAND_ERASE:
      if (ready) s.flash_state = FLASH_ERASE;
      break;
    case COMMAND_IDENTIFY:
      if (ready) s.flash_state = FLASH_IDENTIFY;
      break;
    case COMMAND_WRITE_BYTE:
      if (ready) s.flash_state = FLASH_WRITE_BYTE;
      break;
    case COMMAND_SELECT_BANK:
      s.flash_128k = 1;
      if (ready) s.flash_state = FLASH_SELECT_BANK;
      break;
    case COMMAND_LEAVE_IDENTIFY:
      if (s.flash_state == FLASH_IDENTIFY) s.flash_state = FLASH_READY;
      break;
    default: break;
  }
  s.flash_step = 0;
}

// Writes to the first unlock address. Returns false when the write is plain data instead.
bool write_unlock_address(std::uint32_t value) {
  BackupState& s = state();
  // A game that already stored plain bytes has SRAM; 0xAA is then just data it stores.
  if (s.flash_step == 0 && value == 0xAA && !s.sram_written) {
    s.save_kind = SAVE_FLASH;
    s.flash_unlocked = 1;
    s.flash_step = 1;
    return true;
  }
  if (s.flash_step == 2) {
    run_flash_command(value);
    return true;
  }
  return false;
}

// The flash steps that do not involve the first unlock address. Returns true if one applied.
bool write_flash_step(std::uint32_t offset, std::uint32_t value) {
  BackupState& s = state();
  if (offset == UNLOCK_ADDRESS_2 && value == 0x55 && s.flash_step == 1) {
    s.flash_step = 2;
    return true;
  }
  if (s.flash_step == 2 && value == COMMAND_ERASE_SECTOR && s.flash_state == FLASH_ERASE) {
    erase_sector(offset);
    s.flash_state = FLASH_READY;
    s.flash_step = 0;
    return true;
  }
  if (s.flash_step != 0) return false;
  if (s.flash_state == FLASH_SELECT_BANK && offset == 0) {
    if (s.flash_128k) {
      s.flash_bank_offset = (value & 1) * FLASH_BANK_SIZE;
      s.flash_state = FLASH_READY;
    }
    return true;
  }
  if (s.flash_state == FLASH_WRITE_BYTE) {
    flash_bank()[offset] = static_cast<std::uint8_t>(value);
    s.flash_state = FLASH_READY;
    return true;
  }
  return false;
}

// A flash type that only the save file's size gave gives way to SRAM when the game stores a plain
// byte before any flash command: a flash game never does, and an SRAM game's save file may have
// the size of a flash chip.
bool is_sram_store_into_assumed_flash(std::uint32_t offset, std::uint32_t value) {
  const BackupState& s = state();
  bool unlocking = offset == UNLOCK_ADDRESS_1 && value == 0xAA;
  return s.save_kind == SAVE_FLASH && !s.flash_unlocked && s.flash_step == 0 &&
         s.flash_state == FLASH_READY && !unlocking;
}

}  // namespace

std::uint32_t backup_read8(std::uint32_t offset) {
  BackupState& s = state();
  offset &= 0xFFFF;
  if (s.save_kind == SAVE_UNKNOWN) s.save_kind = SAVE_SRAM;
  if (s.save_kind == SAVE_SRAM) return read_sram(offset);
  if (s.flash_state == FLASH_IDENTIFY) {
    if (offset == 0) return s.flash_maker_id;
    if (offset == 1) return s.flash_chip_id;
    return 0;
  }
  return flash_bank()[offset];
}

void backup_write8(std::uint32_t offset, std::uint32_t value) {
  count_save_memory_write();
  BackupState& s = state();
  offset &= 0xFFFF;
  value &= 0xFF;
  if (s.save_kind == SAVE_UNKNOWN || is_sram_store_into_assumed_flash(offset, value)) {
    s.save_kind = SAVE_SRAM;
  }
  if (offset == UNLOCK_ADDRESS_1 && s.flash_state != FLASH_WRITE_BYTE) {
    if (write_unlock_address(value)) return;
  } else if (write_flash_step(offset, value)) {
    return;
  }
  write_sram(offset, value);
}

std::uint32_t backup_read_wide(std::uint32_t offset, unsigned size) {
  std::uint32_t byte = backup_read8(offset);
  return size == 2 ? byte * 0x0101u : byte * 0x01010101u;
}

void backup_write_wide(std::uint32_t address, std::uint32_t value, unsigned size) {
  std::uint32_t lane = address & (size - 1);
  backup_write8(address & 0xFFFF, value >> (8 * lane));
}

void reset_backup_state() {
  std::uint8_t chip_id = state().flash_chip_id;
  std::memset(&machine.backup, 0, sizeof machine.backup);
  BackupState& s = state();
  s.save_kind = SAVE_UNKNOWN;
  s.flash_state = FLASH_READY;
  s.flash_maker_id = FLASH_MAKER_ID;
  s.flash_chip_id = chip_id;
  s.eeprom_addr_width = 6;
  s.clock_status = 0x40;
  std::memset(machine.gpio_shadow, 0, sizeof machine.gpio_shadow);
  apply_save_file_type();
}

std::uint32_t save_memory_write_count() { return write_count; }

void count_save_memory_write() { ++write_count; }

bool save_sequence_in_progress() {
  const BackupState& s = state();
  return s.flash_step != 0 || s.flash_state == FLASH_ERASE || s.flash_state == FLASH_WRITE_BYTE ||
         s.flash_state == FLASH_SELECT_BANK || s.eeprom_phase != 0;
}
