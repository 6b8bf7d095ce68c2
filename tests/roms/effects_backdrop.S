@ Objects over the backdrop, with no background: the upper half (lines 0-79) selects the backdrop
@ as second target (BLDCNT bit 13), the lower half does not. Objects are first targets, alpha
@ blending with EVA 11 and EVB 6.
@   object 0  normal 32 x 32 at (40, 20)     object 1  semi-transparent at (120, 20)
@   object 2  normal 32 x 32 at (40, 110)    object 3  semi-transparent at (120, 110)
        .include "scene.inc"

        rgb5    BACKDROP, 6, 10, 20
        rgb5    NORMAL_COLOUR, 30, 6, 2
        rgb5    SEMI_COLOUR, 8, 14, 31

scene:
        store16 PALETTE, BACKDROP
        store16 OBJ_PALETTE + 2, NORMAL_COLOUR
        store16 OBJ_PALETTE + 32 + 2, SEMI_COLOUR
        fill32  OBJ_TILES + 32, 0x11111111, 16 * 8
        fill32  OAM, 0x00000200, 256
        object  0, 20, 40 | 0x8000, 1
        object  1, 20 | 0x0400, 120 | 0x8000, 1 | 1 << 12
        object  2, 110, 40 | 0x8000, 1
        object  3, 110 | 0x0400, 120 | 0x8000, 1 | 1 << 12
        io16    BLDALPHA, 6 << 8 | 11
        io16    0, 0x1040                                @ mode 0, 1D objects, objects only
        end_scene

raster:
        at_line 0, BLDCNT, 0x2050                        @ OBJ first, alpha, backdrop second
        at_line 80, BLDCNT, 0x0050                       @ OBJ first, alpha, no second target
        end_raster
