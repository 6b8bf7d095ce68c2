#pragma once

#include <cstdint>

// Translates the Thumb block at `pc` into the cache of `region` (see translation_cache.h).
int translate_thumb_block(std::uint32_t pc, int region, int tag_code);
