#include "core/sound.h"

void reposition_mix_ring() {}
void sound_update(std::int32_t) {}
void fifo_consume(std::uint32_t, unsigned) {}
void decode_sound_register(std::uint32_t) {}
void mark_wave_changed() {}
void realign_fifos(unsigned) {}
void reset_sound() {}
