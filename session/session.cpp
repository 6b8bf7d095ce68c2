// A game's life cycle, in the one order every front end uses.

#include "session/session.h"

#include <cstdio>

#include "core/cartridge/cartridge.h"
#include "core/cartridge/translation_settings.h"
#include "core/io/keypad.h"
#include "core/memory/memory.h"
#include "core/snapshot/snapshot.h"
#include "core/sound/sound.h"
#include "core/state.h"
#include "core/timing/scheduler.h"
#include "cpu/arm_translate.h"
#include "cpu/code_memory.h"
#include "cpu/cpu_state.h"
#include "cpu/kest_port.h"
#include "cpu/runtime.h"
#include "session/game_save.h"
#include "session/machine_wiring.h"
#include "video/video.h"

namespace {

SessionHooks hooks;
bool game_running = false;
// Front-end flags, not machine state: a snapshot loaded during a run (from either hook: a hot key
// handled by the presentation's message pump, or the frame_ended hook) replaces the machine under
// the scheduler, which must then abandon the frame end it was in.
bool in_run = false;
bool snapshot_loaded = false;

void to_stderr(const char* text) { std::fprintf(stderr, "%s\n", text); }

void notify(const char* text) { (hooks.notice != nullptr ? hooks.notice : to_stderr)(text); }

bool on_frame_end() {
  if (hooks.frame_ended != nullptr) hooks.frame_ended(machine.frames_done);
  bool loaded = snapshot_loaded;
  snapshot_loaded = false;
  return loaded;
}

void report_bad_jump() {
  bool thumb = (reg[SLOT_CPSR] & CPSR_THUMB) != 0;
  char text[128];
  std::snprintf(text, sizeof text, "stopped in frame %u: no code can run at %08x (%s state)",
                machine.frames_done + 1, reg[SLOT_PC], thumb ? "Thumb" : "ARM");
  notify(text);
}

std::string refusal(const char* path, CartridgeError why) {
  return std::string(path) + ": " + cartridge_error_text(why);
}

}  // namespace

bool session_open(const SessionHooks& installed) {
  hooks = installed;
  set_assertion_sink(hooks.assertion_sink);
  set_debug_sink(hooks.debug_sink);
  if (rom_buffer == nullptr && !alloc_rom_buffer()) {
    notify(cartridge_error_text(CartridgeError::NO_BUFFER));
    return false;
  }
  if (!open_code_memory()) {
    notify("cannot map memory for translated code");
    return false;
  }
  if (!icache_is_open() && !icache_open()) return false;
  install_translators();
  connect_machine();
  scheduler_host.frame_hook = on_frame_end;
  present_frame_hook = hooks.frame_presented;
  return true;
}

bool session_close() {
  bool kept = session_end_game();
  close_sound_output();
  scheduler_host.frame_hook = nullptr;
  present_frame_hook = nullptr;
  release_rom_buffer();
  return kept;
}

bool session_check_cartridge(const char* rom_path, std::string& error) {
  CartridgeError why{};
  if (check_cartridge(rom_path, &why)) return true;
  error = refusal(rom_path, why);
  return false;
}

bool session_start_game(const char* rom_path, const char* save_dir, std::string& error) {
  if (rom_path == nullptr || save_dir == nullptr) {
    error = "no cartridge given";
    return false;
  }
  if (!session_check_cartridge(rom_path, error)) return false;
  copy_bios_image();
  session_end_game();
  game_running = false;
  reset_scheduler();
  reset_translation_settings();
  CartridgeError why{};
  if (!load_cartridge(rom_path, &why)) {
    error = refusal(rom_path, why);
    return false;
  }
  read_game_save(rom_path, save_dir, notify);
  cpu_reset();
  reset_memory_map();
  reset_sound();
  open_sound_output(hooks.sound_device);
  game_running = true;
  return true;
}

bool session_game_running() { return game_running; }

bool session_end_game() {
  if (!game_running) return true;
  game_running = false;
  return write_game_save(notify);
}

bool session_write_save() { return !game_running || write_game_save(notify); }

StopReason session_run() {
  if (!game_running) return StopReason::NO_GAME;
  in_run = true;
  RuntimeExit exit = run_translated(machine.cycle_budget);
  in_run = false;
  snapshot_loaded = false;
  if (exit == RuntimeExit::STOPPED) return StopReason::STOP_REQUESTED;
  report_bad_jump();
  // The sound resumes cleanly if the game is run again.
  reposition_mix_ring();
  return StopReason::BAD_JUMP;
}

void session_request_stop() { request_emulation_stop(); }

bool session_save_snapshot(const char* path) { return save_snapshot(path) != 0; }

bool session_load_snapshot(const char* path) {
  if (!load_snapshot(path)) return false;
  if (in_run) snapshot_loaded = true;
  return true;
}

void session_set_held_buttons(std::uint32_t buttons) { set_held_buttons(buttons); }
