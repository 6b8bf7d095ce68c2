#include "app/headless.h"

#include <cstdio>

#include "app/machine_report.h"
#include "app/run_stats.h"
#include "core/cartridge.h"
#include "core/memory.h"
#include "core/scheduler.h"
#include "core/sound.h"
#include "core/state.h"
#include "cpu/arm_translate.h"
#include "cpu/code_memory.h"
#include "cpu/cpu_state.h"
#include "cpu/kest_port.h"
#include "cpu/runtime.h"
#include "cpu/translation_settings.h"

namespace {

constexpr int EXIT_LOAD_FAILED = 1;
constexpr int EXIT_EMULATION_FAILED = 3;

std::uint32_t frames_wanted;

void stop_after_enough_frames() {
  if (machine.frames_done >= frames_wanted) request_emulation_stop();
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
  return true;
}

// A game start, in the order the front end's loader uses.
bool start_game(const char* path) {
  copy_bios_image();
  reset_scheduler();
  reset_translation_settings();
  CartridgeError error{};
  if (!load_cartridge(path, &error)) {
    std::fprintf(stderr, "orvane: %s: %s\n", path, cartridge_error_text(error));
    return false;
  }
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

void print_results(const Options& options) {
  if (options.regs) print_registers(stdout);
  for (const MemoryDump& dump : options.dumps) print_memory(stdout, dump.address, dump.length);
  if (options.stats) print_run_stats(machine.frames_done);
}

}  // namespace

int run_headless(const Options& options) {
  if (!open_host_resources() || !start_game(options.rom_path.c_str())) return EXIT_LOAD_FAILED;
  frames_wanted = options.frames;
  scheduler_host.frame_hook = stop_after_enough_frames;
  if (options.stats) start_run_stats();
  RuntimeExit exit = run_translated(machine.cycle_budget);
  if (options.stats) stop_run_stats();
  scheduler_host.frame_hook = nullptr;
  if (exit == RuntimeExit::BAD_JUMP) report_bad_jump();
  print_results(options);
  return exit == RuntimeExit::BAD_JUMP ? EXIT_EMULATION_FAILED : 0;
}
