#pragma once
// The display's line and frame timing: DISPSTAT, VCOUNT, the line drawing and DMA triggers it
// causes, and the work done once per frame.

#include <cstdint>

struct DisplayStep {
  std::uint32_t interrupts;  // V-blank, H-blank and V-count bits raised by this step
  bool abandoned;            // a snapshot was loaded during the frame end: nothing was written
};

// Moves the display forward by `cycles`; handles the line event when it falls due.
DisplayStep advance_display(std::uint32_t cycles);
