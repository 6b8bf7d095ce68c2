#include "core/sound.h"

void reposition_mix_ring() {}
void sound_update(std::int32_t) {}
void fifo_consume(std::uint32_t, unsigned) {}
void fifo_push8(unsigned, std::uint32_t) {}
void fifo_push16(unsigned, std::uint32_t) {}
void fifo_push32(unsigned, std::uint32_t) {}
void fifo_reset(unsigned) {}
void decode_sound_register(std::uint32_t) {}
void mark_wave_changed() {}
void realign_fifos(unsigned) {}
void reset_sound() {}
