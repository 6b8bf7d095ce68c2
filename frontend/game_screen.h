#pragma once
// The game screen's own pieces, for the shell to call as it enters and leaves it: the display
// surface with the scale table and the pad laid out for it. (Keyboard capture: winmisc.h; sound:
// sound_device.h; the frame hook: game_frame.h.)

#include "platform/types.h"

// At start-up and exit: the display driver and the display object.
int OpenDisplay();
void CloseDisplay();

// Creates the display surface for `main_window`, builds the scale table the settings need and
// lays the pad out over the surface for `screen_dir`. 0 when the surface cannot be created.
int PrepareGameDisplay(WindowHandle main_window);
void ReleaseGameDisplay();
