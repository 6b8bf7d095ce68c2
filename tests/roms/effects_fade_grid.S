@ Brightening and darkening over eight colours: BG0's tile shows palette colours 1-8 at pixels 0-7
@ of every 8. Bands of 40 lines: brighten with EVY 3, brighten with EVY 11, darken with EVY 7,
@ darken with EVY 13; BG0 is the first target.
        .include "scene.inc"

scene:
        store16 PALETTE + 2 * 1, 0 | 0 << 5 | 0 << 10
        store16 PALETTE + 2 * 2, 31 | 31 << 5 | 31 << 10
        store16 PALETTE + 2 * 3, 1 | 2 << 5 | 3 << 10
        store16 PALETTE + 2 * 4, 10 | 20 << 5 | 30 << 10
        store16 PALETTE + 2 * 5, 5 | 17 << 5 | 29 << 10
        store16 PALETTE + 2 * 6, 30 | 7 << 5 | 13 << 10
        store16 PALETTE + 2 * 7, 16 | 9 << 5 | 24 << 10
        store16 PALETTE + 2 * 8, 27 | 3 << 5 | 22 << 10
        fill32  VRAM + 32, 0x87654321, 8                 @ BG tile 1: colours 1-8 across each row
        fill32  VRAM + 31 * 2048, 0x00010001, 512
        io16    BG0CNT, 31 << 8
        io16    0, 0x0100                                @ mode 0, BG0
        end_scene

raster:
        at_line 0, BLDCNT, 0x0081
        at_line 0, BLDY, 3
        at_line 40, BLDY, 11
        at_line 80, BLDCNT, 0x00C1
        at_line 80, BLDY, 7
        at_line 120, BLDY, 13
        end_raster
