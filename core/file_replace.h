#pragma once
// Writing a file so that it is never seen half written: the bytes go to a new file in the same
// folder, which replaces the old one only once all of it is written and flushed. Saves,
// snapshots, screenshots, sound recordings and the settings file all go through here.

#include <sys/types.h>

#include <cstddef>
#include <cstdint>

constexpr std::size_t REPLACE_PATH_MAX = 4096;  // the target's path, NUL included

// A replacement being written: the temporary file's descriptor and both names.
struct PendingFile {
  int fd = -1;
  char path[REPLACE_PATH_MAX] = {};
  char temp_path[REPLACE_PATH_MAX + 32] = {};
};

// Creates the temporary file beside `path` (the old file's permissions carry over), after removing
// the temporaries that killed programs left beside the same target. Returns 1, or 0 with errno set
// and nothing created.
int begin_replacing(const char* path, PendingFile& pending);

// Appends bytes to the temporary file. Returns 1, or 0 with errno set (ENOSPC for a full disk).
int write_pending(PendingFile& pending, const void* bytes, std::size_t count);

// Flushes and closes the temporary file and puts it in the target's place; temporaries that
// killed programs left beside the same target go then. Returns 1, or 0 with errno set, the
// temporary removed and the old file untouched.
int commit_pending(PendingFile& pending);

// Removes the temporary file; the target stays as it was.
void abandon_pending(PendingFile& pending);

// Whether `path` could be replaced now: creates the temporary file and removes it again. Returns
// 1, or 0 with errno telling why (a read-only folder, say).
int can_replace(const char* path);

// All of the above for bytes already in memory.
int replace_file_contents(const char* path, const std::uint8_t* bytes, std::size_t size);

// How bytes reach the disk: ::write unless a test installs a failing one (nullptr restores it).
using FileWriteFunction = ssize_t (*)(int fd, const void* bytes, std::size_t count);
void set_file_write_function(FileWriteFunction write_function);
