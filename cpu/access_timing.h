#pragma once
// Cycle costs of 8-, 16- and 32-bit accesses per region (address bits 31-24). Constant: the
// console's wait-state register is not modelled, so nothing writes it.

#include <cstdint>

enum AccessWidth : unsigned { ACCESS_8 = 0, ACCESS_16 = 1, ACCESS_32 = 2 };

inline std::uint32_t access_cycles(std::uint32_t address, AccessWidth width) {
  // clang-format off
  static constexpr std::uint8_t table[16][3] = {
      {1, 1, 1},   // BIOS
      {1, 1, 1},   // no memory
      {3, 3, 6},   // EWRAM
      {1, 1, 1},   // IWRAM
      {1, 1, 1},   // I/O
      {1, 1, 2},   // palette
      {1, 1, 2},   // VRAM
      {1, 1, 2},   // OAM
      {3, 3, 6},   // ROM, wait state 0
      {3, 3, 6},
      {5, 5, 9},   // ROM, wait state 1
      {5, 5, 9},
      {9, 9, 17},  // ROM, wait state 2
      {9, 9, 17},
      {0, 0, 0},   // save memory
      {0, 0, 0},
  };
  // clang-format on
  std::uint32_t region = address >> 24;
  return region < 16 ? table[region][width] : 1;
}
