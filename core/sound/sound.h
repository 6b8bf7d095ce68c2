#pragma once
// The sound generator's entry points used by the rest of the machine. Nothing here runs while
// the core's sound-enable flag (core/sound_output.h) is clear.

#include <cstdint>

enum SoundFifo : unsigned { FIFO_A = 0, FIFO_B = 1 };

constexpr std::uint32_t SOUND_OUTPUT_RATE = 44100;

// Puts the mixing ring's write position a fixed distance ahead of its read position, so that
// output resumes cleanly after the emulation lost its footing (a bad jump, a reload).
void reposition_mix_ring();

// Renders the tone, wave and noise channels up to `elapsed_cycles` and hands full blocks on.
void sound_update(std::int32_t elapsed_cycles);

// A timer that drives `fifo` overflowed: mixes its next sample, `step` (16.16) output samples on.
void fifo_consume(std::uint32_t step, unsigned fifo);

// Samples written to FIFO_A or FIFO_B, lowest byte first.
void fifo_push8(unsigned fifo, std::uint32_t value);
void fifo_push16(unsigned fifo, std::uint32_t value);
void fifo_push32(unsigned fifo, std::uint32_t value);
void fifo_reset(unsigned fifo);

// Decodes the sound register at I/O offset `offset` (0x060-0x084) from its stored value.
void decode_sound_register(std::uint32_t offset);
// Wave RAM was written: the pattern is unpacked again before the next render.
void mark_wave_changed();
// Timer 0 or 1 started: the FIFOs it drives move on by the time it stood still.
void realign_fifos(unsigned timer);

// Power-on state of every channel, FIFO and the mixing ring; part of loading a game.
void reset_sound();
