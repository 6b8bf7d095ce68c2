#pragma once
// The two cartridge header bytes the console's boot code insists on: the fixed value and the
// complement check over the title, codes and version.

#include <cstdint>
#include <string>
#include <vector>

constexpr std::size_t ROM_HEADER_SIZE = 0xC0;
constexpr std::size_t ROM_FIXED_VALUE_AT = 0xB2;
constexpr std::uint8_t ROM_FIXED_VALUE = 0x96;
constexpr std::size_t ROM_COMPLEMENT_AT = 0xBD;

// The complement check of a header: zero minus the bytes 0xA0-0xBC, minus 0x19, modulo 256.
// `header` holds at least ROM_HEADER_SIZE bytes.
std::uint8_t rom_header_complement(const std::uint8_t* header);

// Sets the fixed value, then the complement check. A cartridge shorter than its header is left
// as it is and the reason put in `error`.
bool fix_rom_header(std::vector<std::uint8_t>& rom, std::string& error);
