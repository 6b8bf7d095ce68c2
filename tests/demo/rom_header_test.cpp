// The header fixer against the complement check rule of the hardware reference:
// chk = 0 - (bytes 0xA0-0xBC) - 0x19, modulo 256. Expected values worked out by hand.

#include "tools/rom_header.h"

#include <gtest/gtest.h>

namespace {

struct HeaderCase {
  const char* name;
  std::vector<std::pair<std::size_t, std::uint8_t>> bytes;  // all others zero
  std::uint8_t complement;
};

// Fixed value only: 0 - 0x96 - 0x19 = -0xAF -> 0x51. Title "A" added: -(0x41 + 0x96 + 0x19)
// = -0xF0 -> 0x10. All 29 checked bytes 0xFF: -(29 * 0xFF + 0x19) = -0x1CFC -> 0x04. Bytes
// outside 0xA0-0xBC (the logo's last byte, the check itself, the reserved bytes) count for
// nothing.
const HeaderCase HEADER_CASES[] = {
    {"fixed_value_only", {{0xB2, 0x96}}, 0x51},
    {"one_title_letter", {{0xA0, 0x41}, {0xB2, 0x96}}, 0x10},
    {"all_checked_bytes_ff",
     {{0xA0, 0xFF}, {0xA1, 0xFF}, {0xA2, 0xFF}, {0xA3, 0xFF}, {0xA4, 0xFF}, {0xA5, 0xFF},
      {0xA6, 0xFF}, {0xA7, 0xFF}, {0xA8, 0xFF}, {0xA9, 0xFF}, {0xAA, 0xFF}, {0xAB, 0xFF},
      {0xAC, 0xFF}, {0xAD, 0xFF}, {0xAE, 0xFF}, {0xAF, 0xFF}, {0xB0, 0xFF}, {0xB1, 0xFF},
      {0xB2, 0xFF}, {0xB3, 0xFF}, {0xB4, 0xFF}, {0xB5, 0xFF}, {0xB6, 0xFF}, {0xB7, 0xFF},
      {0xB8, 0xFF}, {0xB9, 0xFF}, {0xBA, 0xFF}, {0xBB, 0xFF}, {0xBC, 0xFF}},
     0x04},
    {"bytes_outside_ignored", {{0x9F, 0x77}, {0xB2, 0x96}, {0xBD, 0x12}, {0xBE, 0x34}}, 0x51},
};

TEST(RomHeader, ComplementFollowsTheRule) {
  for (const HeaderCase& c : HEADER_CASES) {
    std::vector<std::uint8_t> header(ROM_HEADER_SIZE, 0);
    for (auto [at, value] : c.bytes) header[at] = value;
    EXPECT_EQ(rom_header_complement(header.data()), c.complement) << c.name;
  }
}

// The fixer writes the fixed value first, so a header without it gets the check of one with it;
// everything else stays as it was. A file shorter than a header is refused and left alone.
TEST(RomHeader, FixerSetsFixedValueAndCheckOnly) {
  std::vector<std::uint8_t> rom(0x200, 0);
  rom[0xA0] = 0x41;
  rom[0xBD] = 0xEE;
  rom[0x1FF] = 0x5A;
  std::vector<std::uint8_t> expected = rom;
  expected[0xB2] = 0x96;
  expected[0xBD] = 0x10;
  std::string error;
  ASSERT_TRUE(fix_rom_header(rom, error));
  EXPECT_EQ(rom, expected);

  std::vector<std::uint8_t> short_rom(ROM_HEADER_SIZE - 1, 0xAB);
  std::vector<std::uint8_t> untouched = short_rom;
  EXPECT_FALSE(fix_rom_header(short_rom, error));
  EXPECT_EQ(short_rom, untouched);
  EXPECT_NE(error.find("191 bytes"), std::string::npos) << error;
}

}  // namespace
