#pragma once
// The scanline renderer's entry points used by the scheduler. Until the renderer is built they
// draw nothing.

// Draws line VCOUNT (0-159) into the frame.
void video_scanline();

// The frame is complete: hands it to presentation unless it was skipped.
void video_frame_end();
