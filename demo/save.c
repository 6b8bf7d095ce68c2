// SRAM takes byte accesses only: everything is stored a byte at a time, scores as 16-bit
// little-endian numbers after the magic word.
#include "save.h"

static const char MAGIC[4] = {'S', 'W', 'P', '1'};

void save_load(u32 best[BEST_COUNT]) {
  int ours = 1;
  for (int i = 0; i < 4; ++i) ours &= SRAM[i] == (u8)MAGIC[i];
  for (int i = 0; i < BEST_COUNT; ++i) {
    best[i] = ours ? (u32)(SRAM[4 + 2 * i] | SRAM[5 + 2 * i] << 8) : 0;
  }
}

void save_enter(u32 best[BEST_COUNT], u32 score) {
  if (score > 0xFFFF) score = 0xFFFF;
  if (score <= best[BEST_COUNT - 1]) return;
  int at = BEST_COUNT - 1;
  for (; at > 0 && best[at - 1] < score; --at) best[at] = best[at - 1];
  best[at] = score;
  for (int i = 0; i < 4; ++i) SRAM[i] = (u8)MAGIC[i];
  for (int i = 0; i < BEST_COUNT; ++i) {
    SRAM[4 + 2 * i] = (u8)best[i];
    SRAM[5 + 2 * i] = (u8)(best[i] >> 8);
  }
}
