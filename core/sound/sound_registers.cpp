// Decoding of the sound registers 0x060-0x084 from the values the I/O handlers stored.

#include "core/io/io_registers.h"
#include "core/sound/sound.h"
#include "core/sound/sound_internal.h"
#include "core/state.h"

namespace {

constexpr std::uint32_t RESTART = 0x8000;
constexpr std::uint32_t LENGTH_ENABLE = 0x4000;
constexpr std::int32_t SIDE_VOLUMES[8] = {0, 585, 1170, 1755, 2341, 2926, 3511, 4096};
constexpr std::int32_t PSG_VOLUMES[4] = {1, 2, 4, 0};
constexpr std::uint32_t WAVE_LEVELS[4] = {0, 0x4000, 0x2000, 0x1000};
constexpr std::uint32_t WAVE_LEVEL_THREE_QUARTERS = 0x3000;
// Tone restarts start a twelfth of a pattern step early.
constexpr std::uint32_t RESTART_PHASE_BACK = 5461;

GeneratedChannel& channel(unsigned n) { return machine.sound.channels[n]; }

std::uint32_t step_for_hertz(double hertz) {
  return static_cast<std::uint32_t>(hertz / 44100.0 * 65536.0);
}

std::uint32_t wave_pitch_step(std::uint32_t freq_value) {
  return step_for_hertz(2097152.0 / static_cast<double>(2048 - freq_value));
}

std::uint32_t noise_pitch_step(std::uint32_t value) {
  std::uint32_t ratio = value & 7;
  double divisor = static_cast<double>(1u << (((value >> 4) & 15) + 1));
  return step_for_hertz(ratio == 0 ? 1048576.0 / divisor : 524288.0 / (ratio * divisor));
}

// The restart bit reads back as 0 on the console, and leaving it stored would let a later
// byte write to the other half restart the channel again.
void forget_restart(std::uint32_t offset, std::uint32_t value) {
  io_store16(offset, value & ~RESTART);
}

// A channel whose length ran out starts again with the longest length.
void reload_spent_length(GeneratedChannel& ch, std::uint32_t longest) {
  if (ch.length_left == 0) ch.length_left = longest;
}

void reload_envelope(GeneratedChannel& ch) {
  ch.envelope_countdown = ch.envelope_period;
  ch.env_level = ch.env_start_level;
}

void decode_sweep(std::uint32_t value) {
  GeneratedChannel& ch = channel(0);
  ch.sweep_amount = value & 7;
  ch.sweep_down = (value >> 3) & 1;
  ch.sweep_period = ((value >> 4) & 7) * 2;
  ch.sweep_countdown = ch.sweep_period;
  ch.sweep_on = (value & 0x7F) != 8 ? 1 : 0;
}

void decode_length_envelope(GeneratedChannel& ch, std::uint32_t value) {
  ch.length_left = 64 - (value & 63);
  ch.duty_pattern = (value >> 6) & 3;
  ch.envelope_period = ((value >> 8) & 7) * 4;
  ch.envelope_countdown = ch.envelope_period;
  ch.env_on = ch.envelope_period != 0 ? 1 : 0;
  ch.env_up = (value >> 11) & 1;
  ch.env_start_level = value >> 12;
  ch.env_level = ch.env_start_level;
}

void decode_tone_frequency(std::uint32_t offset, GeneratedChannel& ch, std::uint32_t value) {
  ch.freq_value = value & 0x7FF;
  ch.pitch_step = tone_pitch_step(ch.freq_value);
  ch.length_on = (value & LENGTH_ENABLE) ? 1 : 0;
  if ((value & RESTART) == 0) return;
  ch.active = 1;
  ch.phase -= RESTART_PHASE_BACK;
  reload_envelope(ch);
  reload_spent_length(ch, 64);
  forget_restart(offset, value);
}

void decode_wave_select(std::uint32_t value) {
  GeneratedChannel& ch = channel(2);
  ch.wave_64 = (value >> 5) & 1;
  ch.wave_bank = (value >> 6) & 1;
  ch.wave_playable = (value >> 7) & 1;
}

void decode_wave_length(std::uint32_t value) {
  GeneratedChannel& ch = channel(2);
  ch.length_left = 256 - (value & 0xFF);
  ch.wave_level = (value & 0x8000) ? WAVE_LEVEL_THREE_QUARTERS : WAVE_LEVELS[(value >> 13) & 3];
}

void decode_wave_frequency(std::uint32_t value) {
  GeneratedChannel& ch = channel(2);
  ch.freq_value = value & 0x7FF;
  ch.pitch_step = wave_pitch_step(ch.freq_value);
  ch.length_on = (value & LENGTH_ENABLE) ? 1 : 0;
  if ((value & RESTART) == 0) return;
  ch.phase = 0;
  ch.active = 1;
  reload_spent_length(ch, 256);
  forget_restart(IO_SOUND3CNT_X, value);
}

void decode_noise(std::uint32_t value) {
  GeneratedChannel& ch = channel(3);
  ch.pitch_step = noise_pitch_step(value);
  ch.noise_width = (value & 8) ? 7 : 15;
  ch.length_on = (value & LENGTH_ENABLE) ? 1 : 0;
  if ((value & RESTART) == 0) return;
  ch.phase = 0;
  ch.active = 1;
  reload_envelope(ch);
  reload_spent_length(ch, 64);
  forget_restart(IO_SOUND4CNT_H, value);
}

void decode_soundcnt_l(std::uint32_t value) {
  SoundState& s = machine.sound;
  s.side_volume_right = SIDE_VOLUMES[value & 7];
  s.side_volume_left = SIDE_VOLUMES[(value >> 4) & 7];
  for (unsigned n = 0; n < GENERATED_CHANNELS; ++n) {
    channel(n).routing = ((value >> (8 + n)) & 1) | (((value >> (12 + n)) & 1) << 1);
  }
}

void decode_soundcnt_h(std::uint32_t value) {
  machine.sound.psg_volume = PSG_VOLUMES[value & 3];
  machine.direct_sound[FIFO_A].full_volume = (value >> 2) & 1;
  machine.direct_sound[FIFO_B].full_volume = (value >> 3) & 1;
  machine.direct_sound[FIFO_A].routing = (value >> 8) & 3;
  machine.direct_sound[FIFO_B].routing = (value >> 12) & 3;
}

void decode_soundcnt_x(std::uint32_t value) {
  machine.sound.master_enable = (value >> 7) & 1;
  if (machine.sound.master_enable) return;
  for (GeneratedChannel& ch : machine.sound.channels) ch.active = 0;
  // The status bits say so at once, whether or not the generator runs to update them.
  io_store16(IO_SOUNDCNT_X, value & ~0x000Fu);
}

}  // namespace

void decode_sound_register(std::uint32_t offset) {
  std::uint32_t value = io_read16(offset);
  switch (offset) {
    case IO_SOUND1CNT_L: decode_sweep(value); break;
    case IO_SOUND1CNT_H: decode_length_envelope(channel(0), value); break;
    case IO_SOUND1CNT_X: decode_tone_frequency(offset, channel(0), value); break;
    case IO_SOUND2CNT_L: decode_length_envelope(channel(1), value); break;
    case IO_SOUND2CNT_H: decode_tone_frequency(offset, channel(1), value); break;
    case IO_SOUND3CNT_L: decode_wave_select(value); break;
    case IO_SOUND3CNT_H: decode_wave_length(value); break;
    case IO_SOUND3CNT_X: decode_wave_frequency(value); break;
    case IO_SOUND4CNT_L: decode_length_envelope(channel(3), value); break;
    case IO_SOUND4CNT_H: decode_noise(value); break;
    case IO_SOUNDCNT_L: decode_soundcnt_l(value); break;
    case IO_SOUNDCNT_H: decode_soundcnt_h(value); break;
    case IO_SOUNDCNT_X: decode_soundcnt_x(value); break;
    default: break;
  }
}
