// STARSWEEP, the demo game: clear a grid of drones with the ship's single shot before the time
// runs out. The rules, which the scripted playthrough in tests/demo counts with:
// - 8 columns x 3 rows of drones; column c spans x = 24 + 24c to 24 + 24c + 15. A drone in the
//   top row is worth 30 points, in the middle row 20, in the bottom row 10.
// - The ship starts with its left edge at x = 120 (its centre 128 is column 4's centre) and moves
//   2 pixels in each frame Left or Right is held, kept within x = 0-224.
// - A, newly pressed while no shot flies, fires from the ship's centre. The shot takes the lowest
//   drone left in the column under that centre; between columns, beside the grid or over an
//   empty column it flies off the screen.
// - A round lasts 1200 frames of play, or until no drone is left; clearing the grid adds 5
//   points for every whole second left. The score then joins the five best in SRAM.
// - Start pauses and resumes a round through the keypad interrupt; nothing moves while paused.
#include "assets.h"
#include "gba.h"
#include "save.h"
#include "sound.h"
#include "video.h"

#define COLUMNS 8
#define ROWS 3
#define DRONES (COLUMNS * ROWS)
#define GRID_LEFT 24
#define COLUMN_WIDTH 24
#define DRONE_WIDTH 16
#define SHIP_Y 136
#define SHIP_START_X 120
#define SHIP_MAX_X 224
#define SHOT_SPEED 4
#define ROUND_FRAMES 1200
#define CLEAR_BONUS_PER_SECOND 5
#define OVER_FRAMES 180

enum Scene { SCENE_TITLE, SCENE_PLAY, SCENE_OVER };

// What the tests read with --dump 2000000:32; the linker puts it first in EWRAM.
struct Record {
  u32 score;
  u32 scene;
  u32 drones_left;
  u32 best[BEST_COUNT];
};
static struct Record record __attribute__((section(".record")));

static const u8 ROW_Y[ROWS] = {28, 48, 68};
static const u8 ROW_POINTS[ROWS] = {30, 20, 10};

static volatile int paused;
static u16 held, pressed;

static void on_interrupt(void) {
  u16 raised = IF & IE;
  if (raised & IRQ_KEYPAD) {
    paused = !paused;
    KEYCNT = 0;  // disarmed until Start is let go, so one press is one toggle
  }
  if (raised & IRQ_VBLANK) sound_vblank();
  IF = raised;
  BIOS_IRQ_FLAGS |= raised;  // for VBlankIntrWait
}

static void read_keys(void) {
  u16 now = (u16)(~KEYINPUT & KEY_ALL);
  pressed = now & (u16)~held;
  held = now;
}

// ---- One round ----

struct Round {
  u8 alive[DRONES];
  int ship_x;
  int shot_y;      // < 0: no shot in flight
  int shot_x;
  int target;      // the drone the shot will take, or -1
  u32 frames_left;
  u32 frames_played;
};

static int drone_y(const struct Round* round, int drone) {
  return ROW_Y[drone / COLUMNS] + ((round->frames_played >> 3) & 3);  // the grid bobs
}

// The lowest drone left in the column under `x`, or -1.
static int drone_under(const struct Round* round, int x) {
  int offset = x - GRID_LEFT;
  if (offset < 0 || offset >= COLUMNS * COLUMN_WIDTH || offset % COLUMN_WIDTH >= DRONE_WIDTH) {
    return -1;
  }
  for (int row = ROWS - 1; row >= 0; --row) {
    int drone = row * COLUMNS + offset / COLUMN_WIDTH;
    if (round->alive[drone]) return drone;
  }
  return -1;
}

static void move_ship(struct Round* round) {
  if (held & KEY_LEFT) round->ship_x -= 2;
  if (held & KEY_RIGHT) round->ship_x += 2;
  if (round->ship_x < 0) round->ship_x = 0;
  if (round->ship_x > SHIP_MAX_X) round->ship_x = SHIP_MAX_X;
  if ((pressed & KEY_A) && round->shot_y < 0) {
    round->shot_x = round->ship_x + 8;
    round->shot_y = SHIP_Y - 8;
    round->target = drone_under(round, round->shot_x);
    sound_shot();
  }
}

static void move_shot(struct Round* round) {
  if (round->shot_y < 0) return;
  round->shot_y -= SHOT_SPEED;
  int target = round->target;
  if (target >= 0 && round->shot_y <= drone_y(round, target) + 12) {
    round->alive[target] = 0;
    record.score += ROW_POINTS[target / COLUMNS];
    --record.drones_left;
    round->shot_y = -1;
    sound_boom();
  }
}

static void draw_round(const struct Round* round) {
  sprite_set(SPRITE_SHIP, round->ship_x, SHIP_Y, 0, OBJ_SIZE_16, 0 | OBJ_PRIORITY(1));
  sprite_set(SPRITE_GLOW, round->ship_x - 8, SHIP_Y - 8, OBJ_SEMI_TRANSPARENT, OBJ_SIZE_32,
             32 | OBJ_PRIORITY(1));
  if (round->shot_y >= 0) {
    sprite_set(SPRITE_SHOT, round->shot_x - 4, round->shot_y, 0, 0, 12 | OBJ_PRIORITY(1));
  } else {
    sprite_hide(SPRITE_SHOT);
  }
  u16 look = (round->frames_played & 16) ? 8 : 4;  // two drone pictures in turn
  for (int drone = 0; drone < DRONES; ++drone) {
    if (!round->alive[drone]) {
      sprite_hide(SPRITE_FIRST_DRONE + drone);
      continue;
    }
    int x = GRID_LEFT + (drone % COLUMNS) * COLUMN_WIDTH;
    sprite_set(SPRITE_FIRST_DRONE + drone, x, drone_y(round, drone), 0, OBJ_SIZE_16,
               look | OBJ_PRIORITY(1));
  }
  sun_draw(188, -12, (u16)(round->frames_played << 8), 0x100);
  text_number(7, 0, record.score, 5, 0);
  text_number(27, 0, (round->frames_left + 59) / 60, 2, 0);
  text_print(11, 9, paused ? "PAUSED" : "      ", 1);
}

// Start arms the keypad interrupt only once it is up, so the press that began the round or the
// one that just paused it is not taken again.
static void arm_pause_key(void) {
  if ((KEYCNT & 0x4000) == 0 && (held & KEY_START) == 0) KEYCNT = 0x4000 | KEY_START;
}

static void play_round(void) {
  static struct Round round;
  for (int drone = 0; drone < DRONES; ++drone) round.alive[drone] = 1;
  round.ship_x = SHIP_START_X;
  round.shot_y = -1;
  round.frames_left = ROUND_FRAMES;
  round.frames_played = 0;
  record.score = 0;
  record.drones_left = DRONES;
  record.scene = SCENE_PLAY;
  text_clear();
  text_print(1, 0, "SCORE", 0);
  text_print(22, 0, "TIME", 0);
  draw_round(&round);
  video_fade(0);
  while (round.frames_left > 0 && record.drones_left > 0) {
    video_frame(paused);
    read_keys();
    arm_pause_key();
    if (!paused) {
      move_ship(&round);
      move_shot(&round);
      --round.frames_left;
      ++round.frames_played;
    }
    draw_round(&round);
  }
  KEYCNT = 0;
  paused = 0;
  if (record.drones_left == 0) record.score += round.frames_left / 60 * CLEAR_BONUS_PER_SECOND;
  save_enter(record.best, record.score);
}

// ---- The other screens ----

static void show_title(void) {
  record.scene = SCENE_TITLE;
  sprite_hide_all();
  text_clear();
  text_print(10, 3, "STARSWEEP", 1);
  text_print(10, 14, "PRESS START", 0);
  text_print(10, 16, "BEST", 0);
  text_number(15, 16, record.best[0], 5, 1);
  u16 angle = 0;
  sun_draw(88, 36, angle, 0x80);
  video_fade(0);
  do {
    video_frame(0);
    read_keys();
    angle = (u16)(angle + 0x200);
    sun_draw(88, 36, angle, 0x80);
  } while ((pressed & KEY_START) == 0);
  video_fade(1);
}

static void show_results(void) {
  record.scene = SCENE_OVER;
  video_fade(1);
  sprite_hide_all();
  text_clear();
  text_print(10, 3, "GAME OVER", 1);
  text_print(8, 6, "SCORE", 0);
  text_number(17, 6, record.score, 5, 1);
  text_print(9, 9, "BEST SCORES", 0);
  for (int i = 0; i < BEST_COUNT; ++i) {
    text_number(11, 11 + i, (u32)i + 1, 1, 0);
    text_number(14, 11 + i, record.best[i], 5, record.best[i] == record.score);
  }
  video_fade(0);
  for (int frame = 0; frame < OVER_FRAMES; ++frame) {
    video_frame(0);
    read_keys();
    if (pressed & KEY_START) break;
  }
  video_fade(1);
}

int main(void) {
  save_load(record.best);
  video_init();
  IRQ_HANDLER = on_interrupt;
  DISPSTAT = 0x0008;  // V-blank interrupt
  IE = IRQ_VBLANK | IRQ_KEYPAD;
  IME = 1;
  sound_init();
  read_keys();
  for (;;) {
    show_title();
    play_round();
    show_results();
  }
}
