#pragma once
// What the translators carry out themselves instead of translating, beside the per-game facts
// the cartridge chose for them.

#include "core/cartridge/translation_settings.h"

// SWI numbers carried out inline instead of entering the BIOS: only division.
inline bool swi_runs_inline(std::uint32_t number) { return number == 6; }
