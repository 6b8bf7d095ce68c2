#pragma once
// Opening a file the program reads (cartridge, save, snapshot) without ever waiting on it: a named
// pipe or a device would block the open itself, before any check of what the path names.

#include <cstdio>

// Opens `path` for reading when it names a regular file. Anything else is refused at once:
// null with errno EISDIR for a folder, EINVAL for a pipe, device or socket, or the open's own
// error.
std::FILE* open_regular_file(const char* path);

// What a person is told of open_regular_file's `error`: "not a regular file" for the kinds it
// refuses, else the system's text.
const char* regular_file_error_text(int error);
