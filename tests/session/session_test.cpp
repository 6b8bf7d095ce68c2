#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "core/state.h"
#include "session/session.h"
#include "tests/support/temp_dir.h"

namespace {

std::uint32_t stop_at;
void stop_at_frame(std::uint32_t frames_done) {
  if (frames_done >= stop_at) session_request_stop();
}
void quiet(const char*) {}

// A cartridge chosen while a game runs is checked before anything is reset: a refused one leaves
// the running game as it was, and it runs on.
TEST(SessionTest, RefusedCartridgeLeavesTheRunningGameIntact) {
  SessionHooks hooks;
  hooks.frame_ended = stop_at_frame;
  hooks.notice = quiet;
  ASSERT_TRUE(session_open(hooks));
  TempDir dir;
  std::string error;
  ASSERT_TRUE(session_start_game(DEMO_ROM, dir.path().c_str(), error)) << error;
  stop_at = 30;
  ASSERT_EQ(session_run(), StopReason::STOP_REQUESTED);

  for (const char* refused : {"/nonexistent/x.gba", "/", "/dev/null"}) {
    EXPECT_FALSE(session_start_game(refused, "", error));
    EXPECT_EQ(error.rfind(std::string(refused) + ": ", 0), 0u) << error;
    EXPECT_TRUE(session_game_running());
    EXPECT_STREQ(machine.rom_title, "ORVANE DEMO");
    EXPECT_EQ(machine.frames_done, 30u);
  }

  stop_at = 120;
  EXPECT_EQ(session_run(), StopReason::STOP_REQUESTED);
  // The demo's own counts after 120 frames (tests/roms/demo.S): 120 V-blanks, 100 waits.
  std::uint32_t vblanks = 0, waits = 0;
  std::memcpy(&vblanks, machine.ewram[0].data, 4);
  std::memcpy(&waits, machine.ewram[0].data + 8, 4);
  EXPECT_EQ(vblanks, 120u);
  EXPECT_EQ(waits, 100u);
  EXPECT_TRUE(session_close());
}

}  // namespace
