#pragma once
// Gamepads as a source of console buttons: d-pad and left stick for the directions, the south and
// east buttons for A and B, the shoulders for L and R, start and back for Start and Select.

#include <cstdint>

// The console buttons held for a set of gamepad buttons (platform/sdl/sdl_gamepad.h).
int ConsoleButtonsForPad(std::uint32_t pad_buttons);

// Starts reading gamepads; 0 when SDL cannot (the game is then played without them).
int OpenGamepads();
void CloseGamepads();
// Reads the pads; when what they hold changed, the buttons are polled again with it merged in.
void PollGamepads();
