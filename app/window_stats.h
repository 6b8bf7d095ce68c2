#pragma once
// What a run of the program in its window cost, printed at the exit with --stats: the time from
// the program's start to the first frame on the screen, and the game's speed while it ran.

#include <cstdint>
#include <cstdio>

// As early in main as possible: the start the first frame's time is measured from.
void note_program_start();
// Each frame the game screen shows.
void note_frame_shown();
// Around each stretch the game runs (between pauses): the frames the console ran in it.
void note_game_run_started(std::uint32_t frames_done);
void note_game_run_ended(std::uint32_t frames_done);

void print_window_stats(std::FILE* out);
