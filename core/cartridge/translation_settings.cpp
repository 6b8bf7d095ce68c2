#include "core/cartridge/translation_settings.h"

TranslationSettings translation_settings = {NO_IDLE_LOOP, {}, 0};

void reset_translation_settings() { translation_settings = {NO_IDLE_LOOP, {}, 0}; }

bool is_translation_gate(std::uint32_t address) {
  for (unsigned i = 0; i < translation_settings.gate_count; ++i) {
    if (translation_settings.gates[i] == address) return true;
  }
  return false;
}
