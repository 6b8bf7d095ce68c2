#pragma once
// Holds presented frames to the console's rate (2^24 / 280896 = 59.73 frames a second) when
// nothing else does: each frame waits for its deadline; after a stall of more than a few frames
// the schedule starts again from now instead of racing to catch up.

#include <chrono>
#include <cstdint>

// Time as the pacer sees it; tests give it one that sleeps without waiting.
class FrameClock {
 public:
  virtual ~FrameClock() = default;
  virtual std::chrono::nanoseconds Now() = 0;
  virtual void SleepUntil(std::chrono::nanoseconds when) = 0;
};

class SteadyFrameClock : public FrameClock {
 public:
  std::chrono::nanoseconds Now() override;
  void SleepUntil(std::chrono::nanoseconds when) override;
};

// One console frame: 280896 cycles of the 2^24 Hz clock.
using ConsoleFrames = std::chrono::duration<std::int64_t, std::ratio<280896, 16777216>>;

class FramePacer {
 public:
  // Frames a late game may run unpaced to catch up before the schedule starts again.
  static constexpr int MAX_CATCH_UP_FRAMES = 4;
  // More frames than this between two calls (a loaded snapshot, a long frame skip) say nothing
  // about the pace: the schedule starts again.
  static constexpr int MAX_FRAMES_PER_CALL = 16;

  explicit FramePacer(FrameClock& clock) : clock_(&clock) {}

  // The next frame starts the schedule afresh (after a pause, or when pacing was off).
  void Restart() { anchored_ = false; }
  // `frames` console frames have passed since the last call: waits until their deadline.
  void FramesDone(std::int64_t frames);

 private:
  FrameClock* clock_;
  bool anchored_ = false;
  std::chrono::nanoseconds anchor_{0};
  std::int64_t frames_since_anchor_ = 0;
};
