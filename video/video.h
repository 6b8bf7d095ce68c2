#pragma once
// The scanline renderer's entry points used by the scheduler.

#include <cstdint>

// Draws line VCOUNT (0-159) into `machine.frame_pixels`.
void video_scanline();

// The frame is complete: hands it to presentation unless it was skipped.
void video_frame_end();

// Installed by the front end: receives each drawn frame, 240 x 160 pixels in 5-6-5.
extern void (*present_frame_hook)(const std::uint16_t* pixels);
