// The game screen's keyboard capture and the cartridge file dialog.

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <string>
#include <vector>

#include "frontend/file_dialog.h"
#include "frontend/mem.h"
#include "frontend/winmisc.h"
#include "platform/input.h"
#include "platform/keys.h"
#include "platform/menus.h"
#include "platform/messages.h"
#include "tests/frontend/game_screen_fixture.h"
#include "tests/support/temp_dir.h"

namespace {

using KeyboardCaptureTest = GameScreenTest;

std::vector<WParam> keys_down_to(WindowHandle window) {
  std::vector<WParam> keys;
  for (const Received& r : received) {
    if (r.window == window && r.message == msg::KEY_DOWN) keys.push_back(r.wparam);
  }
  return keys;
}

// While captured every key reaches the main window, even with the focus elsewhere and even the
// soft keys, which then open no menu.
TEST_F(KeyboardCaptureTest, EveryKeyGoesToTheMainWindowWhileCaptured) {
  WindowHandle other = top_level(u"other");
  MenuHandle menu = create_menu();
  append_menu_item(menu, 2000, u"x");
  ASSERT_NE(create_menu_bar(other, menu), NO_WINDOW);
  set_focus(other);
  g_config.use_kb_hook = 0;
  ASSERT_EQ(InstallHookIfWanted(main), 1);
  EXPECT_EQ(keyboard_grab_window(), NO_WINDOW);  // not wanted: nothing captured
  g_config.use_kb_hook = 1;
  ASSERT_EQ(InstallHookIfWanted(main), 1);
  EXPECT_EQ(keyboard_grab_window(), main);
  received.clear();
  for (unsigned key : {unsigned{'W'}, vk::F1, vk::ESCAPE}) {
    input_key_down(key);
    input_key_up(key);
  }
  pump_cycle();
  EXPECT_EQ(keys_down_to(main), (std::vector<WParam>{'W', vk::F1, vk::ESCAPE}));
  EXPECT_TRUE(keys_down_to(other).empty());
  EXPECT_FALSE(menu_is_open());
  RemoveHook();
  received.clear();
  input_key_down('W');
  pump_cycle();
  EXPECT_EQ(keys_down_to(other), (std::vector<WParam>{'W'}));
  // The key setup dialog's forced capture ignores the setting.
  g_config.use_kb_hook = 0;
  ASSERT_EQ(InstallHookIfWanted(main, true), 1);
  EXPECT_EQ(keyboard_grab_window(), main);
  RemoveHook();
  EXPECT_EQ(InstallHook(NO_WINDOW), 0);
}

class FileDialogTest : public GameScreenTest {
 protected:
  void SetUp() override {
    GameScreenTest::SetUp();
    for (const char* name : {"zeta.gba", "alpha.GBA", "notes.txt", "Beta.gba", ".hidden.gba"}) {
      dir.write(name, {1, 2, 3});
    }
    for (const char* name : {"saves", "Games", ".cache"}) mkdir(dir.file(name).c_str(), 0700);
    dir.write("Games/deep.gba", {1});
  }
  TempDir dir;
};

// Letter case does not decide the order: "alpha" before "Beta".
TEST_F(FileDialogTest, FoldersFirstThenCartridgesEachSorted) {
  std::vector<FileEntry> expected = {{"..", true},        {"Games", true},
                                     {"saves", true},     {"alpha.GBA", false},
                                     {"Beta.gba", false}, {"zeta.gba", false}};
  EXPECT_EQ(ListFolder(dir.path(), {".gba"}), expected);
  EXPECT_EQ(ListFolder("/", {".gba"}).front().name == "..", false);  // no way up from the root
  EXPECT_EQ(FilterExtensions(u"GBA Rom\0*.gba\0\0"), (std::vector<std::string>{".gba"}));
  EXPECT_EQ(FilterExtensions(u"Roms\0*.GBA;*.agb\0Text\0*.txt\0\0"),
            (std::vector<std::string>{".gba", ".agb", ".txt"}));
  EXPECT_EQ(DialogStartFolder(dir.file("Games/deep.gba").c_str()), dir.file("Games"));
  EXPECT_EQ(ParentFolder(dir.file("Games")), dir.path());
}

// Feeds keys to the dialog's loop, one per cycle, as a player would press them.
class KeyFeeder : public CycleInput {
 public:
  explicit KeyFeeder(std::vector<unsigned> keys) : keys_(std::move(keys)) {}
  void start_cycle() override {
    if (next_ >= keys_.size()) return;
    input_key_down(keys_[next_]);
    input_key_up(keys_[next_]);
    ++next_;
  }

 private:
  std::vector<unsigned> keys_;
  std::size_t next_ = 0;
};

std::u16string text_of(CMem& mem) { return reinterpret_cast<const char16_t*>(mem.GetP()); }

TEST_F(FileDialogTest, ArrowsAndReturnChooseAFileInASubfolder) {
  // Starting beside the last cartridge: .., Games, saves, alpha.GBA ... Down to Games, into it,
  // then Down past ".." to deep.gba.
  KeyFeeder feeder({vk::DOWN, vk::RETURN, vk::DOWN, vk::RETURN});
  set_cycle_input(&feeder);
  CMemStack result;
  std::string last = dir.file("zeta.gba");
  ASSERT_EQ(OpenFileDialog(main, &result, u"GBA Rom\0*.gba\0\0", last.c_str()), 1);
  set_cycle_input(nullptr);
  std::string expected = dir.file("Games/deep.gba");
  EXPECT_EQ(text_of(result), std::u16string(expected.begin(), expected.end()));
}

TEST_F(FileDialogTest, TheLeftSoftKeyCancels) {
  KeyFeeder feeder({vk::DOWN, vk::F1});
  set_cycle_input(&feeder);
  CMemStack result;
  EXPECT_EQ(OpenFileDialog(main, &result, u"GBA Rom\0*.gba\0\0", dir.file("zeta.gba").c_str()), 0);
  set_cycle_input(nullptr);
  EXPECT_EQ(text_of(result), u"");
  EXPECT_EQ(OpenFileDialog(main, nullptr, u"x\0*.gba\0\0"), 0);
  EXPECT_NE(reports.find("\"file && filter\""), std::string::npos);
}

// Remembers what the dialog showed when it was cancelled.
class WatchedDialog : public CFileDialog {
 public:
  LResult OnCommand(WParam wparam, LParam lparam) override {
    message_when_closed = message;
    return CFileDialog::OnCommand(wparam, lparam);
  }
  std::u16string message_when_closed;
};

// A path that does not fit the caller's buffer (with its terminating zero) is refused with a
// message, never cut; one that just fits is chosen.
TEST_F(FileDialogTest, APathTooLongIsRefusedAndTheDialogStays) {
  std::string rom = dir.file("Games/deep.gba");
  int units_with_zero = static_cast<int>(rom.size()) + 1;
  for (int limit : {units_with_zero - 1, units_with_zero}) {
    SCOPED_TRACE(limit);
    // In Games: .., deep.gba. Down and Return try to open it; F1 cancels when it was refused.
    KeyFeeder feeder({vk::DOWN, vk::RETURN, vk::F1});
    set_cycle_input(&feeder);
    WatchedDialog dialog;
    dialog.max_path_units = limit;
    std::string chosen;
    int result = dialog.Run(u"GBA Rom", dir.file("Games"), {".gba"}, chosen);
    set_cycle_input(nullptr);
    if (limit < units_with_zero) {
      EXPECT_EQ(result, 0);
      EXPECT_EQ(dialog.message_when_closed, u"路径太长，无法打开");
      EXPECT_EQ(chosen, "");
    } else {
      EXPECT_EQ(result, 1);
      EXPECT_EQ(chosen, rom);
    }
  }
}

}  // namespace
