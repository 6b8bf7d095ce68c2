#pragma once
// The game's sound through SDL2, open while the game screen is shown with sound on. The wait for
// a free buffer has a deadline: a device that stops playing costs dropped blocks (counted), never
// a frozen program.

#include <cstdint>
#include <string>

// Opens the device when `sound_on` is set and enables the generator; with sound off, or when no
// device can be opened (said on the debug channel and kept in sound_open_error), the generator
// stays disabled and nothing ever waits on sound. Returns 1 when sound plays.
int OpenSound();
void CloseSound();

// Why the last OpenSound found no device; empty when it found one.
const std::string& sound_open_error();
// Blocks dropped because no buffer came free in time since the program started.
std::uint64_t sound_blocks_dropped();
// While set, blocks that find every buffer queued are dropped at once instead of waited for.
void set_sound_fast_forward(bool on);
