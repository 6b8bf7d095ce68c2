#pragma once
// The one door to the emulated console for a front end: host resources, a game's start in the
// console's order, running until a stop request, the game's save file, snapshots, the buttons,
// and the hooks through which the machine reaches the front end. Everything runs on the caller's
// thread; the hooks are called from inside `session_run`.

#include <cstdint>
#include <string>

#include "core/report.h"
#include "core/sound/sound_output.h"

struct SessionHooks {
  // Each drawn frame, 240 x 160 pixels in 5-6-5; skipped frames are not presented.
  void (*frame_presented)(const std::uint16_t* pixels) = nullptr;
  // After every frame end, drawn or not, with the frames run since the game started: the front
  // end's turn to request a stop, set the buttons or save and load snapshots.
  void (*frame_ended)(std::uint32_t frames_done) = nullptr;
  // Plays the sound; null leaves the generator off, so nothing waits for buffers.
  const SoundOutputDevice* sound_device = nullptr;
  // What the player must be told (a save that will not be kept, where a game failed), one line
  // without a line end; null: standard error.
  MessageSink notice = nullptr;
  // Failed preconditions and debug messages; null: standard error.
  MessageSink assertion_sink = nullptr;
  MessageSink debug_sink = nullptr;
};

// Allocates the cartridge buffer and the translated-code memory, opens the instruction cache,
// installs the translators and the hooks. Once per process; false (with a notice) when the host
// cannot give what the machine needs.
bool session_open(const SessionHooks& hooks);

// Ends the running game, if one still runs (see session_end_game), and releases the host
// resources. Returns what session_end_game returned.
bool session_close();

// Whether the file at `rom_path` would be taken as a cartridge; if not, false with the reason in
// `error` ("PATH: why"). Needs session_open.
bool session_check_cartridge(const char* rom_path, std::string& error);

// Starts the game at `rom_path`, its save file in `save_dir` (empty: beside the cartridge), in
// the console's order: BIOS copy, save of the previous game, reset of the scheduler and caches,
// cartridge, save file, CPU and memory reset, sound. The file is checked before anything is
// touched: a refused cartridge returns false with the reason in `error` ("PATH: why") and leaves
// the running game as it was. Only a read that fails midway, after the checks, leaves no game.
bool session_start_game(const char* rom_path, const char* save_dir, std::string& error);

bool session_game_running();

// Ends the running game: writes its save file, if the game used its save memory. Returns false
// when a save was lost (said through the notice hook). The machine stays as the game left it,
// for inspection, but does not run again until a game is started.
bool session_end_game();

// Writes the running game's save file now, if the game used its save memory (a save while it
// runs, so a crash later loses nothing); the game goes on. False when the save was lost.
bool session_write_save();

enum class StopReason {
  STOP_REQUESTED,  // session_request_stop; run again to resume
  BAD_JUMP,        // the game jumped where no code can run (said through the notice hook)
  NO_GAME,         // nothing was started
};

// Runs the game until a stop is requested (from a hook) or it fails. Resumes where the last run
// stopped, or where a loaded snapshot left the machine.
StopReason session_run();
void session_request_stop();

// Snapshots of the running game. Both return false with errno set and change nothing when the
// file cannot be written or read, or is not a snapshot (EINVAL). A load during a run (from the
// frame_presented or frame_ended hook) takes effect when the frame end returns; outside a run,
// at the next session_run.
bool session_save_snapshot(const char* path);
bool session_load_snapshot(const char* path);

// The console buttons held from now on (Button bits of core/io/keypad.h). Between runs or from
// the frame_ended hook.
void session_set_held_buttons(std::uint32_t buttons);
