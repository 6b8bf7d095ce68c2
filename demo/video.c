// The demo's picture: mode 0 with the starry sky on BG0 and text on BG1, one-dimensional sprites.
#include "video.h"

#include "assets.h"

#define TEXT_MAP ((volatile u16*)(VRAM + 0xF000))  // screen base 30
#define SKY_MAP (VRAM + 0xE000)                     // screen base 28
#define FIRST_CHAR 32
#define CHAR_COUNT 64

static u16 oam_shadow[128 * 4];
static u16 sky_offset;

void video_init(void) {
  DISPCNT = 0x0080;  // forced blank while video memory is filled
  for (int i = 0; i < 32; ++i) BG_PALETTE[i] = bg_palette[i];
  for (int i = 0; i < 16; ++i) OBJ_PALETTE[i] = obj_palette[i];
  bios_lz77_to_vram(bg_tiles_lz, VRAM);
  bios_lz77_to_vram(star_map_lz, SKY_MAP);
  bios_lz77_to_vram(obj_tiles_lz, OBJ_VRAM);
  text_clear();
  BG0CNT = 0x1C03;  // sky: priority 3, characters at 0, map at screen base 28
  BG1CNT = 0x1E00;  // text: priority 0, map at screen base 30
  // Brightness decrease on everything for the fades; the glow sprite blends with the sky.
  BLDCNT = 0x21F3;
  BLDALPHA = 0x0808;
  BLDY = 16;
  sprite_hide_all();
  DISPCNT = 0x1340;  // mode 0, one-dimensional sprites, BG0, BG1 and sprites on
}

void video_frame(int frozen) {
  bios_vblank_wait();
  volatile u16* oam = (volatile u16*)OAM;
  for (int i = 0; i < 128 * 4; ++i) oam[i] = oam_shadow[i];
  if (!frozen) BG0VOFS = --sky_offset >> 1;  // half a pixel a frame: the sky drifts down
}

void video_fade(int to_black) {
  for (int level = 0; level <= 16; ++level) {
    BLDY = (u16)(to_black ? level : 16 - level);
    video_frame(0);
  }
}

void text_clear(void) {
  for (int i = 0; i < 32 * 32; ++i) TEXT_MAP[i] = 0;
}

void text_print(int column, int row, const char* text, int yellow) {
  for (; *text != '\0' && column < 32; ++text, ++column) {
    int tile = *text - FIRST_CHAR;
    if (tile < 0 || tile >= CHAR_COUNT) tile = 0;
    TEXT_MAP[row * 32 + column] = (u16)(tile | (yellow ? 1 << 12 : 0));
  }
}

void text_number(int column, int row, u32 value, int digits, int yellow) {
  char text[11];
  if (digits > 10) digits = 10;
  text[digits] = '\0';
  for (int i = digits - 1; i >= 0; --i, value /= 10) text[i] = (char)('0' + value % 10);
  text_print(column, row, text, yellow);
}

void sprite_hide_all(void) {
  for (int i = 0; i < 128; ++i) sprite_hide(i);
}

void sprite_set(int index, int x, int y, u16 attr0_bits, u16 attr1_bits, u16 attr2) {
  oam_shadow[index * 4] = (u16)((y & 0xFF) | attr0_bits);
  oam_shadow[index * 4 + 1] = (u16)((x & 0x1FF) | attr1_bits);
  oam_shadow[index * 4 + 2] = attr2;
}

void sprite_hide(int index) { oam_shadow[index * 4] = OBJ_HIDDEN; }

void sun_draw(int x, int y, u16 angle, s16 scale) {
  struct AffineSource turn = {scale, scale, angle, 0};
  bios_obj_affine_set(&turn, &oam_shadow[3]);  // matrix 0: the 4th halfword of sprites 0-3
  sprite_set(SPRITE_SUN, x, y, OBJ_AFFINE_DOUBLE, OBJ_SIZE_32, 16 | OBJ_PRIORITY(2));
}
