@ Console-side routines the BIOS tests install as user IRQ handlers. Linked at ROUTINES_BASE
@ (0x08010000); each one starts at a fixed offset that harness.h repeats. They record what
@ they saw in the data block at 0x03000F00 (layout in harness.h).
        .syntax unified
        .equ    DATA, 0x03000F00
        .equ    CHECK_FLAGS, 0x03007FF8

        .text
        .global _start
_start:

@ +0x000: ARM handler. Counts its calls, records CPSR, sp and lr, then leaves every register
@ the BIOS entry saved (r0-r3, r12) and the flags scrambled, to prove they are restored.
        .arm
        .org    0x000
irq_arm:
        ldr     r0, =DATA
        ldr     r1, [r0]
        add     r1, r1, #1
        str     r1, [r0]
        mrs     r1, cpsr
        str     r1, [r0, #0x04]
        str     sp, [r0, #0x08]
        str     lr, [r0, #0x0C]
        ldr     r0, =0xDEAD0001
        mov     r1, r0
        mov     r2, r0
        mov     r3, r0
        mov     r12, r0
        msr     cpsr_f, #0xF0000000
        bx      lr
        .ltorg

@ +0x100: the same in Thumb state (entered with bx to an odd address).
        .org    0x100
        .thumb
        .thumb_func
irq_thumb:
        ldr     r0, =DATA
        ldr     r1, [r0]
        adds    r1, r1, #1
        str     r1, [r0]
        mov     r1, sp
        str     r1, [r0, #0x08]
        mov     r1, lr
        str     r1, [r0, #0x0C]
        ldr     r0, =0xDEAD0002
        movs    r1, r0
        movs    r2, r0
        movs    r3, r0
        mov     r12, r0
        bx      lr
        .align  2
        .ltorg

@ +0x200: the handler IntrWait expects: acknowledges IF, ORs the same bits into the check
@ flags, counts its calls and records the last IF value at DATA+0x10.
        .org    0x200
        .arm
irq_ack:
        mov     r3, #0x04000000
        add     r3, r3, #0x200
        ldrh    r1, [r3, #2]
        strh    r1, [r3, #2]
        ldr     r0, =CHECK_FLAGS
        ldrh    r2, [r0]
        orr     r2, r2, r1
        strh    r2, [r0]
        ldr     r0, =DATA
        ldr     r2, [r0]
        add     r2, r2, #1
        str     r2, [r0]
        str     r1, [r0, #0x10]
        bx      lr
        .ltorg

@ +0x300: like irq_ack, and also calls Div (-1234 / 10) through a nested SWI from IRQ mode,
@ storing r0, r1, r3 at DATA+0x14.
        .org    0x300
irq_ack_nested_swi:
        stmfd   sp!, {r4, lr}
        mov     r3, #0x04000000
        add     r3, r3, #0x200
        ldrh    r4, [r3, #2]
        strh    r4, [r3, #2]
        ldr     r0, =-1234
        mov     r1, #10
        swi     0x060000
        ldr     r2, =DATA
        str     r0, [r2, #0x14]
        str     r1, [r2, #0x18]
        str     r3, [r2, #0x1C]
        ldr     r0, [r2]
        add     r0, r0, #1
        str     r0, [r2]
        str     r4, [r2, #0x10]
        ldr     r0, =CHECK_FLAGS
        ldrh    r2, [r0]
        orr     r2, r2, r4
        strh    r2, [r0]
        ldmfd   sp!, {r4, lr}
        bx      lr
        .ltorg
