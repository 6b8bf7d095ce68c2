@ Byte stores (STRB) to video memory, each over a halfword first set to 0x1234. Palette RAM and
@ background VRAM take the byte in both halves; object tiles and OAM keep what they held. The
@ object tile area starts at 0x06010000 in mode 0 and at 0x06014000 in mode 3.
        .include "scene.inc"

scene:
        store16 PALETTE + 2, 0x1234
        store8  PALETTE + 3, 0x3C
        store16 VRAM + 4, 0x1234
        store8  VRAM + 5, 0x77
        store16 OAM + 8, 0x1234
        store8  OAM + 9, 0x11
        io16    0, 0x0080                                @ mode 0 (forced blank)
        store16 OBJ_TILES + 6, 0x1234
        store8  OBJ_TILES + 6, 0x5A
        store16 OBJ_TILES + 0x200C, 0x1234
        store8  OBJ_TILES + 0x200C, 0x5D
        io16    0, 0x0083                                @ mode 3 (forced blank)
        store16 OBJ_TILES + 0x2008, 0x1234
        store8  OBJ_TILES + 0x2008, 0x5B
        store16 OBJ_TILES + 0x400A, 0x1234
        store8  OBJ_TILES + 0x400B, 0x5C
        end_scene

raster:
        end_raster
