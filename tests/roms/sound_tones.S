@ Our own sound test cartridge: a steady tone on channel 2 to the left side only, and a square
@ wave through FIFO A to the right side only, its samples brought by DMA 1 in sound mode at the
@ rate timer 0 sets. Then it idles; the checker measures both sides of the recorded sound.
@   channel 2: frequency value 1750, 50 % duty, volume 15, no length, no envelope
@              -> 131072 / (2048 - 1750) Hz
@   FIFO A:    timer 0 reload 0xFC00 (1024 cycles a sample, 16384 samples a second); the
@              samples repeat 16 x +100, 16 x -100 -> 16384 / 32 = 512 Hz
        .syntax unified
        .arm
        .section .text
        .global _start

        .equ    IO, 0x04000000
        .equ    SOUND2CNT_L, 0x068
        .equ    SOUND2CNT_H, 0x06C
        .equ    SOUNDCNT_L, 0x080
        .equ    SOUNDCNT_H, 0x082
        .equ    SOUNDCNT_X, 0x084
        .equ    FIFO_A, 0x0A0
        .equ    DMA1SAD, 0x0BC
        .equ    DMA1DAD, 0x0C0
        .equ    DMA1CNT_H, 0x0C6
        .equ    TM0CNT_L, 0x100

_start:
        b       main
        .space  0xA0 - 4
        .ascii  "ORVANE SOUND"
        .ascii  "OSND"
        .ascii  "00"
        .space  0xC0 - 0xB2

main:
        mov     r0, #IO
        mov     r1, #0x0080             @ master enable first: the other registers need it
        strh    r1, [r0, #SOUNDCNT_X]
        ldr     r1, =0x2077             @ both sides at volume 7, channel 2 on the left only
        strh    r1, [r0, #SOUNDCNT_L]
        ldr     r1, =0x0906             @ PSG 100 %, FIFO A 100 %, right only, timer 0, reset A
        strh    r1, [r0, #SOUNDCNT_H]
        ldr     r1, =0xF080             @ volume 15, no envelope, 50 % duty
        strh    r1, [r0, #SOUND2CNT_L]
        ldr     r1, =0x86D6             @ restart, frequency value 1750, no length
        strh    r1, [r0, #SOUND2CNT_H]
        ldr     r1, =square_wave
        str     r1, [r0, #DMA1SAD]
        ldr     r1, =(IO + FIFO_A)
        str     r1, [r0, #DMA1DAD]
        ldr     r1, =0xB640             @ enable, sound start, 32-bit, repeat, fixed destination
        strh    r1, [r0, #DMA1CNT_H]
        ldr     r1, =0x0080FC00         @ timer 0: reload 0xFC00, prescaler 1, running
        str     r1, [r0, #TM0CNT_L]
idle:
        b       idle
        .ltorg

        .balign 4
square_wave:                            @ 4096 periods: 8 seconds at 16384 samples a second
        .rept   4096
        .fill   16, 1, 100
        .fill   16, 1, 0x9C             @ -100
        .endr
