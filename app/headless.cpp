#include "app/headless.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "app/audio_wav.h"
#include "app/machine_report.h"
#include "app/screenshot.h"
#include "core/state.h"
#include "session/run_stats.h"
#include "session/session.h"

namespace {

constexpr int EXIT_LOAD_FAILED = 1;
constexpr int EXIT_BAD_COMMAND_LINE = 2;
constexpr int EXIT_EMULATION_FAILED = 3;
constexpr int EXIT_SAVE_FAILED = 4;
constexpr int EXIT_OUTPUT_FAILED = 5;

std::uint32_t frames_wanted;
const std::vector<KeyEvent>* key_events;
std::size_t next_key_event;

// Frame N of a key script is the one that starts after N frames have run: its buttons are set at
// the end of the frame before, or before the run for frame 0.
void hold_buttons_due(std::uint32_t frames_done) {
  while (next_key_event < key_events->size() &&
         (*key_events)[next_key_event].frame <= frames_done) {
    session_set_held_buttons((*key_events)[next_key_event].buttons);
    ++next_key_event;
  }
}

void at_frame_end(std::uint32_t frames_done) {
  hold_buttons_due(frames_done);
  if (frames_done >= frames_wanted) session_request_stop();
}

void say(const char* text) { std::fprintf(stderr, "orvane: %s\n", text); }

bool save_dir_usable(const std::string& dir) {
  struct stat info {};
  if (dir.empty() || (stat(dir.c_str(), &info) == 0 && S_ISDIR(info.st_mode))) return true;
  std::fprintf(stderr, "orvane: --save-dir %s: not a folder\n", dir.c_str());
  return false;
}

bool start(const Options& options) {
  std::string error;
  if (session_start_game(options.rom_path.c_str(), options.save_dir.c_str(), error)) return true;
  say(error.c_str());
  return false;
}

// Sound is on only with --audio: without it the generator stays disabled and requests nothing.
bool open_audio(const Options& options) {
  if (options.audio_path.empty() || open_wav_audio(options.audio_path)) return true;
  std::fprintf(stderr, "orvane: --audio %s: cannot be created (%s)\n", options.audio_path.c_str(),
               std::strerror(errno));
  return false;
}

// Returns the exit status the sound file adds: 0, or EXIT_OUTPUT_FAILED when it could not be
// written completely (nothing is left at its path then).
int close_audio(const Options& options) {
  if (options.audio_path.empty() || close_wav_audio()) return 0;
  std::fprintf(stderr, "orvane: --audio %s: could not be written (%s)\n",
               options.audio_path.c_str(), std::strerror(errno));
  return EXIT_OUTPUT_FAILED;
}

int write_requested_screenshot(const Options& options) {
  const char* path = options.screenshot_path.c_str();
  errno = 0;
  if (options.screenshot_path.empty() || write_screenshot(path, machine.frame_pixels)) return 0;
  std::fprintf(stderr, "orvane: --screenshot %s: could not be written (%s)\n", path,
               errno != 0 ? std::strerror(errno) : "PNG encoding failed");
  return EXIT_OUTPUT_FAILED;
}

bool resume_from_snapshot(const Options& options) {
  const char* path = options.load_state_path.c_str();
  if (options.load_state_path.empty() || session_load_snapshot(path)) return true;
  std::fprintf(stderr, "orvane: --load-state %s: %s\n", path,
               errno == EINVAL   ? "not a snapshot"
               : errno == EISDIR ? "a folder"
                                 : std::strerror(errno));
  return false;
}

// The run stops at the frame end, after the step that ended the frame: the snapshot holds a
// machine that resumes cleanly at the next instruction.
StopReason run_frames(const Options& options, bool& snapshot_failed) {
  frames_wanted = options.save_state_path.empty() ? options.frames : options.save_at_frame;
  StopReason stop = session_run();
  if (options.save_state_path.empty() || stop != StopReason::STOP_REQUESTED) return stop;
  if (!session_save_snapshot(options.save_state_path.c_str())) {
    std::fprintf(stderr, "orvane: --save-state %s: cannot be written (%s)\n",
                 options.save_state_path.c_str(), std::strerror(errno));
    snapshot_failed = true;
  }
  if (options.frames == options.save_at_frame) return stop;
  frames_wanted = options.frames;
  return session_run();
}

void print_results(const Options& options) {
  if (options.regs) print_registers(stdout);
  for (const MemoryDump& dump : options.dumps) print_memory(stdout, dump.address, dump.length);
  if (options.stats) print_run_stats(machine.frames_done);
}

SessionHooks headless_hooks(const Options& options) {
  SessionHooks hooks;
  hooks.frame_ended = at_frame_end;
  hooks.notice = say;
  if (!options.audio_path.empty()) hooks.sound_device = wav_audio_device();
  return hooks;
}

}  // namespace

int run_headless(const Options& options) {
  if (!save_dir_usable(options.save_dir)) return EXIT_BAD_COMMAND_LINE;
  if (!session_open(headless_hooks(options)) || !start(options)) return EXIT_LOAD_FAILED;
  if (!resume_from_snapshot(options)) return EXIT_LOAD_FAILED;
  if (!open_audio(options)) return EXIT_OUTPUT_FAILED;
  key_events = &options.key_events;
  next_key_event = 0;
  hold_buttons_due(0);
  if (options.stats) start_run_stats();
  bool snapshot_failed = false;
  StopReason stop = run_frames(options, snapshot_failed);
  if (options.stats) stop_run_stats();
  // Before the results: a dump of the save region must not decide the save's type. A lost save
  // outranks a lost output file in the exit status.
  int status = session_end_game() ? 0 : EXIT_SAVE_FAILED;
  int output_status = close_audio(options);
  if (write_requested_screenshot(options) != 0 || snapshot_failed) {
    output_status = EXIT_OUTPUT_FAILED;
  }
  if (status == 0) status = output_status;
  print_results(options);
  session_close();
  return stop == StopReason::BAD_JUMP ? EXIT_EMULATION_FAILED : status;
}
