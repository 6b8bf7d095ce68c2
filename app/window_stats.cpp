#include "app/window_stats.h"

#include <chrono>

#include "core/sound/sound_output.h"
#include "frontend/sound_device.h"

namespace {

using Clock = std::chrono::steady_clock;

struct WindowStats {
  Clock::time_point program_start;
  Clock::time_point first_frame;
  bool frame_shown;
  Clock::time_point run_start;
  std::uint32_t run_start_frames;
  Clock::duration running;
  std::uint64_t frames_run;
  bool sound_played;  // in any stretch: the settings are gone by the time the stats are printed
};
WindowStats stats;

double seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

}  // namespace

void note_program_start() { stats = WindowStats{Clock::now(), {}, false, {}, 0, {}, 0, false}; }

void note_frame_shown() {
  if (stats.frame_shown) return;
  stats.frame_shown = true;
  stats.first_frame = Clock::now();
}

void note_game_run_started(std::uint32_t frames_done) {
  stats.run_start = Clock::now();
  stats.run_start_frames = frames_done;
  if (sound_output_open()) stats.sound_played = true;
}

// A snapshot does not carry the frame count, and a new game starts it again from 0: a run counts
// the frames it saw, never a negative number.
void note_game_run_ended(std::uint32_t frames_done) {
  stats.running += Clock::now() - stats.run_start;
  if (frames_done >= stats.run_start_frames)
    stats.frames_run += frames_done - stats.run_start_frames;
}

void print_window_stats(std::FILE* out) {
  constexpr double CONSOLE_FPS = 16777216.0 / 280896.0;
  if (stats.frame_shown) {
    std::fprintf(out, "first frame: %.0f ms after the start\n",
                 1000.0 * seconds(stats.first_frame - stats.program_start));
  } else {
    std::fprintf(out, "first frame: none shown\n");
  }
  double ran = seconds(stats.running);
  double fps = ran > 0 ? static_cast<double>(stats.frames_run) / ran : 0.0;
  std::fprintf(out, "game: %llu frames in %.3f s running, %.2f frames/s (the console's %.2f)\n",
               static_cast<unsigned long long>(stats.frames_run), ran, fps, CONSOLE_FPS);
  const char* sound = stats.sound_played ? "played" : "off or no device";
  std::fprintf(out, "sound: %s; blocks dropped: %llu by the device, %llu waiting for a buffer\n",
               sound, static_cast<unsigned long long>(sound_blocks_dropped()),
               static_cast<unsigned long long>(sound_blocks_dropped_waiting()));
}
