// The main window on the real console, headless: a hot-key snapshot taken while the game runs and
// loaded later resumes the saved frame; a second cartridge loaded from the paused menu writes the
// first game's save before it starts; a running game's save reaches its file about two seconds of
// game time after the game last wrote to it. The expected values come from what the test
// cartridges do (tests/roms/saves.S), read from their memory as they run.
#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <vector>

#include "app/game_driver.h"
#include "core/state.h"
#include "frontend/frame_pacer.h"
#include "frontend/game_frame.h"
#include "frontend/globals.h"
#include "frontend/mainform.h"
#include "platform/input.h"
#include "tests/frontend/shell_fixture.h"

namespace {

constexpr std::uint32_t FRAME_COUNTER = 0x00;  // EWRAM offsets the save cartridge writes
constexpr std::uint32_t SAVE_MARKER = 0x08;
constexpr std::uint32_t SAVE_WRITTEN = 0x5AFE;
constexpr std::size_t SRAM_FILE_SIZE = 0x8000;
constexpr std::size_t SAVED_BYTES = 256;
constexpr int CYCLE_LIMIT = 2000;

std::uint32_t ewram_word(std::uint32_t offset) {
  const std::uint8_t* bytes = machine.ewram[0].data + offset;
  return bytes[0] | bytes[1] << 8 | bytes[2] << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
}

std::vector<std::uint8_t> read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool file_exists(const std::string& path) { return std::ifstream(path).good(); }

// The save the cartridge keeps: 32 KB of SRAM whose first 256 bytes are N xor 0xA5.
void expect_cartridge_save(const std::string& path) {
  std::vector<std::uint8_t> bytes = read_file(path);
  ASSERT_EQ(bytes.size(), SRAM_FILE_SIZE) << path;
  for (std::size_t n = 0; n < SAVED_BYTES; ++n) {
    ASSERT_EQ(bytes[n], static_cast<std::uint8_t>(n ^ 0xA5)) << "byte " << n;
  }
}

// Frames are not held to the console's rate: the tests run as fast as the machine can.
class NoWaitClock : public FrameClock {
 public:
  std::chrono::nanoseconds Now() override { return now; }
  void SleepUntil(std::chrono::nanoseconds when) override { now = when; }
  std::chrono::nanoseconds now{0};
};

// The test's steps, one tried at the start of each pump cycle until it says it is done; after
// the last (or too many cycles) the program's own exit sequence ends the loop.
class Scenario : public CycleInput {
 public:
  using Step = std::function<bool()>;
  explicit Scenario(std::vector<Step> steps) : steps_(std::move(steps)) {}
  void start_cycle() override {
    if (ended_) return;
    if (++cycles_ > CYCLE_LIMIT) {
      ADD_FAILURE() << "step " << next_ << " not reached in " << CYCLE_LIMIT << " cycles";
      end();
      return;
    }
    if (next_ < steps_.size() && steps_[next_]()) ++next_;
    if (next_ == steps_.size()) end();
  }

 private:
  void end() {
    ended_ = true;
    if (g_main_form != nullptr) g_main_form->ExitSequence();
  }
  std::vector<Step> steps_;
  std::size_t next_ = 0;
  int cycles_ = 0;
  bool ended_ = false;
};

void no_sleep(unsigned) {}

class GameShellTest : public ShellTest {
 protected:
  void SetUp() override {
    ShellTest::SetUp();
    SetSleepFunction(no_sleep);
    set_default_frame_clock(&clock);
    GlobalsInit();
    driver = make_game_driver();
    ShellPaths paths{files.file("orvane.ini"), files.path(), "file:///help.html", "https://about"};
    form = std::make_unique<CMainForm>(*driver, paths);
    form->SetTitle(u"window");
    ASSERT_EQ(form->Create(), 1);
  }
  void TearDown() override {
    set_cycle_input(nullptr);
    form.reset();
    driver.reset();
    GlobalsExit();
    set_default_frame_clock(nullptr);
    SetSleepFunction(nullptr);
    ShellTest::TearDown();
  }

  // Starts `rom` as the command line does and runs the program's loop through `steps`.
  void run(const char* rom, std::vector<Scenario::Step> steps) {
    Scenario scenario(std::move(steps));
    set_cycle_input(&scenario);
    ASSERT_EQ(form->LoadRomFile(rom), 1);
    RunMessageLoop();
    set_cycle_input(nullptr);
  }

  static void key(std::int32_t virtual_key) {
    input_key_down(static_cast<unsigned>(virtual_key));
    input_key_up(static_cast<unsigned>(virtual_key));
  }

  std::string save_path() const { return files.file("saves.sav"); }

  NoWaitClock clock;
  std::unique_ptr<CGameDriver> driver;
  std::unique_ptr<CMainForm> form;
};

std::uint32_t game_counter() { return ewram_word(FRAME_COUNTER); }

// The key is taken in the cycle it is pressed, at a frame end; loading the empty slot first
// changes nothing. After the load the game shows the
// frame it was saved at, and one frame later it is where it was one frame after the save, not
// where it had run on to. (The frames the program counts are the host's, not in the snapshot.)
TEST_F(GameShellTest, HotKeySaveWhileRunningThenLoadResumesTheSavedFrame) {
  std::uint32_t at_save = 0, after_save = 0, before_load = 0, at_load = 0, after_load = 0;
  bool empty_slot_resumed = false;
  run(SAVES_ROM, {[&] {
                    key(g_config.vk_load1);  // nothing saved yet: the game just goes on
                    return true;
                  },
                  [&] {
                    empty_slot_resumed = form->IsGameScreen() && !form->MessageBox().IsOpen();
                    return true;
                  },
                  [&] {
                    if (machine.frames_done < 30) return false;
                    at_save = game_counter();
                    key(g_config.vk_save1);
                    return true;
                  },
                  [&] {
                    after_save = game_counter();
                    return true;
                  },
                  [&] {
                    if (machine.frames_done < 90) return false;
                    before_load = game_counter();
                    key(g_config.vk_load1);
                    return true;
                  },
                  [&] {
                    at_load = game_counter();
                    return true;
                  },
                  [&] {
                    after_load = game_counter();
                    return form->IsGameScreen() != 0;
                  }});
  EXPECT_TRUE(empty_slot_resumed);
  EXPECT_TRUE(file_exists(files.file("saves_1.sna")));
  EXPECT_GE(at_save, 29u);  // one V-blank a frame
  EXPECT_EQ(after_save, at_save + 1);
  EXPECT_GE(before_load, after_save + 50);
  EXPECT_EQ(at_load, at_save);
  EXPECT_EQ(after_load, after_save);
}

TEST_F(GameShellTest, ASecondCartridgeFromThePausedMenuWritesTheFirstGamesSaveFirst) {
  bool saved_before_load = true;
  int loaded = 0;
  run(SAVES_ROM, {[&] {
                    if (ewram_word(SAVE_MARKER) != SAVE_WRITTEN) return false;
                    form->PauseToMenu();
                    return true;
                  },
                  [&] {
                    // Well within the two seconds the running game's own save would wait.
                    saved_before_load = file_exists(save_path());
                    EXPECT_FALSE(form->IsGameScreen());
                    loaded = form->LoadRomFile(DEMO_ROM);
                    expect_cartridge_save(save_path());
                    return true;
                  },
                  [&] { return form->IsGameScreen() && machine.frames_done >= 5; }});
  EXPECT_FALSE(saved_before_load);
  EXPECT_EQ(loaded, 1);
  EXPECT_EQ(form->RomPath(), DEMO_ROM);
}

// Two seconds are 120 frames of game time; the file appears between two frames, while the game
// goes on running.
TEST_F(GameShellTest, TheRunningGamesSaveIsWrittenAboutTwoSecondsAfterItsLastWrite) {
  std::uint32_t written_at = 0, appeared_at = 0;
  run(SAVES_ROM, {[&] {
                    if (ewram_word(SAVE_MARKER) != SAVE_WRITTEN) return false;
                    written_at = machine.frames_done;
                    return true;
                  },
                  [&] {
                    if (!file_exists(save_path())) return false;
                    appeared_at = machine.frames_done;
                    EXPECT_TRUE(form->IsGameScreen());
                    expect_cartridge_save(save_path());
                    return true;
                  }});
  EXPECT_GE(appeared_at, written_at + 115);
  EXPECT_LE(appeared_at, written_at + 125);
}

}  // namespace

namespace {

// RFC 3986: unreserved characters and the path's slashes stay, every other byte becomes %XX
// (UTF-8 bytes one by one).
TEST(FileUrl, EncodesWhatAPathMayHoldThatAUrlMayNot) {
  EXPECT_EQ(file_url("/opt/orvane/help.html"), "file:///opt/orvane/help.html");
  EXPECT_EQ(file_url("/home/a b/#1%/help.html"), "file:///home/a%20b/%231%25/help.html");
  EXPECT_EQ(file_url("/游戏/x"), "file:///%E6%B8%B8%E6%88%8F/x");
}

}  // namespace
