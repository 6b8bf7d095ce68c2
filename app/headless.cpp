#include "app/headless.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "app/audio_wav.h"
#include "app/machine_report.h"
#include "app/run_stats.h"
#include "app/screenshot.h"
#include "core/cartridge/cartridge.h"
#include "core/file_replace.h"
#include "core/memory/memory.h"
#include "core/save/save_file.h"
#include "core/save/save_path.h"
#include "core/snapshot/snapshot.h"
#include "core/sound/sound.h"
#include "core/state.h"
#include "core/timing/scheduler.h"
#include "cpu/arm_translate.h"
#include "cpu/code_memory.h"
#include "cpu/cpu_state.h"
#include "cpu/kest_port.h"
#include "cpu/runtime.h"
#include "cpu/translation_settings.h"
#include "session/machine_wiring.h"

namespace {

constexpr int EXIT_LOAD_FAILED = 1;
constexpr int EXIT_BAD_COMMAND_LINE = 2;
constexpr int EXIT_EMULATION_FAILED = 3;
constexpr int EXIT_SAVE_FAILED = 4;
constexpr int EXIT_OUTPUT_FAILED = 5;

std::uint32_t frames_wanted;

bool stop_after_enough_frames() {
  if (machine.frames_done >= frames_wanted) request_emulation_stop();
  return false;
}

// The host side, once per process: cartridge buffer, code memory, instruction cache, translators.
bool open_host_resources() {
  if (!alloc_rom_buffer()) {
    std::fprintf(stderr, "orvane: %s\n", cartridge_error_text(CartridgeError::NO_BUFFER));
    return false;
  }
  if (!open_code_memory()) {
    std::fputs("orvane: cannot map memory for translated code\n", stderr);
    return false;
  }
  if (!icache_is_open() && !icache_open()) return false;
  install_translators();
  connect_machine();
  return true;
}

// The game's save file for this run. `keep` is false when its name cannot be built, or when a
// file is there but could not be read: writing would replace a save the player may still want.
struct GameSave {
  char path[SAVE_PATH_MAX];
  bool keep;
};
GameSave game_save;

bool save_dir_usable(const std::string& dir) {
  struct stat info {};
  if (dir.empty() || (stat(dir.c_str(), &info) == 0 && S_ISDIR(info.st_mode))) return true;
  std::fprintf(stderr, "orvane: --save-dir %s: not a folder\n", dir.c_str());
  return false;
}

// Said before the run, while the player can still choose --save-dir; the run goes on, since many
// games never save.
void warn_if_save_cannot_be_written() {
  if (can_replace(game_save.path)) return;
  std::fprintf(stderr,
               "orvane: %s: this game's save cannot be written there (%s); choose a folder for it "
               "with --save-dir DIR\n",
               game_save.path, std::strerror(errno));
}

void read_game_save(const Options& options) {
  const char* rom = options.rom_path.c_str();
  game_save.keep =
      make_save_path(rom, options.save_dir.c_str(), game_save.path, SAVE_PATH_MAX) != 0;
  if (!game_save.keep) {
    erase_backup_memory();
    std::fprintf(stderr,
                 "orvane: %s: the save file's name would be longer than %zu bytes; this game's "
                 "save will be neither read nor written\n",
                 rom, SAVE_PATH_MAX - 1);
    return;
  }
  if (load_save_file(game_save.path) || errno == ENOENT) {
    warn_if_save_cannot_be_written();
    return;
  }
  game_save.keep = false;
  bool other_kind = errno == EISDIR || errno == EINVAL;
  std::fprintf(stderr, "orvane: %s: cannot be read (%s); it will not be overwritten\n",
               game_save.path, other_kind ? "not a regular file" : std::strerror(errno));
}

// Returns the exit status the save adds: 0, or EXIT_SAVE_FAILED when a save was lost.
int write_game_save() {
  if (save_file_size() == 0) return 0;  // the game never used its save memory
  if (!game_save.keep) {
    std::fputs("orvane: the game's save was not written (see above)\n", stderr);
    return EXIT_SAVE_FAILED;
  }
  if (write_save_file(game_save.path)) return 0;
  std::fprintf(stderr,
               "orvane: %s: the save could not be written (%s); the previous file is unchanged\n",
               game_save.path, std::strerror(errno));
  return EXIT_SAVE_FAILED;
}

// A game start, in the order the front end's loader uses.
bool start_game(const Options& options) {
  const char* path = options.rom_path.c_str();
  copy_bios_image();
  reset_scheduler();
  reset_translation_settings();
  CartridgeError error{};
  if (!load_cartridge(path, &error)) {
    std::fprintf(stderr, "orvane: %s: %s\n", path, cartridge_error_text(error));
    return false;
  }
  read_game_save(options);
  cpu_reset();
  reset_memory_map();
  reset_sound();
  return true;
}

void report_bad_jump() {
  bool thumb = (reg[SLOT_CPSR] & CPSR_THUMB) != 0;
  std::fprintf(stderr, "orvane: stopped in frame %u: no code can run at %08x (%s state)\n",
               machine.frames_done + 1, reg[SLOT_PC], thumb ? "Thumb" : "ARM");
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
  if (options.load_state_path.empty() || load_snapshot(path)) return true;
  std::fprintf(stderr, "orvane: --load-state %s: %s\n", path,
               errno == EINVAL   ? "not a snapshot"
               : errno == EISDIR ? "a folder"
                                 : std::strerror(errno));
  return false;
}

// The runtime stops at the frame end, after the step that ended the frame: the snapshot holds a
// machine that resumes cleanly at the next instruction.
RuntimeExit run_frames(const Options& options, bool& snapshot_failed) {
  frames_wanted = options.save_state_path.empty() ? options.frames : options.save_at_frame;
  RuntimeExit exit = run_translated(machine.cycle_budget);
  if (options.save_state_path.empty() || exit != RuntimeExit::STOPPED) return exit;
  if (!save_snapshot(options.save_state_path.c_str())) {
    std::fprintf(stderr, "orvane: --save-state %s: cannot be written (%s)\n",
                 options.save_state_path.c_str(), std::strerror(errno));
    snapshot_failed = true;
  }
  if (options.frames == options.save_at_frame) return exit;
  frames_wanted = options.frames;
  return run_translated(machine.cycle_budget);
}

void print_results(const Options& options) {
  if (options.regs) print_registers(stdout);
  for (const MemoryDump& dump : options.dumps) print_memory(stdout, dump.address, dump.length);
  if (options.stats) print_run_stats(machine.frames_done);
}

}  // namespace

int run_headless(const Options& options) {
  if (!save_dir_usable(options.save_dir)) return EXIT_BAD_COMMAND_LINE;
  if (!open_host_resources() || !start_game(options)) return EXIT_LOAD_FAILED;
  if (!resume_from_snapshot(options)) return EXIT_LOAD_FAILED;
  if (!open_audio(options)) return EXIT_OUTPUT_FAILED;
  scheduler_host.frame_hook = stop_after_enough_frames;
  if (options.stats) start_run_stats();
  bool snapshot_failed = false;
  RuntimeExit exit = run_frames(options, snapshot_failed);
  if (options.stats) stop_run_stats();
  scheduler_host.frame_hook = nullptr;
  if (exit == RuntimeExit::BAD_JUMP) {
    report_bad_jump();
    reposition_mix_ring();
  }
  // Before the results: a dump of the save region must not decide the save's type. A lost save
  // outranks a lost output file in the exit status.
  int status = write_game_save();
  int output_status = close_audio(options);
  if (write_requested_screenshot(options) != 0 || snapshot_failed)
    output_status = EXIT_OUTPUT_FAILED;
  if (status == 0) status = output_status;
  print_results(options);
  return exit == RuntimeExit::BAD_JUMP ? EXIT_EMULATION_FAILED : status;
}
