@ Our own small test cartridge: counts V-blank and timer interrupts through the BIOS's IRQ
@ dispatch, waits for 100 V-blanks with VBlankIntrWait, then idles. Results in EWRAM:
@   0x02000000  V-blank interrupts seen by the handler
@   0x02000004  timer 1 interrupts (timer 1 overflows once per 280896 cycles, one frame)
@   0x02000008  VBlankIntrWait calls that returned
@   0x0200000C  0x600D once 100 of them have returned
        .syntax unified
        .arm
        .section .text
        .global _start

        .equ    IO, 0x04000000
        .equ    DISPSTAT, 0x004
        .equ    TM1CNT_L, 0x104
        .equ    IE, 0x200
        .equ    IME, 0x208
        .equ    RESULTS, 0x02000000
        .equ    USER_IRQ_HANDLER, 0x03007FFC
        .equ    INTR_CHECK_FLAGS, 0x03007FF8
        .include "interrupts.inc"
        .equ    WAITS, 100

_start:
        CARTRIDGE_HEADER "ORVANE DEMO\0", "ODMO"

main:
        ENABLE_INTERRUPTS 0x0011          @ V-blank and timer 1
        mov     r1, #1
        strh    r1, [r2, #(IME - 0x200)]
        ldr     r1, =(0x10000 - 4389) | (0x00C1 << 16)  @ 4389 ticks of 64 cycles, interrupt, run
        str     r1, [r0, #TM1CNT_L]
        ldr     r5, =RESULTS
        mov     r4, #0
wait:
        swi     0x050000                @ VBlankIntrWait
        add     r4, r4, #1
        str     r4, [r5, #8]
        cmp     r4, #WAITS
        blt     wait
        ldr     r1, =0x600D
        str     r1, [r5, #12]
idle:
        b       idle

@ Called by the BIOS in IRQ mode with r0-r3 free; returns with bx lr.
irq_handler:
        ACKNOWLEDGE_INTERRUPTS
        ldr     r2, =RESULTS
        tst     r1, #0x0001
        ldrne   r3, [r2]
        addne   r3, r3, #1
        strne   r3, [r2]
        tst     r1, #0x0010
        ldrne   r3, [r2, #4]
        addne   r3, r3, #1
        strne   r3, [r2, #4]
        bx      lr
        .ltorg
