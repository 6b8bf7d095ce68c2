#include "frontend/frame_pacer.h"

#include <thread>

std::chrono::nanoseconds SteadyFrameClock::Now() {
  return std::chrono::steady_clock::now().time_since_epoch();
}

void SteadyFrameClock::SleepUntil(std::chrono::nanoseconds when) {
  std::this_thread::sleep_until(std::chrono::steady_clock::time_point(
      std::chrono::duration_cast<std::chrono::steady_clock::duration>(when)));
}

void FramePacer::FramesDone(std::int64_t frames) {
  std::chrono::nanoseconds now = clock_->Now();
  if (!anchored_ || frames < 1 || frames > MAX_FRAMES_PER_CALL) {
    anchored_ = true;
    anchor_ = now;
    frames_since_anchor_ = 0;
    return;
  }
  frames_since_anchor_ += frames;
  auto deadline = anchor_ + std::chrono::duration_cast<std::chrono::nanoseconds>(
                                ConsoleFrames(frames_since_anchor_));
  if (now < deadline) {
    clock_->SleepUntil(deadline);
    return;
  }
  if (now - deadline > ConsoleFrames(MAX_CATCH_UP_FRAMES)) {
    anchor_ = now;  // too far behind: what was lost stays lost
    frames_since_anchor_ = 0;
  }
}
