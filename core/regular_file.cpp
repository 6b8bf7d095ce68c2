#include "core/regular_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

std::FILE* open_regular_file(const char* path) {
  // Without O_NONBLOCK, opening a pipe that no one writes would wait forever.
  int fd = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return nullptr;
  struct stat info {};
  int error = 0;
  if (fstat(fd, &info) != 0) {
    error = errno;
  } else if (!S_ISREG(info.st_mode)) {
    error = S_ISDIR(info.st_mode) ? EISDIR : EINVAL;
  } else if (int flags = fcntl(fd, F_GETFL);
             flags < 0 || fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
    error = errno;
  }
  std::FILE* file = error == 0 ? fdopen(fd, "rb") : nullptr;
  if (file == nullptr) {
    if (error == 0) error = errno;
    close(fd);
    errno = error;
  }
  return file;
}

const char* regular_file_error_text(int error) {
  return error == EISDIR || error == EINVAL ? "not a regular file" : std::strerror(error);
}
