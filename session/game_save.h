#pragma once
// The save policy: where a game's .sav file lies, reading it at the start, and writing it when
// the game ends, without ever replacing a file that could not be read.

// Reads the save of the game at `rom_path` from `save_dir` (empty: beside the cartridge) into the
// save memory. What the player should know (a name too long, a file that cannot be read, a folder
// that cannot take the save) goes to `notice`.
void read_game_save(const char* rom_path, const char* save_dir, void (*notice)(const char*));

// Writes the save memory to the file read_game_save chose, if the game used it. Returns false
// when a save was lost, after telling `notice` why.
bool write_game_save(void (*notice)(const char*));
