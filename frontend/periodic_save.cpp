#include "frontend/periodic_save.h"

void CPeriodicSave::Reset(unsigned write_count) {
  last_count = write_count;
  last_change_frame = 0;
  pending = 0;
}

int CPeriodicSave::WriteDue(unsigned frame, unsigned write_count, int sequence_in_progress) {
  if (write_count != last_count) {
    last_count = write_count;
    last_change_frame = frame;
    pending = 1;
    return 0;
  }
  if (!pending || sequence_in_progress) return 0;
  return frame - last_change_frame >= SAVE_SETTLE_FRAMES ? 1 : 0;
}

void CPeriodicSave::Written() { pending = 0; }
