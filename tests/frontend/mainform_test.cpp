// The main window and the game driver, with a recording driver in the console's place: menus,
// the panel, pausing and resuming, hot keys, snapshots, saves, cartridges that cannot be loaded,
// focus loss, the settings file and the exit sequence.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "frontend/globals.h"
#include "frontend/mainform.h"
#include "frontend/open_url.h"
#include "frontend/periodic_save.h"
#include "platform/desktop.h"
#include "platform/input.h"
#include "platform/keys.h"
#include "platform/menus.h"
#include "platform/messages.h"
#include "tests/frontend/fake_driver.h"
#include "tests/frontend/shell_fixture.h"

namespace {

constexpr std::uint32_t BLACK = 0x000000;
constexpr std::uint32_t WHITE = 0xFFFFFF;

unsigned slept_ms = 0;
void count_sleep(unsigned milliseconds) { slept_ms += milliseconds; }

std::string opened_url;
int record_url(const char* url) {
  opened_url = url;
  return 1;
}

class MainFormTest : public ShellTest {
 protected:
  void SetUp() override {
    ShellTest::SetUp();
    slept_ms = 0;
    opened_url.clear();
    SetSleepFunction(count_sleep);
    SetUrlLauncher(record_url);
    GlobalsInit();
  }
  void TearDown() override {
    form.reset();
    GlobalsExit();
    SetSleepFunction(nullptr);
    SetUrlLauncher(nullptr);
    ShellTest::TearDown();
  }

  void start(const std::string& save_dir = "") {
    ShellPaths paths{files.file("orvane.ini"), save_dir, "file:///help.html", "https://about"};
    form = std::make_unique<CMainForm>(driver, paths);
    form->SetTitle(u"window");
    ASSERT_EQ(form->Create(), 1);
  }
  // A game loaded and left running for `frames` frames.
  void load(const char* path, int frames = 1) {
    ASSERT_EQ(form->LoadRomFile(path), 1);
    play(frames);
  }
  void play(int frames) {
    driver.frames_left = frames;
    form->RunGameIfRunning();
  }
  void pump(int count = 1) {
    for (int i = 0; i < count; ++i) PumpMessages();
  }
  void key(unsigned virtual_key) {
    input_key_down(virtual_key);
    input_key_up(virtual_key);
  }
  void command(const std::unique_ptr<CMenu>& entry) {
    post_message(form->hwnd, msg::COMMAND, make_command_param(entry->number, 0), 0);
  }

  FakeDriver driver;
  std::unique_ptr<CMainForm> form;
};

struct Entry {
  MenuItem::Kind kind;
  std::u16string text;
};

std::vector<Entry> entries_of(MenuHandle menu) {
  std::vector<Entry> out;
  for (const MenuItem& item : find_menu(menu)->items) out.push_back({item.kind, item.text});
  return out;
}

TEST_F(MainFormTest, TheMenusHoldTheirEntriesInOrderInBothLanguages) {
  using K = MenuItem::Kind;
  for (Language language : {Language::CHINESE, Language::ENGLISH}) {
    SetLanguage(language);
    start();
    auto t = [language](UiText id) { return std::u16string(TextIn(language, id)); };
    std::vector<std::pair<K, std::u16string>> left = {
        {K::ENTRY, t(UiText::LOAD_ROM)},
        {K::SEPARATOR, u""},
        {K::SUBMENU, t(UiText::SETTINGS)},
        {K::SUBMENU, t(UiText::LOAD_STATE)},
        {K::SUBMENU, t(UiText::SAVE_STATE)},
        {K::SUBMENU, t(UiText::SCREEN_DIR)},
        {K::SEPARATOR, u""},
        {K::ENTRY, t(UiText::RESUME)},
        {K::SEPARATOR, u""},
        {K::ENTRY, t(UiText::EXIT)},
    };
    auto got = entries_of(form->menu_left->hmenu);
    ASSERT_EQ(got.size(), left.size());
    for (std::size_t i = 0; i < left.size(); ++i) {
      EXPECT_EQ(got[i].kind, left[i].first) << i;
      if (left[i].first != K::SEPARATOR) {
        EXPECT_EQ(got[i].text, left[i].second) << i;
      }
    }
    const struct {
      MenuHandle menu;
      std::vector<std::u16string> texts;
    } lists[] = {
        {form->menu_bar->hmenu, {t(UiText::MENU), t(UiText::HELP)}},
        {form->menu_right->hmenu, {t(UiText::HELP), t(UiText::ABOUT)}},
        {form->menu_setting->hmenu,
         {t(UiText::KEY_SETUP), t(UiText::VIDEO_SETUP), t(UiText::SOUND_SETUP)}},
        {form->menu_loadstate->hmenu, {t(UiText::LOAD_1), t(UiText::LOAD_2), t(UiText::LOAD_3)}},
        {form->menu_savestate->hmenu, {t(UiText::SAVE_1), t(UiText::SAVE_2), t(UiText::SAVE_3)}},
        {form->menu_dir->hmenu, {t(UiText::DIR_1), t(UiText::DIR_2), t(UiText::DIR_3)}},
    };
    for (const auto& list : lists) {
      auto items = entries_of(list.menu);
      ASSERT_EQ(items.size(), list.texts.size());
      for (std::size_t i = 0; i < items.size(); ++i) EXPECT_EQ(items[i].text, list.texts[i]);
    }
    form.reset();
  }
  // The Chinese texts are the ones a person reads in the original.
  EXPECT_EQ(std::u16string(TextIn(Language::CHINESE, UiText::LOAD_ROM)), u"加载Rom");
  EXPECT_EQ(std::u16string(TextIn(Language::CHINESE, UiText::DIR_3)), u"方向3");
}

TEST_F(MainFormTest, ALocaleThatIsNotChineseShowsEnglish) {
  const struct {
    const char* lc_all;
    const char* lc_messages;
    const char* lang;
    Language expected;
  } cases[] = {
      {nullptr, nullptr, "zh_CN.UTF-8", Language::CHINESE},
      {nullptr, nullptr, "en_GB.UTF-8", Language::ENGLISH},
      {"", "zh_TW", "en_US", Language::CHINESE},  // an empty LC_ALL does not count
      {"C", "zh_CN", "zh_CN", Language::ENGLISH},
      {nullptr, nullptr, nullptr, Language::ENGLISH},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(LanguageFromLocale(c.lc_all, c.lc_messages, c.lang), c.expected);
  }
  Language chosen = Language::CHINESE;
  EXPECT_TRUE(ParseLanguage("en", chosen));
  EXPECT_EQ(chosen, Language::ENGLISH);
  EXPECT_FALSE(ParseLanguage("fr", chosen));
}

// The panel: st_1 at design (45, 20, 161, 31) of 280 x 280 on the 240 x 268 client area below
// the 26-pixel task bar is x 38..176, y 45; its 12 characters of 8 pixels centred from x 59.
TEST_F(MainFormTest, TappingBeforeACartridgeDoesNothingAndThePanelShows) {
  if (!have_unifont()) GTEST_SKIP() << "unifont.hex is not installed";
  start();
  input_stylus_down(120, 160);
  input_stylus_up(120, 160);
  pump(2);
  EXPECT_TRUE(driver.log.empty());
  EXPECT_TRUE(driver.pad_touches.empty());
  EXPECT_EQ(form->IsGameScreen(), 0);
  EXPECT_EQ(form->Resume(), 0);
  Picture picture = photograph();
  EXPECT_EQ(text_mismatches(picture, 59, 45 + 2, U"Orvane 2.4.2", BLACK), 0);
  EXPECT_EQ(text_mismatches(picture, 6, 5, U"window", WHITE), 0);
  EXPECT_EQ(text_mismatches(picture, 6, 320 - 26 + 5, U"菜单", WHITE), 0);
  EXPECT_EQ(text_mismatches(picture, 240 - 6 - 32, 320 - 26 + 5, U"帮助", WHITE), 0);
}

TEST_F(MainFormTest, DirectionEntriesStoreOneTwoAndFourAndResume) {
  const struct {
    int downs;
    int stored;
  } cases[] = {{0, 1}, {1, 2}, {2, 4}};
  start();
  load("/roms/game.gba");
  for (const auto& c : cases) {
    form->PauseToMenu();
    driver.log.clear();
    key(vk::F1);                                // the left popup, "加载Rom" lit
    for (int i = 0; i < 4; ++i) key(vk::DOWN);  // down to "屏幕方向"
    key(vk::RIGHT);
    for (int i = 0; i < c.downs; ++i) key(vk::DOWN);
    key(vk::RETURN);
    pump();
    EXPECT_EQ(g_config.screen_dir, c.stored);
    EXPECT_EQ(form->IsGameScreen(), 1);
    EXPECT_EQ(driver.count("enter_screen"), 1);
  }
}

TEST_F(MainFormTest, EachDrawnFramePumpsDelayPerFrameTimesAndAtLeastOnce) {
  const struct {
    int delay;
    int pumps;
  } cases[] = {{-1, 1}, {0, 1}, {1, 1}, {5, 5}};
  start();
  load("/roms/game.gba", 0);
  for (const auto& c : cases) {
    g_config.delay_per_frame = c.delay;
    driver.pumps_per_frame.clear();
    play(3);
    EXPECT_EQ(driver.pumps_per_frame, std::vector<int>(3, c.pumps)) << c.delay;
  }
}

TEST_F(MainFormTest, HotKeysSaveAndLoadSlotOneWhileRunningThenActAsATapAtTheCorner) {
  start();
  load("/roms/game.gba", 0);
  key('B');  // vk_save1
  play(2);
  key('N');  // vk_load1
  play(2);
  EXPECT_EQ(driver.calls({"save_snapshot", "load_snapshot", "snapshot_loaded"}),
            (std::vector<std::string>{"save_snapshot /roms/game_1.sna",
                                      "load_snapshot /roms/game_1.sna", "snapshot_loaded"}));
  // The resume that follows each is a tap at (0, 0) on the running game's pad.
  EXPECT_EQ(driver.pad_touches, (std::vector<std::string>{"0,0 down", "0,0 down"}));
  EXPECT_EQ(form->touch_x, 0);
  EXPECT_EQ(form->IsGameScreen(), 1);
  EXPECT_EQ(driver.count("leave_screen"), 0);
}

TEST_F(MainFormTest, TheSaveKeyInTheMenuSavesAndResumesAndAMissingSlotStillResumes) {
  start("/saves");
  load("/roms/game.gba");
  form->PauseToMenu();
  driver.log.clear();
  key('B');
  pump();
  EXPECT_EQ(driver.calls(), (std::vector<std::string>{"save_snapshot /saves/game_1.sna",
                                                      "open_sound", "enter_screen"}));
  EXPECT_EQ(form->IsGameScreen(), 1);
  form->PauseToMenu();
  driver.log.clear();
  command(form->mitem_load2);  // no such file: the core ignores it
  pump();
  EXPECT_EQ(driver.calls(),
            (std::vector<std::string>{"load_snapshot /saves/game_2.sna", "open_sound",
                                      "enter_screen", "snapshot_loaded"}));
}

TEST_F(MainFormTest, ASecondCartridgeWritesTheFirstGamesSaveBeforeItStarts) {
  start();
  load("/roms/a.gba");
  form->PauseToMenu();
  driver.next_choice = "/roms/b.gba";
  command(form->mitem_loadrom);
  pump();
  EXPECT_EQ(
      driver.calls({"write_save", "start_game"}),
      (std::vector<std::string>{"start_game /roms/a.gba /roms/a.sav", "write_save /roms/a.sav",
                                "start_game /roms/b.gba /roms/b.sav"}));
}

// A snapshot or a save that fails is never passed over in silence: the game pauses
// in the menu with the reason, once; another cartridge waits until the save is kept or the person
// chooses it again.
TEST_F(MainFormTest, SnapshotsAndSavesThatFailPauseTheGameAndSayWhy) {
  start();
  load("/roms/a.gba", 0);
  driver.failing = {"save_snapshot", "write_save"};
  key('B');  // vk_save1
  play(2);
  EXPECT_EQ(form->IsGameScreen(), 0);
  ASSERT_TRUE(form->MessageBox().IsOpen());
  EXPECT_EQ(form->MessageBox().params->title, std::u16string(u"即时存档未能写入"));
  form->MessageBox().OnClose(0, 0);

  form->Resume();
  driver.save_writes = 1;
  play(SAVE_SETTLE_FRAMES + 5);
  EXPECT_EQ(driver.count("write_save"), 1);
  EXPECT_EQ(form->IsGameScreen(), 0);
  ASSERT_TRUE(form->MessageBox().IsOpen());
  EXPECT_EQ(form->MessageBox().params->title, std::u16string(u"游戏存档未能写入"));
  form->MessageBox().OnClose(0, 0);
  form->Resume();
  driver.save_writes = 2;
  play(SAVE_SETTLE_FRAMES + 5);
  EXPECT_EQ(driver.count("write_save"), 2);  // tried again after the game's next write
  EXPECT_EQ(form->IsGameScreen(), 1);        // but the person was told once

  // A slot that is there but is no snapshot: the game pauses as it was, with the reason; an empty
  // slot resumes the game as the slot key always does.
  driver.failing = {"load_snapshot", "write_save"};
  driver.failing_errno = EINVAL;
  key('N');  // vk_load1
  play(2);
  EXPECT_EQ(form->IsGameScreen(), 0);
  EXPECT_EQ(form->MessageBox().params->title, std::u16string(u"即时存档无法读取"));
  EXPECT_EQ(driver.count("snapshot_loaded"), 0);
  form->MessageBox().OnClose(0, 0);
  driver.failing_errno = ENOENT;
  EXPECT_EQ(form->LoadState(2), 1);
  EXPECT_EQ(form->IsGameScreen(), 1);
  EXPECT_FALSE(form->MessageBox().IsOpen());

  form->PauseToMenu();
  driver.failing_errno = EIO;
  driver.log.clear();
  EXPECT_EQ(form->LoadRomFile("/roms/b.gba"), 0);
  EXPECT_EQ(driver.calls(), (std::vector<std::string>{"write_save /roms/a.sav"}));
  EXPECT_TRUE(form->MessageBox().IsOpen());
  EXPECT_EQ(form->RomPath(), "/roms/a.gba");
  EXPECT_EQ(form->LoadRomFile("/roms/b.gba"), 1);  // chosen again: loaded without the save
  EXPECT_EQ(form->RomPath(), "/roms/b.gba");
}

// Chosen while a frame is still on the stack, the new game starts only after the old run ended:
// a hundred games in a row leave the stack as it was.
TEST_F(MainFormTest, ACartridgeChosenInsideAFrameEndsTheOldRunFirst) {
  start();
  load("/roms/a.gba", 0);
  for (int i = 0; i < 100; ++i) {
    driver.next_choice = "/roms/g" + std::to_string(i) + ".gba";
    command(form->mitem_loadrom);
    driver.log.clear();
    play(5);  // the command arrives in the first frame's pump
    EXPECT_EQ(driver.calls(), (std::vector<std::string>{"run", "run_end"}));
    EXPECT_EQ(driver.frame, 1u);
    form->RunGameIfRunning();  // the outermost loop's next step
    EXPECT_EQ(driver.count("start_game"), 1);
    ASSERT_EQ(loop_depth, 0);
  }
}

TEST_F(MainFormTest, ACartridgeThatCannotBeLoadedLeavesTheGameAndSaysWhy) {
  if (!have_unifont()) GTEST_SKIP() << "unifont.hex is not installed";
  start();
  load("/roms/a.gba");
  form->PauseToMenu();
  driver.refused["/roms/empty.gba"] = "/roms/empty.gba: is empty";
  driver.next_choice = "/roms/empty.gba";
  driver.log.clear();
  command(form->mitem_loadrom);
  pump(2);
  EXPECT_TRUE(driver.log.empty());  // no save written, nothing reset, nothing started
  EXPECT_EQ(form->is_rom_loaded, 1);
  EXPECT_STREQ(form->mem_rom_file_name->CStr(), "/roms/a.gba");
  ASSERT_TRUE(form->MessageBox().IsOpen());
  Picture picture = photograph();
  EXPECT_EQ(text_mismatches(picture, 6, 5, U"无法加载Rom", WHITE), 0);
  EXPECT_EQ(text_mismatches(picture, 4, 26 + 4 + 2, U"/roms/empty.gba: is empty", BLACK), 0);
  key(vk::F1);  // its one soft key closes it
  pump(2);
  EXPECT_FALSE(form->MessageBox().IsOpen());
  form->Resume();
  EXPECT_EQ(driver.calls(), (std::vector<std::string>{"open_sound", "enter_screen"}));
  // A cancelled dialog changes nothing either.
  driver.next_choice.clear();
  EXPECT_EQ(form->LoadRom(), 0);
  EXPECT_NE(reports.find("\"mem.StrLenW() > 0\""), std::string::npos);
}

TEST_F(MainFormTest, LosingTheFocusPausesTheGameOnceAndTheMenuStays) {
  start();
  load("/roms/game.gba");
  input_focus_changed(false);
  pump();
  EXPECT_EQ(form->IsGameScreen(), 0);
  EXPECT_EQ(slept_ms, 100u);
  input_focus_changed(false);
  pump();
  EXPECT_EQ(driver.count("leave_screen"), 1);
  EXPECT_EQ(slept_ms, 100u);
}

TEST_F(MainFormTest, TheSwitchKeyTogglesGameAndMenuButNotOnRepeat) {
  start();
  load("/roms/game.gba");
  const struct {
    bool down;
    int game_screen;
  } steps[] = {
      {true, 0},   // the switch key itself goes down while held: to the menu
      {false, 0},  // its release polls the keyboard
      {true, 1},   // back to the game
      {true, 1},   // held: the platform repeats it, nothing switches
      {false, 1},
  };
  for (const auto& s : steps) {
    s.down ? input_key_down(vk::SPACE) : input_key_up(vk::SPACE);
    pump();
    EXPECT_EQ(form->IsGameScreen(), s.game_screen);
  }
  EXPECT_EQ(driver.keyboard_polls, 2);
  key('W');
  pump();
  EXPECT_EQ(driver.keyboard_polls, 4);
}

TEST_F(MainFormTest, TheStylusIsMappedToTheSurfaceAndTheMenuButtonPauses) {
  start();
  load("/roms/game.gba");
  driver.surface_width = 480;
  driver.surface_height = 640;
  input_stylus_down(100, 100);
  input_stylus_up(100, 100);
  pump();
  EXPECT_EQ(driver.pad_touches, (std::vector<std::string>{"200,200 down", "200,200 up"}));
  EXPECT_EQ(form->touch_x, -1);
  input_stylus_down(10, 10);  // (20, 20) on the surface: the menu button
  pump();
  EXPECT_EQ(form->IsGameScreen(), 0);
}

TEST_F(MainFormTest, TheSettingsFileIsWrittenAtExitOnlyWhenASettingReallyChanged) {
  const struct {
    int first, second;
    bool written;
  } cases[] = {{1, 1, false}, {4, 1, false}, {2, 4, true}};
  for (const auto& c : cases) {
    std::remove(files.file("orvane.ini").c_str());
    g_config.Reset();
    g_saved_config.Reset();
    start();
    g_config.screen_dir = c.first;
    g_config.screen_dir = c.second;
    form->ExitSequence();
    std::ifstream file(files.file("orvane.ini"));
    EXPECT_EQ(file.good(), c.written) << c.first << " " << c.second;
    if (c.written) {
      std::stringstream text;
      text << file.rdbuf();
      EXPECT_NE(text.str().find("screen_dir=4\r\n"), std::string::npos);
    }
    form.reset();
  }
}

TEST_F(MainFormTest, ClosingDuringAGameSavesAndClosesTheSoundDevice) {
  start();
  load("/roms/game.gba", 0);
  post_message(form->hwnd, msg::CLOSE, 0, 0);
  driver.log.clear();
  play(10);
  EXPECT_EQ(driver.calls(), (std::vector<std::string>{"run", "write_save /roms/game.sav",
                                                      "close_sound", "run_end"}));
  EXPECT_EQ(driver.frame, 1u);
  EXPECT_EQ(loop_running, 0);
  EXPECT_EQ(form->RunGameIfRunning(), 0);  // nothing runs after the exit
}

TEST_F(MainFormTest, HelpAndAboutOpenTheirAddresses) {
  start();
  command(form->mitem_help);
  pump();
  EXPECT_EQ(opened_url, "file:///help.html");
  command(form->mitem_about);
  pump();
  EXPECT_EQ(opened_url, "https://about");
  EXPECT_EQ(OpenUrl(nullptr), 0);
  EXPECT_NE(reports.find("\"url && url[0] != '\\0'\""), std::string::npos);
}

// Written about two seconds of game time after the game's last write, never in the middle of a
// save sequence; nothing while the game leaves its save alone.
TEST(PeriodicSaveTest, WritesTwoSecondsAfterTheLastWriteOutsideASequence) {
  const struct {
    unsigned frame, count;
    int busy, due;
  } steps[] = {
      {1, 0, 0, 0},   {200, 0, 0, 0}, {201, 1, 0, 0}, {250, 2, 1, 0},
      {369, 2, 0, 0}, {370, 2, 1, 0}, {371, 2, 0, 1}, {372, 2, 0, 1},
  };
  CPeriodicSave save;
  save.Reset(0);
  for (const auto& s : steps) {
    EXPECT_EQ(save.WriteDue(s.frame, s.count, s.busy), s.due) << s.frame;
  }
  save.Written();
  EXPECT_EQ(save.WriteDue(500, 2, 0), 0);
}

TEST_F(MainFormTest, TheFrameHookWritesTheSaveOnceTheGameHasSettled) {
  start();
  load("/roms/game.gba", 0);
  driver.save_writes = 1;
  play(1);
  play(SAVE_SETTLE_FRAMES - 1);
  EXPECT_EQ(driver.count("write_save"), 0);
  play(1);
  EXPECT_EQ(driver.calls({"write_save"}), (std::vector<std::string>{"write_save /roms/game.sav"}));
  play(300);
  EXPECT_EQ(driver.count("write_save"), 1);
}

}  // namespace
