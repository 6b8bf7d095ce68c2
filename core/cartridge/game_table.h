#pragma once
// The built-in table of games that need settings of their own, matched on all three header
// strings exactly.

#include <cstddef>
#include <cstdint>
#include <span>

struct GameRow {
  const char* title;        // up to 12 characters
  const char* game_code;    // 4 characters
  const char* maker_code;   // 2 characters
  std::uint32_t idle_loop;  // 0: none
  std::uint32_t gate;       // translation gate address, 0: none
  bool flash_128k;          // the save chip reports itself as the 128 KB one
  bool bios_byte_39;        // BIOS byte 0x39 becomes 0xC0
  bool bios_byte_2c;        // BIOS byte 0x2C becomes 0x02
};

constexpr std::size_t GAME_TABLE_ROWS = 133;

std::span<const GameRow> game_table();

// The first row whose three strings equal the header's, or nullptr.
const GameRow* find_game_row(const char* title, const char* game_code, const char* maker_code);
