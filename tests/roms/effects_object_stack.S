@ A semi-transparent object over an opaque object over a second-target background: only the top
@ object pixel takes part in blending, so the semi-transparent one blends with BG0 beneath both.
@ No colour effect is selected; BG0 is a second target; EVA 9, EVB 7.
@   object 1  normal, 32 x 32 at (40, 40)      object 0  semi-transparent, 32 x 32 at (56, 56)
@   object 2  normal, 32 x 32 at (150, 40)     object 3  semi-transparent, 32 x 32 at (134, 24)
@ Objects 0 and 3 use object palette 1, objects 1 and 2 palette 0.
        .include "scene.inc"

        rgb5    BG_COLOUR, 4, 28, 12
        rgb5    NORMAL_COLOUR, 30, 6, 2
        rgb5    SEMI_COLOUR, 8, 14, 31

scene:
        store16 PALETTE + 2, BG_COLOUR
        store16 OBJ_PALETTE + 2, NORMAL_COLOUR
        store16 OBJ_PALETTE + 32 + 2, SEMI_COLOUR
        fill32  VRAM + 32, 0x11111111, 8                 @ BG tile 1: solid colour 1
        fill32  VRAM + 31 * 2048, 0x00010001, 512        @ BG0 map: tile 1 everywhere
        fill32  OBJ_TILES + 32, 0x11111111, 16 * 8       @ object tiles 1-16: solid colour 1
        fill32  OAM, 0x00000200, 256                     @ every object hidden
        object  0, 56 | 0x0400, 56 | 0x8000, 1 | 1 << 12
        object  1, 40, 40 | 0x8000, 1
        object  2, 40, 150 | 0x8000, 1
        object  3, 24 | 0x0400, 134 | 0x8000, 1 | 1 << 12
        io16    BG0CNT, 31 << 8
        io16    BLDCNT, 0x0100
        io16    BLDALPHA, 7 << 8 | 9
        io16    0, 0x1140                                @ mode 0, 1D objects, BG0, objects
        end_scene

raster:
        end_raster
