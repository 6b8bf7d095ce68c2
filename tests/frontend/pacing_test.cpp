// Pacing presented frames to the console's rate with a clock that only pretends to sleep.

#include <gtest/gtest.h>

#include <vector>

#include "core/state.h"
#include "frontend/frame_pacer.h"
#include "frontend/game_frame.h"
#include "frontend/game_screen.h"
#include "frontend/present.h"
#include "platform/input.h"
#include "platform/keys.h"
#include "tests/frontend/game_screen_fixture.h"

namespace {

using std::chrono::nanoseconds;

// 280896 cycles at 2^24 Hz: 16742706 ns and a third.
constexpr std::int64_t FRAME_NS = 16742706;

class FakeClock : public FrameClock {
 public:
  nanoseconds Now() override { return now; }
  void SleepUntil(nanoseconds when) override {
    ++sleeps;
    if (when > now) now = when;
  }
  nanoseconds now{1'000'000'000};
  int sleeps = 0;
};

TEST(FramePacer, FramesWaitForTheirDeadlines) {
  FakeClock clock;
  FramePacer pacer(clock);
  nanoseconds start = clock.now;
  pacer.FramesDone(1);  // anchors
  for (int i = 0; i < 597; ++i) pacer.FramesDone(1);
  // 597 frames of the console take 597 * 280896 / 2^24 s = 9.995 s.
  std::int64_t elapsed = (clock.now - start).count();
  EXPECT_EQ(elapsed, 597LL * 280896 * 1'000'000'000 / 16777216);
  EXPECT_EQ(clock.sleeps, 597);
  // Two frames at once (one skipped) wait twice as long.
  nanoseconds before = clock.now;
  pacer.FramesDone(2);
  EXPECT_NEAR(static_cast<double>((clock.now - before).count()), 2.0 * FRAME_NS, 2.0);
}

TEST(FramePacer, ALateFrameCatchesUpAndAStallStartsAfresh) {
  FakeClock clock;
  FramePacer pacer(clock);
  pacer.FramesDone(1);
  // Four frames' time passes: the next four frames run at once to catch up, the fifth waits.
  clock.now += nanoseconds(4 * FRAME_NS + 2);  // a hair over four frames
  for (int i = 0; i < 4; ++i) pacer.FramesDone(1);
  EXPECT_EQ(clock.sleeps, 0);
  pacer.FramesDone(1);
  EXPECT_EQ(clock.sleeps, 1);
  // A one-second stall: the schedule restarts from now instead of running 60 frames unpaced.
  clock.now += nanoseconds(1'000'000'000);
  pacer.FramesDone(1);
  int sleeps = clock.sleeps;
  pacer.FramesDone(1);
  EXPECT_EQ(clock.sleeps, sleeps + 1);
  // A jump of many frames at once (a loaded snapshot) never sleeps for them all.
  nanoseconds before = clock.now;
  pacer.FramesDone(10000);
  pacer.FramesDone(1);
  EXPECT_LE((clock.now - before).count(), 2 * FRAME_NS);
}

class GameFrameTest : public GameScreenTest {
 protected:
  void SetUp() override {
    GameScreenTest::SetUp();
    ASSERT_EQ(OpenDisplay(), 1);
    ASSERT_EQ(PrepareGameDisplay(main), 1);
    install_game_frame_hook(&clock);
  }
  void TearDown() override {
    remove_game_frame_hook();
    CloseDisplay();
    GameScreenTest::TearDown();
  }
  void run_frames(int n) {
    for (int i = 0; i < n; ++i) {
      machine.frames_done += 1;
      game_frame_presented(frame.data());
    }
  }
  FakeClock clock;
  std::vector<std::uint16_t> frame = std::vector<std::uint16_t>(240 * 160, 0);
};

// Without sound the hook holds frames to the console's rate; Tab held lets them run.
TEST_F(GameFrameTest, WithoutSoundFramesArePacedUnlessTabIsHeld) {
  nanoseconds start = clock.now;
  run_frames(61);
  EXPECT_NEAR(static_cast<double>((clock.now - start).count()), 60.0 * FRAME_NS, 60.0);
  input_key_down(vk::TAB);
  nanoseconds fast_start = clock.now;
  run_frames(100);
  EXPECT_TRUE(fast_forward_active());
  EXPECT_EQ(clock.now, fast_start);
  input_key_up(vk::TAB);
  run_frames(11);
  EXPECT_FALSE(fast_forward_active());
  EXPECT_NEAR(static_cast<double>((clock.now - fast_start).count()), 10.0 * FRAME_NS, 10.0);
}

}  // namespace
