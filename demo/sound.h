// The demo's sound: the tune through FIFO A, fed by DMA 1 at timer 0's rate, and two effects on
// the tone and noise channels.
#pragma once

void sound_init(void);
// Called from the V-blank interrupt: starts the tune over when it has played to its end.
void sound_vblank(void);
void sound_shot(void);
void sound_boom(void);
