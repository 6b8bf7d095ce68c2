#pragma once
// Settings chosen per game from its header when a cartridge is loaded.

// Sets the defaults (no idle loop, no translation gate, 64 KB flash id, BIOS switch bytes 0);
// the per-game table arrives with the save-memory code.
void apply_game_settings(const char* title, const char* game_code, const char* maker_code);
