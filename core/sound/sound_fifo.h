#pragma once
// The filling side of the direct-sound FIFOs: what FIFO_A/FIFO_B writes and sound DMA put in.
// fifo_push8/16/32 and fifo_reset are declared with the rest of the sound generator's entry
// points (core/sound.h); the timers drain the FIFOs through fifo_consume there.

#include <cstdint>

#include "core/sound/sound.h"

// Samples written but not yet consumed. The indices run modulo 32, so a FIFO written 32 samples
// ahead of its reader looks empty again, as the ring itself cannot tell the two apart.
std::uint32_t fifo_samples_queued(unsigned fifo);
