#pragma once
// The executable memory that holds the translated code: one mapping, made once, with a code area
// for each translation cache. It lies within the host's direct reach (HOST_CODE_REACH) of the
// program's own code and static data, where the runtime routines and the machine record are.

#include <cstddef>
#include <cstdint>

// The three caches, numbered as the translators' `region` argument numbers them.
enum CodeRegion : int {
  CODE_REGION_RAM = 0,
  CODE_REGION_ROM = 1,
  CODE_REGION_BIOS = 2,
};
constexpr int CODE_REGIONS = 3;

constexpr std::size_t ROM_CODE_SIZE = 0x200000;  // 2 MB
constexpr std::size_t RAM_CODE_SIZE = 0x60000;   // 384 KB
constexpr std::size_t BIOS_CODE_SIZE = 0x20000;  // 128 KB

// The most host code a translator may emit between two limit checks: one guest instruction, plus
// the block's closing code after the last one. Each area's limit lies this far below its end, so
// code written while the write pointer was at or below the limit stays inside the area.
constexpr std::size_t MAX_CODE_PER_INSTRUCTION = 1024;

// Unused, but mapped, bytes after each area. They absorb what the lookup itself writes at the
// limit before the translator's first check (a ROM block's node and its alignment), and the
// 256 bytes past the write pointer that a cache flush hands to the instruction cache.
constexpr std::size_t CODE_AREA_GUARD = 0x1000;

// Maps the areas once; calls after a success do nothing and return true. On failure it says why
// through the debug output and returns false.
bool open_code_memory();
bool code_memory_is_open();

// Valid once open_code_memory() has succeeded.
std::uint8_t* code_area_start(int region);
std::size_t code_area_size(int region);
// Where a translator must stop: once the write pointer has passed it, the cache counts as full.
std::uint8_t* code_area_limit(int region);
