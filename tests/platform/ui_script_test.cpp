// UI scripts: what a line may say, and a whole run that opens a popup, picks an entry and
// photographs the result.
#include <gtest/gtest.h>

#include "app/ui_run.h"
#include "platform/headless/headless_backend.h"
#include "platform/ui_script.h"
#include "tests/platform/glyph_reference.h"
#include "tests/support/temp_dir.h"

namespace {

using Kind = ScriptCommand::Kind;

TEST(UiScriptTest, GoodLinesBecomeCommands) {
  std::vector<ScriptCommand> commands;
  std::string error;
  ASSERT_TRUE(parse_ui_script("# start\nwait 5\n\ntap 10 20\nkey 0x70  # F1\nkeyup 13\n"
                              "down 239 319\nup 0 0\nkeydown 40\nshot out.png\nquit\n",
                              240, 320, commands, error))
      << error;
  ASSERT_EQ(commands.size(), 9u);
  EXPECT_EQ(commands[0].kind, Kind::WAIT);
  EXPECT_EQ(commands[0].a, 5u);
  EXPECT_EQ(commands[0].line, 2);
  EXPECT_EQ(commands[1].kind, Kind::TAP);
  EXPECT_EQ(commands[1].b, 20u);
  EXPECT_EQ(commands[2].kind, Kind::KEY);
  EXPECT_EQ(commands[2].a, 0x70u);
  EXPECT_EQ(commands[3].kind, Kind::KEY_UP);
  EXPECT_EQ(commands[4].kind, Kind::DOWN);
  EXPECT_EQ(commands[6].kind, Kind::KEY_DOWN);
  EXPECT_EQ(commands[7].path, "out.png");
  EXPECT_EQ(commands[8].kind, Kind::QUIT);
}

TEST(UiScriptTest, ABadLineIsNamedWithItsNumberAndReason) {
  const struct {
    const char* script;
    const char* error;
  } cases[] = {
      {"wait", "line 1: wait needs"},
      {"wait -1", "line 1: wait needs"},
      {"wait 100000001", "line 1: wait needs"},
      {"tap 10", "line 1: tap needs X and Y"},
      {"tap 240 10", "line 1: tap needs a point on the 240 x 320 screen"},
      {"down 1 2 3", "line 1: down needs X and Y"},
      {"key 0", "line 1: key needs one virtual-key code"},
      {"key 256", "line 1: key needs one virtual-key code"},
      {"keydown x", "line 1: keydown needs one virtual-key code"},
      {"shot", "line 1: shot needs one file name"},
      {"quit now", "line 1: quit takes nothing"},
      {"# fine\n\nwait 1\nfly 3", "line 4: unknown command \"fly\""},
  };
  for (const auto& c : cases) {
    std::vector<ScriptCommand> commands{ScriptCommand{}};
    std::string error;
    EXPECT_FALSE(parse_ui_script(c.script, 240, 320, commands, error)) << c.script;
    EXPECT_EQ(error.rfind(c.error, 0), 0u) << c.script << " gave " << error;
    EXPECT_EQ(commands.size(), 1u);  // untouched
  }
}

class UiRunTest : public ::testing::Test {
 protected:
  int run(const std::string& script, std::string& error) {
    std::vector<ScriptCommand> commands;
    EXPECT_TRUE(parse_ui_script(script, 240, 320, commands, error)) << error;
    HeadlessBackend backend;
    return run_ui_script(backend, 240, 320, std::move(commands), error);
  }
  TempDir files;
};

TEST_F(UiRunTest, AScriptOpensThePopupPicksEntriesAndPhotographsThem) {
  std::string keys_shot = files.file("keys.png"), stylus_shot = files.file("stylus.png");
  std::string error;
  // F1 opens the left popup; down, right enter the submenu; down, return choose its second entry.
  // Then the stylus: the left soft key, and the popup's first entry just above its bottom part.
  int status = run("key 0x70\nkey 40\nkey 39\nkey 40\nkey 13\nshot " + keys_shot +
                       "\ntap 10 305\nwait 2\ntap 20 229\nshot " + stylus_shot + "\n",
                   error);
  ASSERT_EQ(status, 0) << error;
  int width = 0;
  std::vector<std::uint32_t> rows;
  if (!unifont_glyph(U'A', width, rows)) GTEST_SKIP() << "unifont.hex is not installed";
  // The label: design (20, 60, 200, 30) of 240 x 240 in a 240 x 268 client area below the task
  // bar is (20, 67) to (220, 100); its text centred, 2 pixels down.
  Picture picture;
  ASSERT_TRUE(read_png(keys_shot, picture));
  EXPECT_EQ(text_mismatches(picture, 20 + (200 - 64) / 2, 26 + 67 + 2, U"显示设置", 0), 0);
  ASSERT_TRUE(read_png(stylus_shot, picture));
  EXPECT_EQ(text_mismatches(picture, 20 + (200 - 32) / 2, 26 + 67 + 2, U"继续", 0), 0);
}

TEST_F(UiRunTest, APictureThatCannotBeWrittenStopsTheRunWithItsLine) {
  std::string error;
  EXPECT_EQ(run("wait 1\nshot " + files.file("none/x.png") + "\nwait 1000000\n", error), 1);
  EXPECT_NE(error.find("line 2: cannot write"), std::string::npos) << error;
}

}  // namespace
