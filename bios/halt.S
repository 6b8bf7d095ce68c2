@ Halt, Stop, CustomHalt, IntrWait and VBlankIntrWait: everything that writes HALTCNT.
        .syntax unified
        .arm
        .text

        .equ    HALTCNT, 0x301          @ from 0x04000000, byte register
        .equ    IME, 0x208
        .equ    CHECK_FLAGS, 0xF8       @ from 0x03007F00: flags the user IRQ handler sets

@ Halt / Stop / CustomHalt change no register the caller sees: r2 is restored by the
@ dispatcher.
        .global swi_halt
swi_halt:
        mov     r2, #0x00
        b       write_haltcnt

        .global swi_stop
swi_stop:
        mov     r2, #0x80
        b       write_haltcnt

@ CustomHalt: r2 = the byte to write.
        .global swi_custom_halt
swi_custom_halt:
write_haltcnt:
        mov     r12, #0x04000000
        strb    r2, [r12, #HALTCNT]
        bx      lr

        .global swi_vblank_intr_wait
swi_vblank_intr_wait:
        mov     r0, #1
        mov     r1, #1
        @ fall through

@ IntrWait: r0 = 0 to return at once if an awaited flag is already set, nonzero to discard
@ those flags first; r1 = awaited IE/IF bits. Sets IME = 1, then halts until the user IRQ
@ handler has ORed one of the awaited bits into the check flags at 0x03007FF8, clears the
@ awaited bits there and returns.
@ The flags are examined with IRQs masked, so an interrupt arriving between the check and the
@ halt cannot be lost: the halt then ends at once (IE & IF != 0) and the IRQ is taken when
@ the mask is lifted. IRQs are unmasked while waiting even if the caller had masked them,
@ since no flag could ever arrive otherwise.
        .global swi_intr_wait
swi_intr_wait:
        stmfd   sp!, {r4}
        mov     r3, #0x04000000
        add     r12, r3, #0x200
        mov     r2, #1
        strh    r2, [r12, #(IME - 0x200)]
        mrs     r4, cpsr
        orr     r2, r4, #0x80
        msr     cpsr_c, r2              @ mask IRQs while the flags are examined
        mov     r12, #0x03000000
        add     r12, r12, #0x7F00
        cmp     r0, #0
        ldrhne  r2, [r12, #CHECK_FLAGS]
        bicne   r2, r2, r1
        strhne  r2, [r12, #CHECK_FLAGS]
intr_wait_check:
        ldrh    r2, [r12, #CHECK_FLAGS]
        tst     r2, r1
        bne     intr_wait_done
        mov     r0, #0
        strb    r0, [r3, #HALTCNT]      @ halt until IE & IF != 0
        bic     r0, r4, #0x80
        msr     cpsr_c, r0              @ the pending IRQ is taken here...
        b       intr_wait_remask        @ ...or at this block boundary at the latest
intr_wait_remask:
        orr     r0, r4, #0x80
        msr     cpsr_c, r0
        b       intr_wait_check
intr_wait_done:
        bic     r2, r2, r1
        strh    r2, [r12, #CHECK_FLAGS]
        msr     cpsr_c, r4
        ldmfd   sp!, {r4}
        bx      lr
