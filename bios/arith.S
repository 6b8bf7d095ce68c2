@ Div, DivArm and Sqrt. Written in assembly because Div returns three registers.
        .syntax unified
        .arm
        .text

@ DivArm: Div with the operands exchanged (r0 = denominator, r1 = number).
        .global swi_div_arm
swi_div_arm:
        mov     r3, r0
        mov     r0, r1
        mov     r1, r3
        @ fall through

@ Div: r0 = number / denom (truncated toward zero), r1 = remainder with the sign of the
@ number, r3 = |quotient| as an unsigned value. INT_MIN / -1 wraps: r0 = INT_MIN,
@ r3 = 0x80000000.
@ A zero denominator returns r0 = 0, r1 = number, r3 = 0: the one answer that keeps
@ number == r0 * denom + r1, and small enough not to send a caller far out of bounds.
        .global swi_div
swi_div:
        cmp     r1, #0
        beq     div_by_zero
        eor     r2, r0, r1
        and     r2, r2, #0x80000000     @ bit 31: quotient negative
        orr     r2, r2, r0, lsr #31     @ bit 0: remainder negative
        cmp     r0, #0
        rsblt   r0, r0, #0
        cmp     r1, #0
        rsblt   r1, r1, #0
        mov     r3, #0                  @ |quotient|
        mov     r12, #1                 @ quotient bit matching the shifted divisor
div_align:
        cmp     r1, r0
        bhs     div_step
        tst     r1, #0x80000000
        bne     div_step
        mov     r1, r1, lsl #1
        mov     r12, r12, lsl #1
        b       div_align
div_step:
        cmp     r0, r1
        subhs   r0, r0, r1
        orrhs   r3, r3, r12
        mov     r1, r1, lsr #1
        movs    r12, r12, lsr #1
        bne     div_step
        tst     r2, #1
        rsbne   r1, r0, #0
        moveq   r1, r0
        tst     r2, #0x80000000
        rsbne   r0, r3, #0
        moveq   r0, r3
        bx      lr
div_by_zero:
        mov     r1, r0
        mov     r0, #0
        mov     r3, #0
        bx      lr

@ Sqrt: r0 = floor(sqrt(r0)) for the full unsigned 32-bit range, bit by bit.
        .global swi_sqrt
swi_sqrt:
        mov     r1, #0                  @ root so far
        mov     r3, #0x40000000         @ highest power of four not above the number
sqrt_align:
        cmp     r3, r0
        movhi   r3, r3, lsr #2
        bhi     sqrt_align
sqrt_step:
        cmp     r3, #0
        beq     sqrt_done
        add     r2, r1, r3
        cmp     r0, r2
        subhs   r0, r0, r2
        mov     r1, r1, lsr #1
        addhs   r1, r1, r3
        mov     r3, r3, lsr #2
        b       sqrt_step
sqrt_done:
        mov     r0, r1
        bx      lr
