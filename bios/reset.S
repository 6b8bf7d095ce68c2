@ Reset paths: the power-on path behind the reset vector (also HardReset, SWI 0x26) and
@ SoftReset (SWI 0x00).
        .syntax unified
        .arm
        .text

        .equ    IWRAM_TOP_AREA, 0x03007E00  @ stacks, IRQ handler pointer and flags
        .equ    ROM_ENTRY, 0x08000000
        .equ    EWRAM_ENTRY, 0x02000000

@ Power-on state without the intro: all RAM zero, I/O registers reset as RegisterRamReset
@ 0xFF leaves them (display in forced blank), POSTFLG = 1, the stacks the emulator's own CPU
@ reset uses, and the cartridge entered in System mode, ARM state, interrupts unmasked -
@ exactly where the emulator starts a game. Reachable from any mode.
        .global hard_reset
hard_reset:
        msr     cpsr_c, #0xD3           @ Supervisor, IRQ/FIQ masked
        mov     r0, #0x04000000
        add     r0, r0, #0x200
        mov     r1, #0
        strh    r1, [r0, #0x08]         @ IME = 0
        mov     sp, #0x03000000
        add     sp, sp, #0x7F00         @ scratch stack inside the area cleared last
        mov     r0, #0xFF
        bl      swi_register_ram_reset  @ leaves IWRAM_TOP_AREA alone
        mov     r0, #0x03000000
        add     r0, r0, #(IWRAM_TOP_AREA - 0x03000000)
        bl      clear_top_area
        mov     r0, #0x04000000
        mov     r1, #1
        strb    r1, [r0, #0x300]        @ POSTFLG: boot done
        mov     r1, #0x03000000         @ r1: not banked in FIQ mode, unlike r8-r12
        add     r1, r1, #0x7F00
        msr     cpsr_c, #0xD1           @ FIQ
        add     sp, r1, #0xA0
        msr     cpsr_c, #0xD2           @ IRQ
        add     sp, r1, #0xA0
        msr     cpsr_c, #0xD7           @ Abort
        add     sp, r1, #0xF0
        msr     cpsr_c, #0xDB           @ Undefined
        add     sp, r1, #0xF0
        msr     cpsr_c, #0xD3           @ Supervisor
        add     sp, r1, #0xE0
        msr     cpsr_c, #0xDF           @ System
        mov     sp, r1
        mov     lr, #ROM_ENTRY
        b       enter_program

@ SoftReset, entered from the dispatcher in System mode. The re-entry flag at 0x03007FFA picks
@ the restart address (0: cartridge at 0x08000000, else 0x02000000) and must be read before
@ the area holding it is cleared. The dispatcher's saved state is abandoned with the stacks.
        .global swi_soft_reset
swi_soft_reset:
        mov     r12, #0x03000000
        add     r12, r12, #(IWRAM_TOP_AREA - 0x03000000)
        ldrb    r4, [r12, #0x1FA]
        mov     r0, #0
        msr     cpsr_c, #0xD3           @ Supervisor
        add     sp, r12, #0x1E0
        mov     lr, #0
        msr     spsr_cxsf, r0
        msr     cpsr_c, #0xD2           @ IRQ
        add     sp, r12, #0x1A0
        mov     lr, #0
        msr     spsr_cxsf, r0
        msr     cpsr_c, #0xDF           @ System, still masked while RAM is cleared
        add     sp, r12, #0x100
        mov     r0, r12
        bl      clear_top_area
        cmp     r4, #0
        moveq   lr, #ROM_ENTRY
        movne   lr, #EWRAM_ENTRY
        @ fall through

@ r0-r12 = 0, CPSR = 0x1F (System mode, flags clear, interrupts unmasked), jump to lr in ARM
@ state.
enter_program:
        mov     r0, #0
        mov     r1, #0
        mov     r2, #0
        mov     r3, #0
        mov     r4, #0
        mov     r5, #0
        mov     r6, #0
        mov     r7, #0
        mov     r8, #0
        mov     r9, #0
        mov     r10, #0
        mov     r11, #0
        mov     r12, #0
        msr     cpsr_fc, #0x1F
        bx      lr

@ Zeroes the 0x200 bytes at r0 without touching the stack (it lives there).
@ Clobbers r0-r3, r12.
clear_top_area:
        mov     r1, #0
        mov     r2, #0
        mov     r3, #0
        add     r12, r0, #0x200
1:      stmia   r0!, {r1-r3}
        str     r1, [r0], #4
        cmp     r0, r12
        blo     1b
        bx      lr
