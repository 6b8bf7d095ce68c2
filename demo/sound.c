// The tune is unpacked once into EWRAM; its length is a whole number of frames (timer 0 gives
// exactly 132 samples a frame), so counting V-blanks tells when to point the DMA back at its start.
#include "sound.h"

#include "assets.h"

// The DMA fetches ahead of the FIFO: silence after the end covers what it reads past it.
static u8 tune[TUNE_BYTES + 64] __attribute__((section(".ewram"), aligned(4)));
static volatile u32 tune_frame;

static void tune_restart(void) {
  DMA1CNT_H = 0;
  DMA1SAD = (u32)tune;
  DMA1DAD = FIFO_A_ADDRESS;
  DMA1CNT_H = 0xB640;  // on, sound FIFO timing, 32-bit, repeat, fixed destination
  tune_frame = 0;
}

void sound_init(void) {
  bios_lz77_to_wram(tune_lz, tune);
  SOUNDCNT_X = 0x0080;  // master enable first: the other registers need it
  SOUNDCNT_L = 0x9977;  // tone 1 and noise on both sides, volume 7
  SOUNDCNT_H = 0x0B06;  // tone channels 100 %, FIFO A 100 % on both sides, timer 0, reset
  tune_restart();
  TM0CNT_L = (u16)(0x10000 - TUNE_TIMER_PERIOD);
  TM0CNT_H = 0x0080;
}

void sound_vblank(void) {
  if (++tune_frame >= TUNE_FRAMES) tune_restart();
}

void sound_shot(void) {
  SOUND1CNT_L = 0x002A;  // sweep down: time 2, shift 2
  SOUND1CNT_H = 0xC280;  // volume 12 fading, step 2, 50 % duty
  SOUND1CNT_X = 0x8000 | 1900;
}

void sound_boom(void) {
  SOUND4CNT_L = 0xF300;  // volume 15 fading, step 3
  SOUND4CNT_H = 0x8053;  // restart, shift 5, divider 3, 15-bit noise
}
