#pragma once
// What the sound generator's files share among themselves; the rest of the machine uses
// core/sound.h.

#include <cstdint>

#include "core/io/io_image.h"
#include "core/sound/sound_state.h"

constexpr std::uint32_t MIX_RING_MASK = MIX_RING_ENTRIES - 1;
constexpr std::uint32_t FIXED_ONE = 0x10000;
// 256 / 44100 in 16.16: how far one output sample moves the 256 Hz sequencer.
constexpr std::uint32_t SEQUENCER_STEP = (256u << 16) / 44100u;
constexpr std::uint32_t SWEEP_CEILING = 2048;
constexpr int VOLUME_SHIFT = 22;

constexpr std::int32_t ENVELOPE_LEVELS[16] = {0,    1092, 2185,  3277,  4369,  5461,  6554,  7646,
                                              8738, 9830, 10923, 12015, 13107, 14199, 15292, 16384};
constexpr std::int8_t DUTY_PATTERNS[4][8] = {{-8, -8, -8, -8, 7, -8, -8, -8},
                                             {-8, -8, -8, -8, 7, 7, -8, -8},
                                             {-8, -8, 7, 7, 7, 7, -8, -8},
                                             {7, 7, 7, 7, -8, -8, 7, 7}};

constexpr unsigned NOISE_ENTRIES_15 = 32767;
constexpr unsigned NOISE_ENTRIES_7 = 127;
extern std::uint32_t noise_table_15[(NOISE_ENTRIES_15 + 31) / 32];
extern std::uint32_t noise_table_7[(NOISE_ENTRIES_7 + 31) / 32];
// Builds both tables once per process; they never change.
void build_noise_tables();

inline std::uint32_t noise_bit(const std::uint32_t* table, std::uint32_t index) {
  return (table[index >> 5] >> (31 - (index & 31))) & 1;
}

// 16.16 positions per output sample; the frequency value 2048 (reached only by a sweep) has none.
std::uint32_t tone_pitch_step(std::uint32_t freq_value);

// Adds `samples` output samples of every playing generated channel to the ring from `start`.
void render_generated_channels(std::uint32_t start, std::uint32_t samples);
