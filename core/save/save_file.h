#pragma once
// The ".sav" file: the raw first bytes of the save memory, no header, sized by the save type.

#include <cstddef>
#include <cstdint>

constexpr std::uint32_t SAVE_FILE_MAX = 0x20000;

// Bytes a save of the current type holds; 0 while the type is unknown.
std::uint32_t save_file_size();

// Save memory as a new cartridge has it: erased (0xFF) with the type unknown.
void erase_backup_memory();

// Reads the file into the save memory from offset 0 (at most 128 KB; bytes beyond it keep their
// contents) and takes the type from its size, which stays in force across the resets of the game
// start until the game's own accesses change it. Returns 1. A file that cannot be opened or read
// leaves the memory erased and returns 0, with errno telling why (ENOENT: there is none yet).
int load_save_file(const char* path);

// Gives the save memory the type the last file read showed by its size (nothing when it showed
// none). Every backup reset calls it.
void apply_save_file_type();

// Writes save_file_size() bytes. Nothing is written while the type is unknown (returns 0, errno
// 0). The bytes go to a new file in the same folder, which replaces the old one only once all of
// it is written and flushed; on any failure the old file is untouched, errno tells why and the
// result is 0.
int write_save_file(const char* path);
