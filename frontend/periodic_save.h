#pragma once
// When a running game's save memory is written to its file between the game's start and its end,
// so that a crash or a power cut loses at most the last moments: once the game has left its save
// memory alone for about two seconds of game time after writing to it, and never while a save
// sequence it began is still going on.

constexpr unsigned SAVE_SETTLE_FRAMES = 120;  // two seconds at the console's 59.7 frames a second

class CPeriodicSave {
 public:
  // A new game: nothing written yet.
  void Reset(unsigned write_count);
  // Called after every presented frame; 1 when the save memory should be written now.
  int WriteDue(unsigned frame, unsigned write_count, int sequence_in_progress);
  // The file was written (or a write at the game's end made the periodic one moot).
  void Written();

 private:
  unsigned last_count = 0;
  unsigned last_change_frame = 0;
  int pending = 0;
};
