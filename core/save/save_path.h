#pragma once
// The name of a game's save file: the cartridge's name with ".sav" for its extension, beside the
// cartridge or in a folder of the user's choosing.

#include <cstddef>

constexpr std::size_t SAVE_PATH_MAX = 2048;  // including the terminating NUL

// Writes the path into `out` (at most `out_size` bytes with the NUL). `save_dir` may be null or
// empty for "beside the cartridge". Returns 1, or 0 when no name can be built: an empty cartridge
// name, or a path that does not fit. A save must then be refused, never given a name that other
// games could share.
int make_save_path(const char* rom_path, const char* save_dir, char* out, std::size_t out_size);
