// Sound and gamepads through SDL2 without hardware: SDL's disk audio driver writes what it plays
// to a file at the playing rate, and its virtual joystick stands for a gamepad.

#include <SDL.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "app/audio_wav.h"
#include "core/io/io_image.h"
#include "core/sound/sound_output.h"
#include "core/state.h"
#include "frontend/buttons.h"
#include "frontend/frame_pacer.h"
#include "frontend/game_frame.h"
#include "frontend/game_screen.h"
#include "frontend/gamepad_input.h"
#include "frontend/gbaconfig.h"
#include "frontend/sound_device.h"
#include "platform/headless/headless_backend.h"
#include "platform/styles.h"
#include "platform/window_system.h"
#include "session/session.h"
#include "tests/support/temp_dir.h"

namespace {

using Clock = std::chrono::steady_clock;

std::uint32_t frames_wanted = 0;
void stop_after_enough_frames(std::uint32_t frames_done) {
  if (frames_done >= frames_wanted) session_request_stop();
}

// A game start through the session, as the program's own.
void start_cartridge(const char* path) {
  static bool host_ready = false;
  if (!host_ready) {
    SessionHooks hooks;
    hooks.frame_ended = stop_after_enough_frames;
    ASSERT_TRUE(session_open(hooks));
    host_ready = true;
  }
  std::string error;
  ASSERT_TRUE(session_start_game(path, "", error)) << error;
}

void run_frames(std::uint32_t frames) {
  frames_wanted = frames;
  session_run();
}

std::vector<std::uint8_t> read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool all_buffers_played() {
  for (const std::atomic<bool>& done : sound_buffers.done) {
    if (!done.load()) return false;
  }
  return true;
}

class SdlSoundTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", disk_file.c_str(), 1);
    unsetenv("SDL_DISKAUDIODELAY");
    g_config.Reset();
    g_config.sound_on = 1;
  }
  void TearDown() override {
    CloseSound();
    g_config.Reset();
    unsetenv("SDL_DISKAUDIODELAY");
  }
  TempDir dir;
  std::string disk_file = dir.file("played.raw");
};

// The same 120 frames recorded by the WAV device and played through SDL: SDL plays exactly the
// generated blocks, in order (after the silence it plays while waiting for the first), and the
// run keeps pace with the playing: 120 frames are 2.009 s of sound.
TEST_F(SdlSoundTest, PlaysTheGeneratedBlocksInOrderAtTheConsolesSpeed) {
  start_cartridge(SOUND_TONES_ROM);
  std::string wav = dir.file("reference.wav");
  ASSERT_TRUE(open_wav_audio(wav));
  open_sound_output(wav_audio_device());
  run_frames(120);
  close_sound_output();
  ASSERT_TRUE(close_wav_audio());
  std::vector<std::uint8_t> reference = read_file(wav);
  ASSERT_GT(reference.size(), 44u + 40 * SOUND_BUFFER_BYTES);
  reference.erase(reference.begin(), reference.begin() + 44);

  start_cartridge(SOUND_TONES_ROM);
  ASSERT_EQ(OpenSound(), 1) << sound_open_error();
  Clock::time_point start = Clock::now();
  run_frames(120);
  double ran = std::chrono::duration<double>(Clock::now() - start).count();
  Clock::time_point give_up = Clock::now() + std::chrono::seconds(3);
  while (!all_buffers_played() && Clock::now() < give_up) SDL_Delay(5);
  double heard = std::chrono::duration<double>(Clock::now() - start).count();
  CloseSound();
  EXPECT_EQ(sound_blocks_dropped(), 0u);

  std::vector<std::uint8_t> played = read_file(disk_file);
  std::size_t silence = 0;
  while (silence < played.size() && played[silence] == 0) ++silence;
  silence &= ~std::size_t{3};  // whole stereo frames
  bool found = false;
  for (std::size_t k = 0; k <= silence && !found; k += 4) {
    found = played.size() >= k + reference.size() &&
            std::equal(reference.begin(), reference.end(), played.begin() + static_cast<long>(k));
    if (found) {
      bool silent_after = std::all_of(played.begin() + static_cast<long>(k + reference.size()),
                                      played.end(), [](std::uint8_t b) { return b == 0; });
      EXPECT_TRUE(silent_after);
    }
  }
  EXPECT_TRUE(found) << played.size() << " bytes played, " << reference.size() << " generated";
  std::printf("ran %.3f s, heard %.3f s, %zu bytes played, %zu generated, %zu silent first\n", ran,
              heard, played.size(), reference.size(), silence);
  EXPECT_GE(heard, 1.9);
  // The game runs ahead of what is heard by at most the eight queued buffers (0.37 s).
  EXPECT_GE(ran, 1.9 - 8 * 0.0465);
}

// A device that stops playing: every block that finds all buffers queued waits about 250 ms and
// is dropped and counted; the generator always finds a free buffer, so nothing hangs.
TEST_F(SdlSoundTest, AStalledDeviceCostsDroppedBlocksNotAFrozenProgram) {
  setenv("SDL_DISKAUDIODELAY", "2500", 1);  // the device "plays" once, then sleeps 2.5 s
  ASSERT_EQ(OpenSound(), 1) << sound_open_error();
  std::uint64_t dropped_before = sound_blocks_dropped();
  double longest = 0;
  for (int block = 0; block < 12; ++block) {
    int index = FindFreeBuffer();
    ASSERT_GE(index, 0) << "block " << block;
    sound_buffers.current = index;
    Clock::time_point start = Clock::now();
    SubmitBuffer();
    longest = std::max(longest, std::chrono::duration<double>(Clock::now() - start).count());
  }
  EXPECT_GE(sound_blocks_dropped() - dropped_before, 3u);
  EXPECT_LT(longest, 0.5);
  EXPECT_GE(longest, 0.2);
}

TEST_F(SdlSoundTest, NoDeviceOrSoundOffLeavesTheGeneratorDisabled) {
  g_config.sound_on = 0;
  EXPECT_EQ(OpenSound(), 0);
  EXPECT_EQ(sound_enabled, 0);
  EXPECT_FALSE(sound_output_open());
  CloseSound();
  g_config.sound_on = 1;
  setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
  EXPECT_EQ(OpenSound(), 0);
  EXPECT_EQ(sound_enabled, 0);
  EXPECT_FALSE(sound_open_error().empty());
  // Reopening after a close gives zeroed buffers, all free, from index 0.
  setenv("SDL_AUDIODRIVER", "disk", 1);
  sound_buffers.area[3][5] = 7;
  ASSERT_EQ(OpenSound(), 1);
  EXPECT_EQ(sound_enabled, 1);
  EXPECT_EQ(sound_buffers.area[3][5], 0);
  EXPECT_EQ(sound_buffers.current, 0);
  EXPECT_TRUE(all_buffers_played());
}

// A virtual gamepad: plugged in while the game runs, its buttons reach the console through the
// buttons mask; pulled out, they are released.
TEST(SdlGamepad, VirtualPadDrivesTheConsoleButtonsAndHotPlugs) {
  clear_machine_state();
  g_config.Reset();
  g_buttons = CConsoleButtons();
  ASSERT_EQ(OpenGamepads(), 1);
  PollGamepads();
  EXPECT_EQ(g_buttons.key_state, 0);

  SDL_VirtualJoystickDesc desc{};
  desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
  desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
  desc.naxes = SDL_CONTROLLER_AXIS_MAX;
  desc.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
  desc.name = "virtual pad";
  int device = SDL_JoystickAttachVirtualEx(&desc);
  ASSERT_GE(device, 0) << SDL_GetError();
  SDL_Joystick* stick = SDL_JoystickOpen(device);
  ASSERT_NE(stick, nullptr) << SDL_GetError();

  const struct {
    int button;
    int console;
  } buttons[] = {{SDL_CONTROLLER_BUTTON_A, BUTTON_A},
                 {SDL_CONTROLLER_BUTTON_B, BUTTON_B},
                 {SDL_CONTROLLER_BUTTON_LEFTSHOULDER, BUTTON_L},
                 {SDL_CONTROLLER_BUTTON_RIGHTSHOULDER, BUTTON_R},
                 {SDL_CONTROLLER_BUTTON_START, BUTTON_START},
                 {SDL_CONTROLLER_BUTTON_BACK, BUTTON_SELECT},
                 {SDL_CONTROLLER_BUTTON_DPAD_UP, BUTTON_UP},
                 {SDL_CONTROLLER_BUTTON_DPAD_DOWN, BUTTON_DOWN},
                 {SDL_CONTROLLER_BUTTON_DPAD_LEFT, BUTTON_LEFT},
                 {SDL_CONTROLLER_BUTTON_DPAD_RIGHT, BUTTON_RIGHT}};
  for (const auto& b : buttons) {
    SCOPED_TRACE(b.button);
    SDL_JoystickSetVirtualButton(stick, b.button, SDL_PRESSED);
    PollGamepads();
    EXPECT_EQ(g_buttons.key_state, b.console);
    EXPECT_EQ(io_read16(IO_KEYINPUT), 0x3FFu & ~static_cast<std::uint32_t>(b.console));
    SDL_JoystickSetVirtualButton(stick, b.button, SDL_RELEASED);
    PollGamepads();
    EXPECT_EQ(g_buttons.key_state, 0);
  }
  // The left stick pushed up and left gives both directions.
  SDL_JoystickSetVirtualAxis(stick, SDL_CONTROLLER_AXIS_LEFTX, -32768);
  SDL_JoystickSetVirtualAxis(stick, SDL_CONTROLLER_AXIS_LEFTY, -32768);
  PollGamepads();
  EXPECT_EQ(g_buttons.key_state, BUTTON_LEFT | BUTTON_UP);
  // Pulled out while held: released.
  SDL_JoystickClose(stick);
  SDL_JoystickDetachVirtual(device);
  PollGamepads();
  EXPECT_EQ(g_buttons.key_state, 0);
  CloseGamepads();
}

class FakeClock : public FrameClock {
 public:
  std::chrono::nanoseconds Now() override { return now; }
  void SleepUntil(std::chrono::nanoseconds when) override {
    if (when > now) now = when;
  }
  std::chrono::nanoseconds now{0};
};

LResult plain_procedure(WindowHandle window, unsigned message, WParam wparam, LParam lparam) {
  return default_window_procedure(window, message, wparam, lparam);
}

// A cartridge running with the game screen's frame hook: each drawn frame lands on the device
// screen (1x, rows 80-239 of 240 x 320), and without sound the frames are paced.
TEST(GameScreen, RunningGameIsShownAndPaced) {
  HeadlessBackend backend;
  ASSERT_TRUE(open_window_system(backend, 240, 320));
  register_window_class({u"game", plain_procedure, NO_BACKGROUND});
  WindowHandle main =
      create_window({u"game", u"game", style::VISIBLE, 0, 0, 0, 240, 320, NO_WINDOW, 0, nullptr});
  g_config.Reset();
  g_config.show_screen_pad = 0;
  ASSERT_EQ(OpenDisplay(), 1);
  ASSERT_EQ(PrepareGameDisplay(main), 1);
  FakeClock clock;
  start_cartridge(SPRITES_ROM);  // opens the session first, which installs its own hooks
  install_game_frame_hook(&clock);
  run_frames(31);
  remove_game_frame_hook();
  int differing = 0;
  for (int y = 0; y < 160; ++y) {
    for (int x = 0; x < 240; ++x) {
      differing += screen().at(x, 80 + y) != machine.frame_pixels[y * 240 + x];
    }
  }
  EXPECT_EQ(differing, 0);
  std::set<std::uint16_t> colours(machine.frame_pixels, machine.frame_pixels + 240 * 160);
  EXPECT_GT(colours.size(), 2u);  // a picture, not an empty screen
  // 30 frames after the first: 30 * 280896 / 2^24 s.
  EXPECT_EQ(clock.now.count(), 30LL * 280896 * 1'000'000'000 / 16777216);
  CloseDisplay();
  close_window_system();
}

}  // namespace
