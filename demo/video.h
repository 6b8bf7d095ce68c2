// The demo's picture: graphics unpacked by the BIOS, a text layer, sprites kept in a shadow copy
// of OAM, the scrolling sky and the brightness fades between screens.
#pragma once
#include "gba.h"

#define SPRITE_SHIP 0
#define SPRITE_SHOT 1
#define SPRITE_GLOW 2
#define SPRITE_SUN 3
#define SPRITE_FIRST_DRONE 4

// Attribute bits (see OBJ attributes in the hardware reference).
#define OBJ_AFFINE_DOUBLE 0x0300
#define OBJ_HIDDEN 0x0200
#define OBJ_SEMI_TRANSPARENT 0x0400
#define OBJ_SIZE_16 0x4000
#define OBJ_SIZE_32 0x8000
#define OBJ_PRIORITY(n) ((n) << 10)

void video_init(void);
// Waits for the next V-blank, then shows the sprites set since the last one. The sky moves on
// unless `frozen`.
void video_frame(int frozen);
// Brightness down to black (`to_black`) or back up, over 16 frames.
void video_fade(int to_black);

void text_clear(void);
void text_print(int column, int row, const char* text, int yellow);
void text_number(int column, int row, u32 value, int digits, int yellow);

void sprite_hide_all(void);
void sprite_set(int index, int x, int y, u16 attr0_bits, u16 attr1_bits, u16 attr2);
void sprite_hide(int index);
// The sun, rotated by `angle` (a full turn is 0x10000) and scaled by 0x100 / `scale`.
void sun_draw(int x, int y, u16 angle, s16 scale);
