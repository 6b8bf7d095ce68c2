// The save file's name: the cartridge's name with ".sav", beside it or in the chosen folder, and
// no name at all rather than one that other games would share.

#include <gtest/gtest.h>

#include <string>

#include "core/save/save_path.h"

namespace {

std::string save_path(const char* rom, const char* dir = nullptr) {
  char out[SAVE_PATH_MAX];
  if (!make_save_path(rom, dir, out, sizeof out)) return "(refused)";
  return out;
}

TEST(SavePath, NamesTheSaveAfterTheCartridge) {
  const struct {
    const char* rom;
    const char* dir;
    const char* expected;
  } cases[] = {
      {"roms/Game.gba", nullptr, "roms/Game.sav"},
      {"/abs/roms/Game.GBA", nullptr, "/abs/roms/Game.sav"},
      {"Game.gba", nullptr, "Game.sav"},
      {"game", nullptr, "game.sav"},
      {"roms.v2/game", nullptr, "roms.v2/game.sav"},  // a dot in a folder is no extension
      {"roms/my.game.gba", nullptr, "roms/my.game.sav"},
      {"roms/.gba", nullptr, "roms/.gba.sav"},  // a leading dot starts the name
      {"roms/Game.gba", "", "roms/Game.sav"},
      {"roms/Game.gba", "/saves", "/saves/Game.sav"},
      {"roms/Game.gba", "/saves/", "/saves/Game.sav"},
      {"Game.gba", "saves", "saves/Game.sav"},
  };
  for (const auto& c : cases) EXPECT_EQ(save_path(c.rom, c.dir), c.expected) << c.rom;
}

TEST(SavePath, NoCartridgeNameGivesNoSaveName) {
  EXPECT_EQ(save_path(""), "(refused)");
  EXPECT_EQ(save_path("roms/"), "(refused)");
  EXPECT_EQ(save_path("roms/", "/saves"), "(refused)");
}

TEST(SavePath, APathTooLongForTheBufferIsRefusedNotShortened) {
  std::string rom = "/" + std::string(SAVE_PATH_MAX, 'a') + ".gba";
  EXPECT_EQ(save_path(rom.c_str()), "(refused)");
  EXPECT_EQ(save_path("game.gba", ("/" + std::string(SAVE_PATH_MAX, 'd')).c_str()), "(refused)");
}

TEST(SavePath, TheBufferMustHoldTheTerminatingNul) {
  char out[9];
  EXPECT_EQ(make_save_path("game.gba", nullptr, out, 9), 1);  // "game.sav" and its NUL
  EXPECT_STREQ(out, "game.sav");
  EXPECT_EQ(make_save_path("game.gba", nullptr, out, 8), 0);
}

}  // namespace
