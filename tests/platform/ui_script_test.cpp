// UI scripts: what a line may say, and a whole run that opens a popup, picks an entry and
// photographs the result.
#include <gtest/gtest.h>

#include "app/options.h"
#include "app/ui_run.h"
#include "frontend/language.h"
#include "platform/headless/headless_backend.h"
#include "platform/number_text.h"
#include "platform/ui_script.h"
#include "tests/platform/glyph_reference.h"
#include "tests/support/temp_dir.h"

namespace {

using Kind = ScriptCommand::Kind;

TEST(UiScriptTest, GoodLinesBecomeCommands) {
  std::vector<ScriptCommand> commands;
  std::string error;
  ASSERT_TRUE(
      parse_ui_script("# start\nwait 5\n\ntap 10 20\nkey 0x70  # F1\nkeyup 13\n"
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
      // Bytes that are not printable ASCII are quoted as \xNN, never copied raw into the message.
      {"fl\x01y\"\x80 3", "line 1: unknown command \"fl\\x01y\\x22\\x80\""},
  };
  for (const auto& c : cases) {
    std::vector<ScriptCommand> commands{ScriptCommand{}};
    std::string error;
    EXPECT_FALSE(parse_ui_script(c.script, 240, 320, commands, error)) << c.script;
    EXPECT_EQ(error.rfind(c.error, 0), 0u) << c.script << " gave " << error;
    EXPECT_EQ(commands.size(), 1u);  // untouched
  }
}

// One reading of numbers for the command line and the scripts: decimal (a leading 0 too, which
// the C library would take for octal) or 0x hexadecimal, nothing else, nothing past the limit.
TEST(UiScriptTest, NumbersReadAsOnTheCommandLine) {
  const struct {
    const char* text;
    bool valid;
    std::uint64_t value;
  } cases[] = {
      {"0", true, 0},
      {"7", true, 7},
      {"010", true, 10},
      {"0008", true, 8},
      {"0x10", true, 16},
      {"0X1f", true, 31},
      {"0xFF", true, 255},
      {"100000000", true, 100000000},
      {"100000001", false, 0},  // past the limit of 100000000
      {"", false, 0},
      {"0x", false, 0},
      {"x10", false, 0},
      {"-1", false, 0},
      {"+1", false, 0},
      {" 1", false, 0},
      {"1 ", false, 0},
      {"1e3", false, 0},
      {"12a", false, 0},
      {"0b1", false, 0},
      {"0x1g", false, 0},
      {"0x-1", false, 0},
      {"99999999999999999999999", false, 0},
  };
  for (const auto& c : cases) {
    std::uint64_t value = 12345;
    EXPECT_EQ(parse_whole_number(c.text, MAX_WAIT_CYCLES, value), c.valid) << '"' << c.text << '"';
    EXPECT_EQ(value, c.valid ? c.value : 12345u) << '"' << c.text << '"';

    std::vector<ScriptCommand> commands;
    std::string error;
    bool read = parse_ui_script(std::string("wait ") + c.text, 240, 320, commands, error);
    // Blanks around the number only separate words in a script.
    bool script_valid = c.valid || std::string(c.text) == "1 " || std::string(c.text) == " 1";
    EXPECT_EQ(read, script_valid) << '"' << c.text << '"' << error;
    if (read) {
      EXPECT_EQ(commands[0].a, c.valid ? c.value : 1u) << '"' << c.text << '"';
    }
  }
}

class UiRunTest : public ::testing::Test {
 protected:
  int run(const std::string& script, std::string& error) {
    std::vector<ScriptCommand> commands;
    EXPECT_TRUE(parse_ui_script(script, 240, 320, commands, error)) << error;
    HeadlessBackend backend;
    Options options;
    options.config_path = files.file("orvane.ini");
    SetLanguage(Language::CHINESE);
    return run_program(backend, options, &commands, error);
  }
  TempDir files;
};

TEST_F(UiRunTest, AScriptOpensThePopupPicksEntriesAndPhotographsThem) {
  std::string keys_shot = files.file("keys.png"), stylus_shot = files.file("stylus.png");
  std::string error;
  // F1 opens the main window's left popup; down, right enter "设置"; down, return choose its second
  // entry, the video dialog. Then the stylus: the dialog's left soft key confirms and closes it,
  // the main window's opens the popup again.
  int status = run("key 0x70\nkey 40\nkey 39\nkey 40\nkey 13\nwait 2\nshot " + keys_shot +
                       "\ntap 10 305\nwait 2\ntap 10 305\nwait 2\nshot " + stylus_shot + "\n",
                   error);
  ASSERT_EQ(status, 0) << error;
  int width = 0;
  std::vector<std::uint32_t> rows;
  if (!unifont_glyph(U'A', width, rows)) GTEST_SKIP() << "unifont.hex is not installed";
  // The dialog's title in the task bar, its soft keys at the ends of the menu bar.
  Picture picture;
  ASSERT_TRUE(read_png(keys_shot, picture));
  EXPECT_EQ(text_mismatches(picture, 6, 5, U"显示设置", 0xFFFFFF), 0);
  EXPECT_EQ(text_mismatches(picture, 6, 320 - 26 + 5, U"确定", 0xFFFFFF), 0);
  // The popup's first entry: seven entries of 20 and three separators of 7 above the menu bar.
  ASSERT_TRUE(read_png(stylus_shot, picture));
  int top = 294 - (2 + 7 * 20 + 3 * 7);
  EXPECT_EQ(text_mismatches(picture, 1 + 6, top + 1 + 2, U"加载Rom", 0), 0);
  EXPECT_EQ(text_mismatches(picture, 6, 5, U"window", 0xFFFFFF), 0);
}

TEST_F(UiRunTest, APictureThatCannotBeWrittenStopsTheRunWithItsLine) {
  std::string error;
  EXPECT_EQ(run("wait 1\nshot " + files.file("none/x.png") + "\nwait 1000000\n", error), 1);
  EXPECT_NE(error.find("line 2: cannot write"), std::string::npos) << error;
}

}  // namespace
