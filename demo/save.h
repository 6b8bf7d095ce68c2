// The high-score table in the cartridge's SRAM: a magic word, then five scores, best first.
#pragma once
#include "gba.h"

#define BEST_COUNT 5

// Reads the table; a memory without our magic word (a new cartridge) gives five zeros.
void save_load(u32 best[BEST_COUNT]);
// Puts `score` in its place if it beats one of the five, and writes the table back.
void save_enter(u32 best[BEST_COUNT], u32 score);
