// Rendering of the two tone channels, the wave channel and the noise channel into the mixing
// ring, with the 256 Hz sequencer (length, envelope, sweep) run per channel as samples go by.

#include <algorithm>

#include "core/io/io_registers.h"
#include "core/sound/sound_internal.h"
#include "core/state.h"

namespace {

enum class Kind { TONE, WAVE, NOISE };

constexpr std::uint32_t ROUTE_RIGHT = 1;
constexpr std::uint32_t ROUTE_LEFT = 2;

// Both sides' scale of one channel; a channel's level changes only at a sequencer tick.
struct Gains {
  std::int64_t left;
  std::int64_t right;
};

Gains gains_of(const GeneratedChannel& ch, std::int32_t level) {
  const SoundState& s = machine.sound;
  std::int64_t base = static_cast<std::int64_t>(s.psg_volume) * level;
  return {(ch.routing & ROUTE_LEFT) ? base * s.side_volume_left : 0,
          (ch.routing & ROUTE_RIGHT) ? base * s.side_volume_right : 0};
}

std::int32_t level_of(Kind kind, const GeneratedChannel& ch) {
  if (kind == Kind::WAVE) return static_cast<std::int32_t>(ch.wave_level);
  return ENVELOPE_LEVELS[ch.env_level & 15];
}

// The frequency moves by its own fraction; reaching 2048 would leave no period at all, which
// the hardware answers by silencing the channel.
void sweep_step(GeneratedChannel& ch) {
  std::uint32_t delta = ch.freq_value >> ch.sweep_amount;
  std::uint32_t next = ch.sweep_down ? ch.freq_value - delta : ch.freq_value + delta;
  ch.freq_value = std::min(next, SWEEP_CEILING);
  if (ch.freq_value == SWEEP_CEILING) {
    ch.active = 0;
    return;
  }
  ch.pitch_step = tone_pitch_step(ch.freq_value);
}

void envelope_step(GeneratedChannel& ch) {
  if (ch.env_up && ch.env_level < 15) ch.env_level += 1;
  if (!ch.env_up && ch.env_level > 0) ch.env_level -= 1;
}

// One 256 Hz tick. Counters fire on the tick that finds them at 1.
void sequencer_tick(GeneratedChannel& ch, bool has_sweep) {
  if (ch.length_on && ch.length_left-- == 1) {
    ch.active = 0;
    return;
  }
  if (ch.env_on && ch.envelope_countdown-- == 1) {
    envelope_step(ch);
    ch.envelope_countdown = ch.envelope_period;
  }
  if (has_sweep && ch.sweep_on && ch.sweep_period != 0 && ch.sweep_countdown-- == 1) {
    sweep_step(ch);
    ch.sweep_countdown = ch.sweep_period;
  }
}

void unpack_wave_ram(GeneratedChannel& ch) {
  std::int8_t* bank = machine.sound.wave_samples + (ch.wave_bank ? 32 : 0);
  for (unsigned i = 0; i < 16; ++i) {
    std::uint8_t byte = machine.io_regs[IO_WAVE_RAM + i];
    bank[2 * i] = static_cast<std::int8_t>((byte >> 4) - 8);
    bank[2 * i + 1] = static_cast<std::int8_t>((byte & 15) - 8);
  }
  machine.sound.wave_changed = 0;
}

template <Kind kind>
std::int32_t sample_value(const GeneratedChannel& ch) {
  std::uint32_t position = ch.phase >> 16;
  if constexpr (kind == Kind::TONE) {
    return DUTY_PATTERNS[ch.duty_pattern & 3][position & 7];
  } else if constexpr (kind == Kind::WAVE) {
    const std::int8_t* samples = machine.sound.wave_samples;
    return ch.wave_64 ? samples[position & 63] : samples[(ch.wave_bank ? 32 : 0) + (position & 31)];
  } else {
    return noise_bit(ch.noise_width == 7 ? noise_table_7 : noise_table_15, position) ? 15 : 0;
  }
}

template <Kind kind>
void advance_phase(GeneratedChannel& ch) {
  ch.phase += ch.pitch_step;
  if constexpr (kind == Kind::NOISE) {
    std::uint32_t entries = ch.noise_width == 7 ? NOISE_ENTRIES_7 : NOISE_ENTRIES_15;
    while ((ch.phase >> 16) >= entries) ch.phase -= entries << 16;
  }
}

void add_entry(std::uint32_t index, std::int64_t amount) {
  std::int16_t& entry = machine.sound.mix_ring[index & MIX_RING_MASK];
  entry = static_cast<std::int16_t>(entry + amount);
}

template <Kind kind>
void render_channel(GeneratedChannel& ch, bool has_sweep, std::uint32_t pos,
                    std::uint32_t samples) {
  Gains gains = gains_of(ch, level_of(kind, ch));
  for (std::uint32_t i = 0; i < samples && ch.active; ++i) {
    std::int32_t value = sample_value<kind>(ch);
    add_entry(pos, (value * gains.left) >> VOLUME_SHIFT);
    add_entry(pos + 1, (value * gains.right) >> VOLUME_SHIFT);
    pos += 2;
    advance_phase<kind>(ch);
    ch.seq_fraction += SEQUENCER_STEP;
    if (ch.seq_fraction >= FIXED_ONE) {
      ch.seq_fraction &= FIXED_ONE - 1;
      sequencer_tick(ch, has_sweep);
      gains = gains_of(ch, level_of(kind, ch));
    }
  }
}

}  // namespace

std::uint32_t tone_pitch_step(std::uint32_t freq_value) {
  double hertz = 131072.0 / static_cast<double>(2048 - freq_value);
  return static_cast<std::uint32_t>(hertz * 8.0 / 44100.0 * 65536.0);
}

void render_generated_channels(std::uint32_t start, std::uint32_t samples) {
  GeneratedChannel* ch = machine.sound.channels;
  if (ch[0].active) render_channel<Kind::TONE>(ch[0], true, start, samples);
  if (ch[1].active) render_channel<Kind::TONE>(ch[1], false, start, samples);
  if (ch[2].active && ch[2].wave_playable) {
    if (machine.sound.wave_changed) unpack_wave_ram(ch[2]);
    render_channel<Kind::WAVE>(ch[2], false, start, samples);
  }
  if (ch[3].active) render_channel<Kind::NOISE>(ch[3], false, start, samples);
}
