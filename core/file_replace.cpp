#include "core/file_replace.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

FileWriteFunction write_bytes = ::write;

constexpr char TEMP_MARK[] = ".tmp-";

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

using FolderName = char[REPLACE_PATH_MAX + 2];

// `path`'s folder part with "." after it, so that a bare name's folder (the current one) opens
// too; returns the length of the folder part.
std::size_t folder_of(const char* path, FolderName& folder) {
  const char* slash = std::strrchr(path, '/');
  std::size_t length = slash == nullptr ? 0 : static_cast<std::size_t>(slash - path) + 1;
  std::memcpy(folder, path, length);
  std::strcpy(folder + length, ".");
  return length;
}

// The rename is durable only once the folder itself is flushed; a failure here loses nothing.
void flush_folder_of(const char* path) {
  FolderName folder;
  folder_of(path, folder);
  int fd = open(folder, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  fsync(fd);
  close(fd);
}

// A temporary of `name` whose writer is gone: "<name>.tmp-<pid>" with no such process. A writer
// that still runs may be about to rename its file, so its temporary stays.
bool is_stale_temporary(const char* entry, const char* name) {
  std::size_t name_length = std::strlen(name);
  if (std::strncmp(entry, name, name_length) != 0) return false;
  const char* rest = entry + name_length;
  if (std::strncmp(rest, TEMP_MARK, sizeof TEMP_MARK - 1) != 0) return false;
  const char* digits = rest + sizeof TEMP_MARK - 1;
  if (*digits == '\0' || std::strspn(digits, "0123456789") != std::strlen(digits)) return false;
  long pid = std::strtol(digits, nullptr, 10);
  if (pid <= 0 || pid == static_cast<long>(getpid())) return false;
  return kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH;
}

// Never the only copy of anything: the target was replaced only by a complete file.
void remove_stale_temporaries(const char* path) {
  FolderName folder;
  std::size_t length = folder_of(path, folder);
  DIR* dir = opendir(folder);
  if (dir == nullptr) return;
  int saved = errno;
  char stale[REPLACE_PATH_MAX + 256];
  while (const dirent* entry = readdir(dir)) {
    if (!is_stale_temporary(entry->d_name, path + length)) continue;
    std::snprintf(stale, sizeof stale, "%.*s%s", static_cast<int>(length), path, entry->d_name);
    unlink(stale);
  }
  closedir(dir);
  errno = saved;
}

}  // namespace

int begin_replacing(const char* path, PendingFile& pending) {
  pending.fd = -1;
  std::size_t length = std::strlen(path);
  if (length == 0 || length >= sizeof pending.path) {
    errno = length == 0 ? ENOENT : ENAMETOOLONG;
    return 0;
  }
  std::memcpy(pending.path, path, length + 1);
  // Named after this process, so two programs saving at once never share one.
  std::snprintf(pending.temp_path, sizeof pending.temp_path, "%s%s%ld", path, TEMP_MARK,
                static_cast<long>(getpid()));
  unlink(pending.temp_path);  // a leftover of this process id can only be stale
  // Those of killed writers go now too, not only after a complete write: otherwise a program
  // killed during every write would leave one more at each try.
  remove_stale_temporaries(path);
  pending.fd = open(pending.temp_path, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (pending.fd < 0) return 0;
  struct stat old {};
  if (stat(path, &old) == 0) static_cast<void>(fchmod(pending.fd, old.st_mode & 07777));
  return 1;
}

int write_pending(PendingFile& pending, const void* bytes, std::size_t count) {
  if (pending.fd < 0) {
    errno = EBADF;
    return 0;
  }
  return write_all(pending.fd, static_cast<const std::uint8_t*>(bytes), count) ? 1 : 0;
}

int commit_pending(PendingFile& pending) {
  if (pending.fd < 0) {
    errno = EBADF;
    return 0;
  }
  bool ok = fsync(pending.fd) == 0;
  int saved = errno;
  if (close(pending.fd) != 0) {
    if (ok) saved = errno;
    ok = false;
  }
  pending.fd = -1;
  if (ok && std::rename(pending.temp_path, pending.path) != 0) {
    saved = errno;
    ok = false;
  }
  if (!ok) {
    unlink(pending.temp_path);
    errno = saved;
    return 0;
  }
  flush_folder_of(pending.path);
  remove_stale_temporaries(pending.path);
  return 1;
}

void abandon_pending(PendingFile& pending) {
  int saved = errno;
  if (pending.fd >= 0) close(pending.fd);
  pending.fd = -1;
  if (pending.temp_path[0] != '\0') unlink(pending.temp_path);
  errno = saved;
}

int can_replace(const char* path) {
  PendingFile probe;
  if (!begin_replacing(path, probe)) return 0;
  abandon_pending(probe);
  return 1;
}

int replace_file_contents(const char* path, const std::uint8_t* bytes, std::size_t size) {
  PendingFile pending;
  if (!begin_replacing(path, pending)) return 0;
  if (!write_pending(pending, bytes, size)) {
    abandon_pending(pending);
    return 0;
  }
  return commit_pending(pending);
}

void set_file_write_function(FileWriteFunction write_function) {
  write_bytes = write_function != nullptr ? write_function : ::write;
}
