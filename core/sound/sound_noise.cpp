// The noise channel's bit sequences, generated once like the hardware's shift register would
// produce them from a state of all ones in the low eight bits.

#include "core/sound/sound_internal.h"

std::uint32_t noise_table_15[(NOISE_ENTRIES_15 + 31) / 32];
std::uint32_t noise_table_7[(NOISE_ENTRIES_7 + 31) / 32];

namespace {

void build_table(std::uint32_t* words, unsigned entries, unsigned width) {
  std::uint32_t state = 0xFF;
  const std::uint32_t top = 1u << (width - 1);
  for (unsigned i = 0; i < entries; ++i) {
    std::uint32_t feedback = (state ^ (state >> 1)) & 1;
    words[i >> 5] |= (state & 1) << (31 - (i & 31));
    state = ((state >> 1) & ~top) | (feedback ? top : 0);
  }
}

}  // namespace

void build_noise_tables() {
  static bool built = false;
  if (built) return;
  build_table(noise_table_15, NOISE_ENTRIES_15, 15);
  build_table(noise_table_7, NOISE_ENTRIES_7, 7);
  built = true;
}
