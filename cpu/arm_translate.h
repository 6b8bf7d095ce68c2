#pragma once

#include <cstdint>

// Translates the ARM block at `pc` into the cache of `region` (see translation_cache.h).
int translate_arm_block(std::uint32_t pc, int region, int tag_code);

// Plugs the translators into the block lookup.
void install_translators();
