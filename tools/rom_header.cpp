#include "tools/rom_header.h"

namespace {

constexpr std::size_t CHECKED_FIRST = 0xA0;
constexpr std::size_t CHECKED_LAST = 0xBC;
constexpr std::uint8_t COMPLEMENT_BIAS = 0x19;

}  // namespace

std::uint8_t rom_header_complement(const std::uint8_t* header) {
  std::uint8_t check = 0;
  for (std::size_t at = CHECKED_FIRST; at <= CHECKED_LAST; ++at) {
    check = static_cast<std::uint8_t>(check - header[at]);
  }
  return static_cast<std::uint8_t>(check - COMPLEMENT_BIAS);
}

bool fix_rom_header(std::vector<std::uint8_t>& rom, std::string& error) {
  if (rom.size() < ROM_HEADER_SIZE) {
    error = "shorter than a cartridge header (" + std::to_string(rom.size()) + " bytes)";
    return false;
  }
  rom[ROM_FIXED_VALUE_AT] = ROM_FIXED_VALUE;
  rom[ROM_COMPLEMENT_AT] = rom_header_complement(rom.data());
  return true;
}
