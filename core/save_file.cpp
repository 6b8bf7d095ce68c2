#include "core/save_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "core/backup.h"
#include "core/save_path.h"
#include "core/state.h"

namespace {

constexpr std::size_t TEMP_SUFFIX_MAX = 32;

SaveWriteFunction write_bytes = ::write;

// Staging area, so that a read that fails half way leaves the save memory as it was.
std::uint8_t staged[SAVE_FILE_MAX];

void take_type_from_size(off_t size) {
  BackupState& s = machine.backup;
  switch (size) {
    case FLASH_BANK_SIZE: s.save_kind = SAVE_FLASH; s.flash_128k = 0; break;
    case 2 * FLASH_BANK_SIZE: s.save_kind = SAVE_FLASH; s.flash_128k = 1; break;
    case EEPROM_SMALL_SIZE: s.save_kind = SAVE_EEPROM; s.eeprom_8k = 0; break;
    case EEPROM_LARGE_SIZE: s.save_kind = SAVE_EEPROM; s.eeprom_8k = 1; break;
    case SRAM_SIZE: s.save_kind = SAVE_SRAM; s.sram_64k = 0; break;
    default: break;
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

bool write_all(int fd, const std::uint8_t* bytes, std::size_t count) {
  while (count > 0) {
    ssize_t done = write_bytes(fd, bytes, count);
    if (done < 0 && errno == EINTR) continue;
    if (done <= 0) {
      if (done == 0) errno = ENOSPC;
      return false;
    }
    bytes += done;
    count -= static_cast<std::size_t>(done);
  }
  return true;
}

// A new file beside `path`, named after this process so that two programs saving at once never
// share one. The old file's permissions carry over.
int create_temp_file(const char* path, char* temp_path, std::size_t temp_size) {
  int length = std::snprintf(temp_path, temp_size, "%s.tmp-%ld", path, static_cast<long>(getpid()));
  if (length < 0 || static_cast<std::size_t>(length) >= temp_size) {
    errno = ENAMETOOLONG;
    return -1;
  }
  unlink(temp_path);  // a leftover of this process id can only be stale
  int fd = open(temp_path, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  struct stat old {};
  if (fd >= 0 && stat(path, &old) == 0) static_cast<void>(fchmod(fd, old.st_mode & 07777));
  return fd;
}

// The rename is durable only once the folder itself is flushed; a failure here loses nothing.
void flush_folder_of(const char* path) {
  char folder[SAVE_PATH_MAX + TEMP_SUFFIX_MAX];
  const char* slash = std::strrchr(path, '/');
  std::size_t length = slash == nullptr ? 0 : static_cast<std::size_t>(slash - path) + 1;
  if (length + 2 > sizeof folder) return;
  std::memcpy(folder, path, length);
  std::strcpy(folder + length, ".");
  int fd = open(folder, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  fsync(fd);
  close(fd);
}

bool write_and_flush(int fd, const std::uint8_t* bytes, std::size_t size) {
  bool ok = write_all(fd, bytes, size) && fsync(fd) == 0;
  int saved = errno;
  if (close(fd) != 0 && ok) return false;
  errno = saved;
  return ok;
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

void erase_backup_memory() {
  machine.backup.save_kind = SAVE_UNKNOWN;
  std::memset(machine.backup_buffer, 0xFF, sizeof machine.backup_buffer);
}

int load_save_file(const char* path) {
  std::FILE* file = std::fopen(path, "rb");
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
  take_type_from_size(info.st_size);
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

int replace_file_contents(const char* path, const std::uint8_t* bytes, std::size_t size) {
  char temp_path[SAVE_PATH_MAX + TEMP_SUFFIX_MAX];
  int fd = create_temp_file(path, temp_path, sizeof temp_path);
  if (fd < 0) return 0;
  if (!write_and_flush(fd, bytes, size) || std::rename(temp_path, path) != 0) {
    int saved = errno;
    unlink(temp_path);
    errno = saved;
    return 0;
  }
  flush_folder_of(path);
  return 1;
}

void set_save_write_function(SaveWriteFunction write_function) {
  write_bytes = write_function != nullptr ? write_function : ::write;
}
