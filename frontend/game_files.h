#pragma once
// The names of a game's files: its save memory, its snapshots and its screenshots, beside the
// cartridge or in the folder given with --save-dir.

#include <string>

// The cartridge's folder (or `save_dir` when not empty) and base name without extension, followed
// by `suffix`: "/roms/game.gba" with "_2.sna" gives "/roms/game_2.sna". False when no name can be
// built (an empty path, or one too long for the path splitter): such a file must not be written,
// since another game could share the name.
bool MakeGameFileName(const std::string& rom_path, const std::string& save_dir,
                      const std::string& suffix, std::string& out);

// "-YYYYMMDD-HHMMSS.png" for the local time `seconds` (since the epoch).
std::string ScreenshotSuffix(long long seconds);
