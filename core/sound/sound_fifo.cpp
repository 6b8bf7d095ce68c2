// Samples enter a FIFO lowest byte first, each a signed 8-bit level. A write never blocks: once
// the game outruns the timer, the oldest unread samples are overwritten.

#include "core/sound/sound_fifo.h"

#include <algorithm>
#include <iterator>

#include "core/state.h"

namespace {

DirectSoundChannel& channel_of(unsigned fifo) { return machine.direct_sound[fifo & 1]; }

}  // namespace

void fifo_push8(unsigned fifo, std::uint32_t value) {
  DirectSoundChannel& d = channel_of(fifo);
  d.fifo[d.fifo_write % FIFO_SAMPLES] = static_cast<std::int8_t>(value & 0xFF);
  d.fifo_write = (d.fifo_write + 1) % FIFO_SAMPLES;
}

void fifo_push16(unsigned fifo, std::uint32_t value) {
  fifo_push8(fifo, value);
  fifo_push8(fifo, value >> 8);
}

void fifo_push32(unsigned fifo, std::uint32_t value) {
  fifo_push16(fifo, value);
  fifo_push16(fifo, value >> 16);
}

// The indices stay where they are, so the timer's reading position is not disturbed.
void fifo_reset(unsigned fifo) {
  DirectSoundChannel& d = channel_of(fifo);
  std::fill(std::begin(d.fifo), std::end(d.fifo), std::int8_t{0});
}

std::uint32_t fifo_samples_queued(unsigned fifo) {
  const DirectSoundChannel& d = channel_of(fifo);
  return (d.fifo_write - d.fifo_read) % FIFO_SAMPLES;
}
