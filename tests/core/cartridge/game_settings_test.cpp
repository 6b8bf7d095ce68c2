// The per-game table: rows matched on all three header strings, first match first, and what a
// matching row changes for the translators, the flash chip and the BIOS.

#include <gtest/gtest.h>

#include <cstring>

#include "core/cartridge/game_settings.h"
#include "core/cartridge/game_table.h"
#include "core/state.h"
#include "cpu/translation_settings.h"

namespace {

class GameSettingsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    clear_machine_state();
    reset_translation_settings();
  }
  void TearDown() override { reset_translation_settings(); }
};

TEST_F(GameSettingsTest, TheTableHas133RowsOfHeaderSizedStrings) {
  ASSERT_EQ(game_table().size(), 133u);
  for (const GameRow& row : game_table()) {
    EXPECT_LE(std::strlen(row.title), 12u) << row.title;
    EXPECT_EQ(std::strlen(row.game_code), 4u) << row.title;
    EXPECT_EQ(std::strlen(row.maker_code), 2u) << row.title;
  }
}

TEST_F(GameSettingsTest, TheFirstRowSetsItsIdleLoop) {
  apply_game_settings("ADVANCEWARS", "AWRE", "01");
  EXPECT_EQ(translation_settings.idle_loop_address, 0x0803880Au);
  EXPECT_EQ(translation_settings.gate_count, 0u);
  EXPECT_EQ(machine.backup.flash_chip_id, 0x1C);
}

TEST_F(GameSettingsTest, TheLastRowSetsItsIdleLoop) {
  apply_game_settings("YWCT2004USA", "BYWE", "A4");
  EXPECT_EQ(translation_settings.idle_loop_address, 0x080831DAu);
}

TEST_F(GameSettingsTest, OfTwoEqualRowsTheFirstIsTheOneFound) {
  const GameRow* zero2 = find_game_row("MEGAMANZERO2", "A62E", "08");
  EXPECT_EQ(zero2, &game_table()[48]);
  EXPECT_EQ(find_game_row("POKEMON FIRE", "BPRE", "01"), &game_table()[79]);
  EXPECT_EQ(find_game_row("POKEMON SAPP", "AXPE", "01"), &game_table()[97]);
}

TEST_F(GameSettingsTest, AllThreeStringsMustMatchExactly) {
  EXPECT_EQ(find_game_row("ADVANCEWARS", "AWRE", "02"), nullptr);
  EXPECT_EQ(find_game_row("ADVANCEWARS", "AWRP", "01"), nullptr);
  EXPECT_EQ(find_game_row("ADVANCEWAR", "AWRE", "01"), nullptr);
  EXPECT_EQ(find_game_row("advancewars", "AWRE", "01"), nullptr);
  EXPECT_EQ(find_game_row("PHANTASIA", "AN8J", "AF"), &game_table()[66]);
}

TEST_F(GameSettingsTest, AGateRowSetsOneTranslationGate) {
  apply_game_settings("DOOM II", "A9DE", "52");
  EXPECT_EQ(translation_settings.idle_loop_address, NO_IDLE_LOOP);
  EXPECT_EQ(translation_settings.gate_count, 1u);
  EXPECT_EQ(translation_settings.gates[0], 0x03004FA0u);
  EXPECT_TRUE(is_translation_gate(0x03004FA0));
}

TEST_F(GameSettingsTest, IdleLoopAndGateTogether) {
  apply_game_settings("GOLDEN_SUN_B", "AGFE", "01");
  EXPECT_EQ(translation_settings.idle_loop_address, 0x08013542u);
  EXPECT_EQ(translation_settings.gates[0], 0x030009ACu);
}

TEST_F(GameSettingsTest, A128KbRowReportsTheLargerChip) {
  apply_game_settings("F-ZEROCLIMAX", "BFTJ", "01");
  EXPECT_EQ(machine.backup.flash_chip_id, 0x09);
  EXPECT_EQ(translation_settings.idle_loop_address, NO_IDLE_LOOP);
}

TEST_F(GameSettingsTest, TheBiosByteRowPatchesByte2C) {
  apply_game_settings("RAYMAN", "ARYE", "41");
  EXPECT_EQ(machine.bios_area.image[0x2C], 0x02);
  EXPECT_EQ(machine.bios_area.image[0x39], 0x00);
}

TEST_F(GameSettingsTest, AHeaderMatchingNoRowPutsEveryDefaultBack) {
  // What earlier games may have left: every setting away from its default.
  translation_settings.idle_loop_address = 0x08013542;
  translation_settings.gates[0] = 0x030009AC;
  translation_settings.gate_count = 1;
  machine.backup.flash_chip_id = 0x09;
  machine.bios_area.image[0x2C] = 0x02;
  machine.bios_area.image[0x39] = 0xC0;
  apply_game_settings("HOMEBREW", "XXXX", "00");
  EXPECT_EQ(translation_settings.idle_loop_address, NO_IDLE_LOOP);
  EXPECT_EQ(translation_settings.gate_count, 0u);
  EXPECT_EQ(machine.backup.flash_chip_id, 0x1C);
  EXPECT_EQ(machine.bios_area.image[0x2C], 0x00);
  EXPECT_EQ(machine.bios_area.image[0x39], 0x00);
}

}  // namespace
