@ Our own sprite cartridge: mode 0 with a checkered text background seen only through window 0,
@ and three 32 x 32 objects (16 colours, one-dimensional mapping) blended over it 8/8:
@   object 0  a normal object sliding to the right, blended only inside the window
@   object 1  a semi-transparent object across the window's left edge
@   object 2  an affine double-size object turned by 45 degrees
@ Outside the window only objects show, over the backdrop. The frame count is at 0x02000000.
        .syntax unified
        .arm
        .section .text
        .global _start

        .equ    IO, 0x04000000
        .equ    VCOUNT, 0x006
        .equ    BG0CNT, 0x008
        .equ    WIN0H, 0x040
        .equ    WIN0V, 0x044
        .equ    WININ, 0x048
        .equ    WINOUT, 0x04A
        .equ    BLDCNT, 0x050
        .equ    BLDALPHA, 0x052
        .equ    PALETTE, 0x05000000
        .equ    VRAM, 0x06000000
        .equ    OAM, 0x07000000
        .equ    RESULTS, 0x02000000

_start:
        b       main
        .space  0xA0 - 4
        .ascii  "ORVANE OBJS\0"
        .ascii  "OOBJ"
        .ascii  "00"
        .space  0xC0 - 0xB2

main:
        mov     r0, #IO
        mov     r1, #0x80               @ forced blank while video memory is built
        strh    r1, [r0]
        bl      set_palettes
        bl      text_background
        bl      object_tiles
        bl      objects
        mov     r0, #IO
        ldr     r1, =100 << 8 | 200
        strh    r1, [r0, #WIN0H]
        ldr     r1, =20 << 8 | 120
        strh    r1, [r0, #WIN0V]
        ldr     r1, =0x31               @ inside: BG0, objects, effects
        strh    r1, [r0, #WININ]
        ldr     r1, =0x10               @ outside: objects only, no effects
        strh    r1, [r0, #WINOUT]
        ldr     r1, =0x0150             @ alpha: objects over BG0
        strh    r1, [r0, #BLDCNT]
        ldr     r1, =0x0808
        strh    r1, [r0, #BLDALPHA]
        ldr     r1, =0x3140             @ mode 0, 1D objects, BG0, objects, window 0
        strh    r1, [r0]
        mov     r4, #0
frame:
        bl      wait_frame
        add     r4, r4, #1
        ldr     r0, =RESULTS
        str     r4, [r0]
        and     r1, r4, #0xFF           @ object 0 slides across, wrapping through X 256-511
        orr     r1, r1, #0x8000         @ size 2: 32 x 32
        ldr     r0, =OAM
        strh    r1, [r0, #2]
        b       frame

@ Backdrop dark blue; background palette 1 a ramp; object palette 0: yellow, white, magenta, cyan.
set_palettes:
        ldr     r0, =PALETTE
        ldr     r1, =0x2800
        strh    r1, [r0]
        add     r0, r0, #34
        mov     r2, #1
1:      mov     r1, r2, lsl #2
        orr     r1, r1, r2, lsl #7
        orr     r1, r1, #0x4000
        strh    r1, [r0], #2
        add     r2, r2, #1
        cmp     r2, #10
        bne     1b
        ldr     r0, =PALETTE + 0x202
        adr     r1, object_colours
        mov     r2, #4
2:      ldrh    r3, [r1], #2
        strh    r3, [r0], #2
        subs    r2, r2, #1
        bne     2b
        bx      lr
object_colours:
        .hword  0x03FF, 0x7FFF, 0x7C1F, 0x7FE0

        .include "picture_routines.inc"

@ Sixteen object tiles: rows alternate between four colours and a band with transparent sides.
object_tiles:
        ldr     r0, =VRAM + 0x10000
        ldr     r1, =0x11223344
        ldr     r2, =0x00444400
        mov     r3, #0
1:      add     r12, r3, r3, lsr #3
        tst     r12, #1
        streq   r1, [r0], #4
        strne   r2, [r0], #4
        add     r3, r3, #1
        cmp     r3, #128
        bne     1b
        bx      lr

@ Every object hidden, then the three shown; affine group 0 turns by 45 degrees.
objects:
        ldr     r0, =OAM
        mov     r1, #0x200
        mov     r2, #128
1:      strh    r1, [r0], #8
        subs    r2, r2, #1
        bne     1b
        ldr     r0, =OAM
        adr     r1, object_attributes
        mov     r2, #3
2:      ldmia   r1!, {r3, r12}
        str     r3, [r0]                @ attributes 0 and 1
        strh    r12, [r0, #4]           @ attribute 2
        add     r0, r0, #8
        subs    r2, r2, #1
        bne     2b
        ldr     r0, =OAM + 6
        ldr     r1, =0xB5               @ PA = cos 45
        strh    r1, [r0]
        ldr     r1, =0xFF4B             @ PB = -sin 45
        strh    r1, [r0, #8]
        ldr     r1, =0xB5               @ PC = sin 45, PD = cos 45
        strh    r1, [r0, #16]
        strh    r1, [r0, #24]
        bx      lr
object_attributes:
        .word   40 | (40 | 0x8000) << 16, 0
        .word   30 | 0x0400 | (84 | 0x8000) << 16, 0
        .word   60 | 0x0300 | (130 | 0x8000) << 16, 0

        .ltorg
