#pragma once
// What follows every drawn frame while a game runs in the window: presentation with its message
// pump, the gamepads, fast forward (Tab held) and, with sound off, pacing to the console's rate.
// With sound on the sound buffers pace the game; headless runs install none of this.

#include <cstdint>

class FrameClock;

// Installs the frame hook; `clock` (kept) replaces the real clock for pacing, for tests.
void install_game_frame_hook(FrameClock* clock = nullptr);
void remove_game_frame_hook();
// The clock used when install_game_frame_hook is given none (the game driver's case); tests of
// the whole program give one that never waits. nullptr: the real clock.
void set_default_frame_clock(FrameClock* clock);

// The hook itself.
void game_frame_presented(const std::uint16_t* frame);
// Whether the last frame ran fast forward.
bool fast_forward_active();
