#pragma once
// Settings chosen per game from its header when a cartridge is loaded: where the game idles,
// where translated blocks must stop, which flash chip it expects, and two BIOS patch bytes.

constexpr unsigned BIOS_PATCH_39 = 0x39;
constexpr unsigned BIOS_PATCH_2C = 0x2C;

// Sets the defaults (no idle loop, no translation gate, 64 KB flash id, both BIOS patch bytes 0),
// then applies the first row of the game table that matches all three strings.
void apply_game_settings(const char* title, const char* game_code, const char* maker_code);
