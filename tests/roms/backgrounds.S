@ Our own picture cartridge: shows every background mode in turn, FRAMES_PER_MODE frames each,
@ then starts over. The mode now shown is at 0x02000000.
@   mode 0  a 16-colour text background of checkered tiles, scrolling to the right
@   mode 1  the same text background under a wrapping affine background of coloured squares
@   mode 2  the affine background alone, turned by 45 degrees
@   mode 3  a 15-bit colour gradient, red across and green down
@   mode 4  a palette bitmap of diagonal bands
@   mode 5  a 160 x 128 blue-red gradient inside the backdrop
        .syntax unified
        .arm
        .section .text
        .global _start

        .equ    IO, 0x04000000
        .equ    VCOUNT, 0x006
        .equ    BG0CNT, 0x008
        .equ    BG2CNT, 0x00C
        .equ    BG0HOFS, 0x010
        .equ    BG2PA, 0x020
        .equ    BG2X, 0x028
        .equ    PALETTE, 0x05000000
        .equ    VRAM, 0x06000000
        .equ    RESULTS, 0x02000000
        .equ    FRAMES_PER_MODE, 30

_start:
        b       main
        .space  0xA0 - 4
        .ascii  "ORVANE BGS\0\0"
        .ascii  "OBGS"
        .ascii  "00"
        .space  0xC0 - 0xB2

main:
        bl      set_palette
        mov     r4, #0                  @ mode shown
next_mode:
        mov     r0, #IO
        mov     r1, #0x80               @ forced blank while video memory is rebuilt
        strh    r1, [r0]
        ldr     r1, =RESULTS
        str     r4, [r1]
        bl      reset_affine
        adr     r1, setups
        mov     lr, pc
        ldr     pc, [r1, r4, lsl #2]    @ leaves DISPCNT in r0
        mov     r1, #IO
        strh    r0, [r1]
        mov     r5, #FRAMES_PER_MODE
show:
        bl      wait_frame
        mov     r1, #IO
        strh    r5, [r1, #BG0HOFS]      @ the text background scrolls
        subs    r5, r5, #1
        bne     show
        add     r4, r4, #1
        cmp     r4, #6
        moveq   r4, #0
        b       next_mode

setups:
        .word   setup_mode0, setup_mode1, setup_mode2, setup_mode3, setup_mode4, setup_mode5

@ Background palette: entry 0 a dark blue backdrop, 1-255 a ramp through red, green and blue.
set_palette:
        ldr     r0, =PALETTE
        ldr     r1, =0x2800
        strh    r1, [r0], #2
        mov     r2, #1
1:      and     r1, r2, #31             @ red from the low bits
        mov     r3, r2, lsr #3
        orr     r1, r1, r3, lsl #5      @ green from the high bits
        eor     r3, r3, #31
        orr     r1, r1, r3, lsl #10     @ blue falls as green rises
        strh    r1, [r0], #2
        add     r2, r2, #1
        cmp     r2, #256
        bne     1b
        bx      lr

@ BG2: identity scale, reference point 0, latched now and at every V-blank.
reset_affine:
        ldr     r0, =IO + BG2PA
        ldr     r1, =0x00000100         @ PA = 1, PB = 0
        str     r1, [r0]
        ldr     r1, =0x01000000         @ PC = 0, PD = 1
        str     r1, [r0, #4]
        mov     r1, #0
        str     r1, [r0, #8]            @ BG2X
        str     r1, [r0, #12]           @ BG2Y
        bx      lr

        .include "picture_routines.inc"

@ Affine background 2: 256-colour tiles at 0x06004000 (tile t solid in colour 16 t), a 128-pixel
@ map in screen block 30 of tiles 0-15 in a diagonal order, wrapping.
affine_background:
        ldr     r0, =VRAM + 0x4000
        mov     r3, #0
1:      mov     r1, r3, lsr #6
        mov     r1, r1, lsl #4
        add     r1, r1, #8
        orr     r1, r1, r1, lsl #8
        orr     r1, r1, r1, lsl #16
        str     r1, [r0], #4
        add     r3, r3, #4
        cmp     r3, #1024
        bne     1b
        ldr     r0, =VRAM + 30 * 2048
        mov     r3, #0
2:      add     r1, r3, r3, lsr #4      @ a byte store would fill both bytes: pairs as halfwords
        and     r1, r1, #15
        add     r2, r1, #1
        and     r2, r2, #15
        orr     r1, r1, r2, lsl #8
        strh    r1, [r0], #2
        add     r3, r3, #2
        cmp     r3, #256
        bne     2b
        mov     r0, #IO
        ldr     r1, =0x3E04             @ char block 1, screen block 30, wrap, 128 x 128
        strh    r1, [r0, #BG2CNT]
        bx      lr

setup_mode0:
        push    {lr}
        bl      text_background
        ldr     r0, =0x0100
        pop     {pc}

setup_mode1:
        push    {lr}
        bl      text_background
        bl      affine_background
        ldr     r0, =0x0501
        pop     {pc}

setup_mode2:
        push    {lr}
        bl      affine_background
        ldr     r0, =IO + BG2PA
        ldr     r1, =0xFF4B00B5         @ PA = cos 45, PB = -sin 45
        str     r1, [r0]
        ldr     r1, =0x00B500B5         @ PC = sin 45, PD = cos 45
        str     r1, [r0, #4]
        ldr     r0, =0x0402
        pop     {pc}

@ Modes 3 and 5: colour = x / 8 red, y / 8 green (mode 5: blue from y, red from x).
setup_mode3:
        ldr     r0, =VRAM
        mov     r2, #0                  @ y
1:      mov     r3, #0                  @ x
2:      mov     r1, r3, lsr #3
        mov     r12, r2, lsr #3
        orr     r1, r1, r12, lsl #5
        strh    r1, [r0], #2
        add     r3, r3, #1
        cmp     r3, #240
        bne     2b
        add     r2, r2, #1
        cmp     r2, #160
        bne     1b
        ldr     r0, =0x0403
        bx      lr

setup_mode4:
        ldr     r0, =VRAM
        mov     r2, #0
1:      mov     r3, #0
2:      add     r1, r2, r3
        and     r1, r1, #0xF0
        add     r1, r1, #1
        strb    r1, [r0], #1            @ each byte store fills its halfword: twice the same
        strb    r1, [r0], #1
        add     r3, r3, #2
        cmp     r3, #240
        bne     2b
        add     r2, r2, #1
        cmp     r2, #160
        bne     1b
        ldr     r0, =0x0404
        bx      lr

setup_mode5:
        ldr     r0, =VRAM
        mov     r2, #0
1:      mov     r3, #0
2:      mov     r1, r3, lsr #3
        mov     r12, r2, lsr #2
        orr     r1, r1, r12, lsl #10
        strh    r1, [r0], #2
        add     r3, r3, #1
        cmp     r3, #160
        bne     2b
        add     r2, r2, #1
        cmp     r2, #128
        bne     1b
        ldr     r0, =0x0405
        bx      lr

        .ltorg
