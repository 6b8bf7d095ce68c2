@ A test cartridge that keeps a save: counts V-blanks through the BIOS's IRQ dispatch and, after
@ its tenth VBlankIntrWait, writes 256 bytes to SRAM (byte N is N xor 0xA5) once; then it waits for
@ V-blanks forever without touching SRAM again. Results in EWRAM:
@   0x02000000  V-blank interrupts seen by the handler (the game's frame counter)
@   0x02000004  VBlankIntrWait calls that returned
@   0x02000008  0x5AFE once the save has been written
        .syntax unified
        .arm
        .section .text
        .global _start

        .equ    IO, 0x04000000
        .equ    DISPSTAT, 0x004
        .equ    IE, 0x200
        .equ    IME, 0x208
        .equ    RESULTS, 0x02000000
        .equ    SRAM, 0x0E000000
        .equ    SAVE_BYTES, 256
        .equ    SAVE_AFTER_WAITS, 10
        .equ    USER_IRQ_HANDLER, 0x03007FFC
        .equ    INTR_CHECK_FLAGS, 0x03007FF8
        .include "interrupts.inc"

_start:
        CARTRIDGE_HEADER "ORVANE SAVES", "OSAV"

main:
        ENABLE_INTERRUPTS 0x0001          @ V-blank only
        mov     r1, #1
        strh    r1, [r2, #(IME - 0x200)]
        ldr     r5, =RESULTS
        mov     r4, #0
wait:
        swi     0x050000                @ VBlankIntrWait
        add     r4, r4, #1
        str     r4, [r5, #4]
        cmp     r4, #SAVE_AFTER_WAITS
        bne     wait
        ldr     r6, =SRAM
        mov     r7, #0
fill:
        eor     r1, r7, #0xA5
        strb    r1, [r6, r7]            @ SRAM takes bytes only
        add     r7, r7, #1
        cmp     r7, #SAVE_BYTES
        blt     fill
        ldr     r1, =0x5AFE
        str     r1, [r5, #8]
        b       wait

@ Called by the BIOS in IRQ mode with r0-r3 free; returns with bx lr.
irq_handler:
        ACKNOWLEDGE_INTERRUPTS
        ldr     r2, =RESULTS
        tst     r1, #0x0001
        ldrne   r3, [r2]
        addne   r3, r3, #1
        strne   r3, [r2]
        bx      lr
        .ltorg
