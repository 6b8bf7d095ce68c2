#include "core/save/save_file.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "core/file_replace.h"
#include "core/regular_file.h"
#include "core/save/backup.h"
#include "core/save/save_path.h"
#include "core/state.h"

namespace {

// Staging area, so that a read that fails half way leaves the save memory as it was.
std::uint8_t staged[SAVE_FILE_MAX];

SaveFileType type_of_size(off_t size) {
  switch (size) {
    case FLASH_BANK_SIZE: return {1, SAVE_FLASH, 0};
    case 2 * FLASH_BANK_SIZE: return {1, SAVE_FLASH, 1};
    case EEPROM_SMALL_SIZE: return {1, SAVE_EEPROM, 0};
    case EEPROM_LARGE_SIZE: return {1, SAVE_EEPROM, 1};
    case SRAM_SIZE: return {1, SAVE_SRAM, 0};
    default: return {};
  }
}

// Returns the number of bytes read, or -1 with errno set.
ssize_t read_up_to_max(std::FILE* file) {
  std::size_t got = std::fread(staged, 1, SAVE_FILE_MAX, file);
  if (std::ferror(file)) {
    if (errno == 0) errno = EIO;
    return -1;
  }
  return static_cast<ssize_t>(got);
}

}  // namespace

std::uint32_t save_file_size() {
  const BackupState& s = machine.backup;
  switch (s.save_kind) {
    case SAVE_SRAM: return s.sram_64k ? 2 * SRAM_SIZE : SRAM_SIZE;
    case SAVE_FLASH: return s.flash_128k ? 2 * FLASH_BANK_SIZE : FLASH_BANK_SIZE;
    case SAVE_EEPROM: return s.eeprom_8k ? EEPROM_LARGE_SIZE : EEPROM_SMALL_SIZE;
    default: return 0;
  }
}

void apply_save_file_type() {
  const SaveFileType& type = machine.save_file_type;
  BackupState& s = machine.backup;
  if (!type.known) return;  // the size told nothing: the type stays as it was
  switch (type.save_kind) {
    case SAVE_FLASH:
      s.flash_128k = type.large;
      if (type.large) s.flash_chip_id = FLASH_CHIP_ID_128K;  // a game that asks sees both banks
      break;
    case SAVE_EEPROM: s.eeprom_8k = type.large; break;
    default: break;
  }
  s.save_kind = type.save_kind;
}

void erase_backup_memory() {
  machine.backup.save_kind = SAVE_UNKNOWN;
  machine.save_file_type = {};
  std::memset(machine.backup_buffer, 0xFF, sizeof machine.backup_buffer);
}

int load_save_file(const char* path) {
  std::FILE* file = open_regular_file(path);
  if (file == nullptr) {
    erase_backup_memory();
    return 0;
  }
  struct stat info {};
  ssize_t got = fstat(fileno(file), &info) == 0 ? read_up_to_max(file) : -1;
  int saved = errno;
  std::fclose(file);
  if (got < 0) {
    erase_backup_memory();
    errno = saved;
    return 0;
  }
  std::memcpy(machine.backup_buffer, staged, static_cast<std::size_t>(got));
  machine.save_file_type = type_of_size(info.st_size);
  apply_save_file_type();
  return 1;
}

int write_save_file(const char* path) {
  std::uint32_t size = save_file_size();
  if (size == 0) {
    errno = 0;
    return 0;
  }
  return replace_file_contents(path, machine.backup_buffer, size);
}
