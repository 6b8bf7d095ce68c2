#pragma once
// Per-game facts the translators act on, chosen from the game table when a cartridge loads. The
// cartridge code fills them in; the CPU reads them.

#include <cstdint>

constexpr std::uint32_t NO_IDLE_LOOP = 0xFFFFFFFF;
constexpr unsigned MAX_TRANSLATION_GATES = 4;

struct TranslationSettings {
  // A branch here always hands the rest of the time slice to the scheduler.
  std::uint32_t idle_loop_address;
  // Blocks end before these addresses and reach them through the lookup.
  std::uint32_t gates[MAX_TRANSLATION_GATES];
  unsigned gate_count;
};
extern TranslationSettings translation_settings;

void reset_translation_settings();
bool is_translation_gate(std::uint32_t address);
