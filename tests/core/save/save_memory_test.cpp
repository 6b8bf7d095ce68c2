// SRAM and flash as a game reaches them through region 0x0E, with the command sequences of the
// hardware reference's "GBA Cart Backup Flash ROM".

#include <gtest/gtest.h>

#include "core/save/backup.h"
#include "core/save/save_file.h"
#include "tests/core/memory/memory_fixture.h"

namespace {

constexpr std::uint32_t SAVE_BASE = 0x0E000000;

class SaveMemoryTest : public MemoryTest {
 protected:
  static void poke(std::uint32_t offset, std::uint32_t value) {
    mem_write8(SAVE_BASE + offset, value);
  }
  static std::uint32_t peek(std::uint32_t offset) { return mem_read8(SAVE_BASE + offset); }

  // [E005555h]=AAh, [E002AAAh]=55h, [E005555h]=command
  static void flash_command(std::uint32_t command) {
    poke(0x5555, 0xAA);
    poke(0x2AAA, 0x55);
    poke(0x5555, command);
  }

  static void flash_write_byte(std::uint32_t offset, std::uint32_t value) {
    flash_command(0xA0);
    poke(offset, value);
  }

  static void select_bank(std::uint32_t bank) {
    flash_command(0xB0);
    poke(0, bank);
  }
};

TEST_F(SaveMemoryTest, AGameThatOnlyReadsBecomesSramWithA32KbSave) {
  EXPECT_EQ(save_file_size(), 0u);  // unknown: nothing to save yet
  peek(0x100);
  EXPECT_EQ(machine.backup.save_kind, SAVE_SRAM);
  EXPECT_EQ(save_file_size(), 0x8000u);
}

TEST_F(SaveMemoryTest, SramKeepsBytesAndMirrorsAcrossBothRegions) {
  poke(0x1234, 0x5A);
  EXPECT_EQ(machine.backup.save_kind, SAVE_SRAM);
  EXPECT_EQ(peek(0x1234), 0x5Au);
  EXPECT_EQ(mem_read8(0x0E011234), 0x5Au);
  EXPECT_EQ(mem_read8(0x0F001234), 0x5Au);
}

// A 32 KB chip ignores address line 15; a game writing above it shows it has 64 KB.
TEST_F(SaveMemoryTest, SramUpperHalfMirrorsUntilAGameWritesThere) {
  poke(0x0010, 0x11);
  EXPECT_EQ(peek(0x8010), 0x11u);
  poke(0x8020, 0x22);
  EXPECT_EQ(machine.backup.sram_64k, 1);
  EXPECT_EQ(save_file_size(), 0x10000u);
  EXPECT_EQ(peek(0x8020), 0x22u);
  EXPECT_EQ(peek(0x0020), 0u);
}

// Flash games only read before their first command; a game that stored plain bytes has SRAM, and
// must not lose what it stores to a flash switch when one of those bytes is 0xAA at 0x5555.
TEST_F(SaveMemoryTest, AnSramGameMayStore0xAaAt0x5555) {
  poke(0x0000, 0x01);
  poke(0x5555, 0xAA);
  poke(0x2AAA, 0x55);
  poke(0x5555, 0x90);
  EXPECT_EQ(machine.backup.save_kind, SAVE_SRAM);
  EXPECT_EQ(peek(0x5555), 0x90u);
  EXPECT_EQ(peek(0x2AAA), 0x55u);
  poke(0x1000, 0x02);
  EXPECT_EQ(peek(0x1000), 0x02u);
}

TEST_F(SaveMemoryTest, ReadingFirstStillLetsAFlashGameUnlock) {
  EXPECT_EQ(peek(0), 0u);
  flash_command(0x90);
  EXPECT_EQ(machine.backup.save_kind, SAVE_FLASH);
  EXPECT_EQ(peek(0), 0xC2u);
}

TEST_F(SaveMemoryTest, IdentifyAnswersMacronixWithTheChipCodeOfTheLoadedGame) {
  flash_command(0x90);
  EXPECT_EQ(machine.backup.save_kind, SAVE_FLASH);
  EXPECT_EQ(peek(0), 0xC2u);  // manufacturer
  EXPECT_EQ(peek(1), 0x1Cu);  // 64 KB device: no table row names this cartridge
  EXPECT_EQ(peek(2), 0u);
  flash_command(0xF0);
  machine.backup_buffer[0] = 0x77;
  EXPECT_EQ(peek(0), 0x77u);
}

TEST_F(SaveMemoryTest, IdentifyReportsThe128KbChipForAGameOfTheTable) {
  std::vector<std::uint8_t> image = rom_image;
  const char header[] = "POKEMON RUBYAXVE01";  // title at 0xA0, code at 0xAC, maker at 0xB0
  std::copy(header, header + 18, image.begin() + 0xA0);
  load(image);
  flash_command(0x90);
  EXPECT_EQ(peek(0), 0xC2u);
  EXPECT_EQ(peek(1), 0x09u);
}

TEST_F(SaveMemoryTest, WriteByteStoresOneByteAndReturnsToReady) {
  flash_write_byte(0x1234, 0x5A);
  EXPECT_EQ(machine.backup_buffer[0x1234], 0x5A);
  poke(0x1235, 0x77);  // no command: a flash chip ignores plain writes
  EXPECT_EQ(machine.backup_buffer[0x1235], 0);
  EXPECT_EQ(peek(0x1234), 0x5Au);
}

TEST_F(SaveMemoryTest, WriteByteReachesTheFirstUnlockAddressToo) {
  flash_write_byte(0x5555, 0xAA);
  EXPECT_EQ(machine.backup_buffer[0x5555], 0xAA);
  EXPECT_EQ(machine.backup.flash_step, 0);
}

TEST_F(SaveMemoryTest, BankOneAfterSelectBankMakesA128KbSave) {
  flash_command(0x90);  // flash, so that the size below is the flash one
  flash_command(0xF0);
  EXPECT_EQ(save_file_size(), 0x10000u);
  select_bank(1);
  EXPECT_EQ(save_file_size(), 0x20000u);
  flash_write_byte(0x0042, 0x99);
  EXPECT_EQ(machine.backup_buffer[0x10042], 0x99);
  EXPECT_EQ(machine.backup_buffer[0x00042], 0);
  EXPECT_EQ(peek(0x0042), 0x99u);
  select_bank(0);
  EXPECT_EQ(peek(0x0042), 0u);
}

TEST_F(SaveMemoryTest, ChipEraseFillsTheWholeChip) {
  flash_write_byte(0x0000, 0x00);
  flash_write_byte(0xFFFF, 0x00);
  flash_command(0x80);
  flash_command(0x10);
  for (std::uint32_t offset = 0; offset < 0x10000; ++offset)
    ASSERT_EQ(peek(offset), 0xFFu) << offset;
  EXPECT_EQ(machine.backup_buffer[0x10000], 0);  // a 64 KB chip ends there
  EXPECT_EQ(machine.backup.flash_state, FLASH_READY);
}

TEST_F(SaveMemoryTest, ChipEraseOfA128KbChipClearsBothBanks) {
  select_bank(1);
  flash_command(0x80);
  flash_command(0x10);
  EXPECT_EQ(machine.backup_buffer[0x00000], 0xFF);
  EXPECT_EQ(machine.backup_buffer[0x1FFFF], 0xFF);
}

TEST_F(SaveMemoryTest, SectorEraseClearsOnly4KbOfTheSelectedBank) {
  select_bank(1);
  flash_command(0x80);
  poke(0x5555, 0xAA);
  poke(0x2AAA, 0x55);
  poke(0x3456, 0x30);  // [E00n000h]=30h; the low 12 bits do not matter
  for (std::uint32_t offset = 0x3000; offset < 0x4000; ++offset) {
    ASSERT_EQ(machine.backup_buffer[0x10000 + offset], 0xFF) << offset;
  }
  EXPECT_EQ(machine.backup_buffer[0x12FFF], 0);
  EXPECT_EQ(machine.backup_buffer[0x14000], 0);
  EXPECT_EQ(machine.backup_buffer[0x03000], 0);  // bank 0 untouched
  EXPECT_EQ(machine.backup.flash_state, FLASH_READY);
}

TEST_F(SaveMemoryTest, EraseNeedsTheEraseCommandFirst) {
  flash_write_byte(0x10, 0x01);
  flash_command(0x10);
  EXPECT_EQ(peek(0x10), 0x01u);
  poke(0x5555, 0xAA);
  poke(0x2AAA, 0x55);
  poke(0x0000, 0x30);
  EXPECT_EQ(peek(0x10), 0x01u);
}

TEST_F(SaveMemoryTest, AnUnknownCommandOnlyEndsTheSequence) {
  flash_command(0x42);
  EXPECT_EQ(machine.backup.flash_step, 0);
  EXPECT_EQ(machine.backup.flash_state, FLASH_READY);
  flash_write_byte(0x20, 0x33);
  EXPECT_EQ(peek(0x20), 0x33u);
}

TEST_F(SaveMemoryTest, ResetForgetsTheTypeButKeepsTheChipCode) {
  machine.backup.flash_chip_id = 0x09;
  select_bank(1);
  reset_memory_map();
  EXPECT_EQ(machine.backup.save_kind, SAVE_UNKNOWN);
  EXPECT_EQ(machine.backup.flash_128k, 0);
  EXPECT_EQ(machine.backup.flash_bank_offset, 0u);
  EXPECT_EQ(machine.backup.flash_chip_id, 0x09);
  EXPECT_EQ(machine.backup.clock_status, 0x40u);
}

}  // namespace
