@ Semi-transparent objects under brightening (EVY 5): the upper half (lines 0-79) selects BG0 as
@ first target, the lower half selects no first target at all. BG1 lies everywhere beneath as
@ second target (EVA 10, EVB 5); BG0 covers lines 0-39 and 80-119. Four semi-transparent
@ 32 x 32 objects at x 40 and y 4, 44, 84 and 124: over BG0, over BG1, over BG0, over BG1.
        .include "scene.inc"

        rgb5    BG0_COLOUR, 20, 3, 9
        rgb5    BG1_COLOUR, 2, 25, 17
        rgb5    SEMI_COLOUR, 27, 12, 5

scene:
        store16 PALETTE + 2, BG0_COLOUR
        store16 PALETTE + 32 + 2, BG1_COLOUR
        store16 OBJ_PALETTE + 2, SEMI_COLOUR
        fill32  VRAM + 32, 0x11111111, 8
        fill32  VRAM + 31 * 2048, 0x00010001, 5 * 16     @ BG0 map rows 0-4
        fill32  VRAM + 31 * 2048 + 10 * 64, 0x00010001, 5 * 16  @ and rows 10-14
        fill32  VRAM + 30 * 2048, 0x10011001, 512        @ BG1 map: tile 1, palette 1
        fill32  OBJ_TILES + 32, 0x11111111, 16 * 8
        fill32  OAM, 0x00000200, 256
        object  0, 4 | 0x0400, 40 | 0x8000, 1
        object  1, 44 | 0x0400, 40 | 0x8000, 1
        object  2, 84 | 0x0400, 40 | 0x8000, 1
        object  3, 124 | 0x0400, 40 | 0x8000, 1
        io16    BG0CNT, 31 << 8                          @ priority 0
        io16    BG1CNT, 30 << 8 | 1                      @ priority 1
        io16    BLDALPHA, 5 << 8 | 10
        io16    BLDY, 5
        io16    0, 0x1340                                @ mode 0, 1D objects, BG0, BG1, objects
        end_scene

raster:
        at_line 0, BLDCNT, 0x0281                        @ BG0 first, brighten, BG1 second
        at_line 80, BLDCNT, 0x0280                       @ brighten, BG1 second, no first target
        end_raster
