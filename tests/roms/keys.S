@ Our own test cartridge for held buttons: once a frame, after its V-blank interrupt, reads
@ KEYINPUT and counts the frames in which buttons were held. Results in EWRAM:
@   0x02000000  frames with A held
@   0x02000004  frames with Start held
@   0x02000008  frames seen
        .syntax unified
        .arm
        .section .text
        .global _start

        .equ    IO, 0x04000000
        .equ    DISPSTAT, 0x004
        .equ    KEYINPUT, 0x130
        .equ    IE, 0x200
        .equ    IME, 0x208
        .equ    RESULTS, 0x02000000
        .equ    USER_IRQ_HANDLER, 0x03007FFC
        .equ    INTR_CHECK_FLAGS, 0x03007FF8
        .include "interrupts.inc"
        .equ    KEY_A, 0x0001
        .equ    KEY_START, 0x0008

_start:
        CARTRIDGE_HEADER "ORVANE KEYS\0", "OKEY"

main:
        ENABLE_INTERRUPTS 0x0001          @ V-blank
        mov     r1, #1
        strh    r1, [r2, #(IME - 0x200)]
        ldr     r5, =RESULTS
frame:
        swi     0x050000                @ VBlankIntrWait
        ldr     r0, =IO + KEYINPUT
        ldrh    r1, [r0]                @ a pressed button reads 0
        tst     r1, #KEY_A
        ldreq   r2, [r5]
        addeq   r2, r2, #1
        streq   r2, [r5]
        tst     r1, #KEY_START
        ldreq   r2, [r5, #4]
        addeq   r2, r2, #1
        streq   r2, [r5, #4]
        ldr     r2, [r5, #8]
        add     r2, r2, #1
        str     r2, [r5, #8]
        b       frame

@ Called by the BIOS in IRQ mode with r0-r3 free; returns with bx lr.
irq_handler:
        ACKNOWLEDGE_INTERRUPTS
        bx      lr
        .ltorg
