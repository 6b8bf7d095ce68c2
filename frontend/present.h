#pragma once
// Putting each drawn frame on the device screen while a game runs: the picture at the chosen size
// and direction, the on-screen pad over it, the auto-fire step, then the message pump.

#include <cstdint>

#include "video/presentation.h"

// The table for the stretched and fitted pictures, built on entering the game screen.
extern ScaleTable g_scale_table;

// One message-pump cycle; the shell installs its own. By default a plain window-system cycle.
using MessagePump = int (*)();
void set_frame_message_pump(MessagePump pump);

// Returns 1 when the frame was shown, 0 when the display could not be locked (reported; nothing
// drawn, no auto-fire step, no pump).
int present_frame(const std::uint16_t* frame);
