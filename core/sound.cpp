#include "core/sound.h"

void reposition_mix_ring() {}
