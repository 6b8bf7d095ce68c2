#pragma once
// A direct-sound channel as the machine record holds it; the sound generator drives it.

#include <cstdint>

// One direct-sound channel: its 32-sample FIFO, filled by FIFO_A/FIFO_B writes and drained by a
// timer. Not snapshotted: a loaded snapshot keeps the FIFOs as they stand.
constexpr unsigned FIFO_SAMPLES = 32;
struct DirectSoundChannel {
  std::int8_t fifo[FIFO_SAMPLES];
  std::uint32_t fifo_read;   // 0-31
  std::uint32_t fifo_write;  // 0-31
  std::uint32_t fraction;    // 16.16 position between the current and the next sample
  std::uint32_t mix_pos;     // this channel's own write position in the mixing ring
  std::uint32_t routing;     // 0 off, 1 right, 2 left, 3 both
  std::uint32_t full_volume;
};
