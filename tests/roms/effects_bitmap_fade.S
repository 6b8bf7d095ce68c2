@ Colour effects in mode 3. The bitmap holds one colour on lines 0-79 and another on lines 80-159.
@ Lines 0-49 brighten BG2 with EVY 9, lines 50-99 darken it with EVY 6, and from line 100 on BG2
@ is only a second target (EVA 6, EVB 12) beneath a semi-transparent 32 x 32 object at (100, 110).
        .include "scene.inc"

        rgb5    UPPER_COLOUR, 25, 10, 4
        rgb5    LOWER_COLOUR, 3, 18, 28
        rgb5    SEMI_COLOUR, 14, 29, 7

scene:
        fill32  VRAM, UPPER_COLOUR | UPPER_COLOUR << 16, 120 * 80
        fill32  VRAM + 480 * 80, LOWER_COLOUR | LOWER_COLOUR << 16, 120 * 80
        store16 OBJ_PALETTE + 2, SEMI_COLOUR
        fill32  OBJ_TILES + 512 * 32, 0x11111111, 16 * 8 @ object tiles 512-527, above the bitmap
        fill32  OAM, 0x00000200, 256
        object  0, 110 | 0x0400, 100 | 0x8000, 512
        io16    BLDALPHA, 12 << 8 | 6
        io16    0, 0x1443                                @ mode 3, 1D objects, BG2, objects
        end_scene

raster:
        at_line 0, BLDCNT, 0x0084
        at_line 0, BLDY, 9
        at_line 50, BLDCNT, 0x00C4
        at_line 50, BLDY, 6
        at_line 100, BLDCNT, 0x0440
        end_raster
