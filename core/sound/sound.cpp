// The sound generator's timing: rendering up to the present, mixing FIFO samples as timers
// consume them, and handing finished 8192-byte blocks to the output device.

#include "core/sound/sound.h"

#include <algorithm>
#include <cstring>

#include "core/dma/dma.h"
#include "core/io/io_registers.h"
#include "core/sound/sound_internal.h"
#include "core/sound/sound_output.h"
#include "core/state.h"

namespace {

constexpr std::uint32_t BLOCK_ENTRIES = SOUND_BUFFER_BYTES / 2;
constexpr std::uint32_t SOUNDCNT_X_STATUS = 0x000F;
// After a lost footing, output resumes this many entries (half a block) behind the renderer.
constexpr std::uint32_t REPOSITION_DISTANCE = BLOCK_ENTRIES / 2;
constexpr std::uint32_t FIFO_LOW_WATER = 16;
constexpr std::int32_t OUTPUT_MIN = -2048;
constexpr std::int32_t OUTPUT_MAX = 2047;
constexpr int OUTPUT_SHIFT = 4;

std::uint32_t entries_waiting() {
  return (machine.sound.mix_write - machine.sound.mix_read) & MIX_RING_MASK;
}

// Output samples (16.16) for `cycles` of the console clock: cycles x 44100 / 2^24.
std::uint64_t samples_for_cycles(std::uint32_t cycles) {
  return (static_cast<std::uint64_t>(cycles) * SOUND_OUTPUT_RATE) >> 8;
}

void copy_block_out(std::uint8_t* out) {
  SoundState& s = machine.sound;
  for (std::uint32_t i = 0; i < BLOCK_ENTRIES; ++i) {
    std::int16_t& entry = s.mix_ring[(s.mix_read + i) & MIX_RING_MASK];
    if (out != nullptr) {
      std::int32_t clamped = std::clamp<std::int32_t>(entry, OUTPUT_MIN, OUTPUT_MAX);
      auto sample = static_cast<std::uint16_t>(clamped * (1 << OUTPUT_SHIFT));
      out[2 * i] = static_cast<std::uint8_t>(sample);
      out[2 * i + 1] = static_cast<std::uint8_t>(sample >> 8);
    }
    entry = 0;
  }
  s.mix_read = (s.mix_read + BLOCK_ENTRIES) & MIX_RING_MASK;
}

void hand_off_blocks() {
  while (entries_waiting() >= BLOCK_ENTRIES) {
    // No device, or one that has freed nothing for too long: the block is lost, the game goes on.
    int index = WaitForFreeBuffer();
    if (index < 0) {
      copy_block_out(nullptr);
      continue;
    }
    sound_buffers.current = index;
    copy_block_out(sound_buffers.area[index]);
    SubmitBuffer();
  }
}

void show_channel_status() {
  std::uint32_t status = 0;
  for (unsigned n = 0; n < GENERATED_CHANNELS; ++n) {
    status |= (machine.sound.channels[n].active & 1) << n;
  }
  io_store16(IO_SOUNDCNT_X, (io_read16(IO_SOUNDCNT_X) & ~SOUNDCNT_X_STATUS) | status);
}

void mix_fifo_entry(const DirectSoundChannel& d, std::int32_t value) {
  std::int16_t* ring = machine.sound.mix_ring;
  if (d.routing & 2) ring[d.mix_pos] = static_cast<std::int16_t>(ring[d.mix_pos] + value);
  if (d.routing & 1) {
    std::uint32_t right = (d.mix_pos + 1) & MIX_RING_MASK;
    ring[right] = static_cast<std::int16_t>(ring[right] + value);
  }
}

}  // namespace

void reposition_mix_ring() {
  machine.sound.mix_write = (machine.sound.mix_read + REPOSITION_DISTANCE) & MIX_RING_MASK;
}

void sound_update(std::int32_t elapsed_cycles) {
  if (!sound_enabled) return;
  SoundState& s = machine.sound;
  std::uint32_t cycles =
      static_cast<std::uint32_t>(elapsed_cycles) - static_cast<std::uint32_t>(s.last_sound_cycles);
  std::uint64_t amount = samples_for_cycles(cycles);
  auto samples = static_cast<std::uint32_t>(amount >> 16);
  s.sample_carry += static_cast<std::uint32_t>(amount & 0xFFFF);
  if (s.sample_carry >= FIXED_ONE) {
    s.sample_carry &= FIXED_ONE - 1;
    samples += 1;
  }
  if (s.master_enable) render_generated_channels(s.mix_write, samples);
  show_channel_status();
  s.last_sound_cycles = elapsed_cycles;
  s.mix_write = (s.mix_write + 2 * samples) & MIX_RING_MASK;
  hand_off_blocks();
}

void fifo_consume(std::uint32_t step, unsigned fifo) {
  if (!sound_enabled) return;
  DirectSoundChannel& d = machine.direct_sound[fifo & 1];
  std::int32_t s0 = d.fifo[d.fifo_read % FIFO_SAMPLES];
  d.fifo_read = (d.fifo_read + 1) % FIFO_SAMPLES;
  std::int32_t s1 = d.fifo[d.fifo_read];
  std::int32_t scale = d.full_volume ? 16 : 8;
  s0 *= scale;
  s1 *= scale;
  // A timer slower than one sample per 65536 output samples has a step of 0; one keeps the
  // loop finite.
  step = std::max(step, 1u);
  bool audible = machine.sound.master_enable != 0;
  while (d.fraction < FIXED_ONE) {
    std::int32_t between = ((s1 - s0) * static_cast<std::int32_t>(d.fraction)) >> 16;
    if (audible) mix_fifo_entry(d, s0 + between);
    d.mix_pos = (d.mix_pos + 2) & MIX_RING_MASK;
    d.fraction += step;
  }
  d.fraction &= FIXED_ONE - 1;
  if (((d.fifo_write - d.fifo_read) % FIFO_SAMPLES) <= FIFO_LOW_WATER) start_sound_dma(fifo & 1);
}

void mark_wave_changed() { machine.sound.wave_changed = 1; }

void realign_fifos(unsigned timer) {
  const TimerRecord& t = machine.timers[timer];
  std::uint32_t stood = static_cast<std::uint32_t>(machine.elapsed_cycles) -
                        static_cast<std::uint32_t>(t.stopped_at_cycles);
  auto samples = static_cast<std::uint32_t>(samples_for_cycles(stood) >> 16);
  for (unsigned fifo = 0; fifo < 2; ++fifo) {
    if ((t.fifo_channels & (1u << fifo)) == 0) continue;
    DirectSoundChannel& d = machine.direct_sound[fifo];
    d.mix_pos = (d.mix_pos + 2 * samples) & MIX_RING_MASK;
  }
}

void reset_sound() {
  build_noise_tables();
  std::memset(&machine.sound, 0, sizeof machine.sound);
  for (DirectSoundChannel& d : machine.direct_sound) d = DirectSoundChannel{};
  for (GeneratedChannel& ch : machine.sound.channels) ch.noise_width = 15;
}
