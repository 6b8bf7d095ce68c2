#pragma once
// The sound generator's part of the machine record: the mixing ring and the four generated
// channels. Kept in the record so that all emulated state stays in one fixed place; none of it is
// snapshotted, a loaded snapshot keeps the sound as it stands.

#include <cstdint>

constexpr unsigned MIX_RING_ENTRIES = 65536;  // stereo interleaved: even left, odd right
constexpr unsigned GENERATED_CHANNELS = 4;

// One tone (1, 2), wave (3) or noise (4) channel. Positions and steps are 16.16.
struct GeneratedChannel {
  std::uint32_t freq_value;
  std::uint32_t pitch_step;  // pattern positions per output sample
  std::uint32_t phase;
  std::uint32_t seq_fraction;  // time to the next 256 Hz tick
  std::uint32_t length_on;
  std::uint32_t length_left;
  std::uint32_t duty_pattern;
  std::uint32_t env_up;
  std::uint32_t env_start_level;
  std::uint32_t env_level;  // 0-15
  std::uint32_t envelope_countdown;
  std::uint32_t envelope_period;
  std::uint32_t env_on;
  std::uint32_t sweep_amount;
  std::uint32_t sweep_down;
  std::uint32_t sweep_countdown;
  std::uint32_t sweep_period;
  std::uint32_t sweep_on;
  std::uint32_t wave_level;
  std::uint32_t wave_bank;
  std::uint32_t wave_64;
  std::uint32_t wave_playable;
  std::uint32_t noise_width;  // 7 or 15
  std::uint32_t routing;      // 0 off, 1 right, 2 left, 3 both
  std::uint32_t active;
};

struct SoundState {
  std::int16_t mix_ring[MIX_RING_ENTRIES];
  std::uint32_t mix_write;
  std::uint32_t mix_read;
  std::int32_t last_sound_cycles;
  std::uint32_t sample_carry;  // fraction of an output sample not yet rendered, 0.16
  std::uint32_t master_enable;
  std::int32_t psg_volume;
  std::int32_t side_volume_left;
  std::int32_t side_volume_right;
  std::uint32_t wave_changed;
  std::int8_t wave_samples[64];  // two banks of 32
  GeneratedChannel channels[GENERATED_CHANNELS];
};
