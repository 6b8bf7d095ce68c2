@ CpuSet, CpuFastSet, GetBiosChecksum and the block fill used by the reset functions.
        .syntax unified
        .arm
        .text

        .equ    FILL_BIT, 0x01000000    @ bit 24: source address fixed (fill)
        .equ    WORD_BIT, 0x04000000    @ bit 26: 32-bit units (CpuSet)
        .equ    FIRST_SOURCE, 0x02000000

@ Like the console, both copy functions refuse to read from the BIOS: they return without
@ writing anything when the first or the last source byte they would read lies below
@ 0x02000000 (the BIOS and the unused space after it; a range that wraps past 0xFFFFFFFF ends
@ there too). Addresses are forced to unit alignment, as the bus does for these accesses.

@ Returns (bx lr) when the first or the last source byte of r3 units of 1 << shift bytes at r0
@ (one unit when filling) lies below FIRST_SOURCE. Aligns r0 and r1 to the unit first.
.macro REFUSE_BIOS_SOURCE shift
        bic     r0, r0, #((1 << \shift) - 1)
        bic     r1, r1, #((1 << \shift) - 1)
        tst     r2, #FILL_BIT
        moveq   r12, r3, lsl #\shift   @ source bytes read
        movne   r12, #(1 << \shift)
        add     r12, r0, r12
        sub     r12, r12, #1            @ last source byte
        cmp     r0, #FIRST_SOURCE
        bxlo    lr
        cmp     r12, #FIRST_SOURCE
        bxlo    lr
.endm

@ CpuSet: r0 = source, r1 = destination, r2 = count (bits 0-20) | FILL_BIT | WORD_BIT.
        .global swi_cpu_set
swi_cpu_set:
        mov     r3, r2, lsl #11
        movs    r3, r3, lsr #11         @ units to write
        bxeq    lr
        tst     r2, #WORD_BIT
        bne     cpu_set_32
        REFUSE_BIOS_SOURCE 1
        tst     r2, #FILL_BIT
        bne     cpu_fill_16
cpu_copy_16:
        ldrh    r12, [r0], #2
        strh    r12, [r1], #2
        subs    r3, r3, #1
        bne     cpu_copy_16
        bx      lr
cpu_fill_16:
        ldrh    r12, [r0]
1:      strh    r12, [r1], #2
        subs    r3, r3, #1
        bne     1b
        bx      lr

cpu_set_32:
        REFUSE_BIOS_SOURCE 2
        tst     r2, #FILL_BIT
        bne     cpu_fill_32
cpu_copy_32:
        ldr     r12, [r0], #4
        str     r12, [r1], #4
        subs    r3, r3, #1
        bne     cpu_copy_32
        bx      lr
cpu_fill_32:
        ldr     r12, [r0]
1:      str     r12, [r1], #4
        subs    r3, r3, #1
        bne     1b
        bx      lr

@ CpuFastSet: r0 = source, r1 = destination, r2 = word count (bits 0-20) | FILL_BIT. The
@ count is rounded up to a multiple of 8 words, as on the console; each block of 8 words
@ moves with one LDMIA/STMIA pair.
        .global swi_cpu_fast_set
swi_cpu_fast_set:
        mov     r3, r2, lsl #11
        movs    r3, r3, lsr #11
        bxeq    lr
        add     r3, r3, #7
        bic     r3, r3, #7
        REFUSE_BIOS_SOURCE 2
        stmfd   sp!, {r4-r10}
        tst     r2, #FILL_BIT
        bne     fast_fill
fast_copy:
        ldmia   r0!, {r2, r4-r10}
        stmia   r1!, {r2, r4-r10}
        subs    r3, r3, #8
        bne     fast_copy
        b       fast_done
fast_fill:
        ldr     r2, [r0]
        mov     r4, r2
        mov     r5, r2
        mov     r6, r2
        mov     r7, r2
        mov     r8, r2
        mov     r9, r2
        mov     r10, r2
1:      stmia   r1!, {r2, r4-r10}
        subs    r3, r3, #8
        bne     1b
fast_done:
        ldmfd   sp!, {r4-r10}
        bx      lr

@ GetBiosChecksum: r0 = the sum, modulo 2^32, of the 4096 little-endian words of this
@ image, read with IRQ and FIQ masked.
        .global swi_bios_checksum
swi_bios_checksum:
        mrs     r12, cpsr
        orr     r3, r12, #0xC0
        msr     cpsr_c, r3
        mov     r0, #0
        mov     r1, #0
1:      ldr     r3, [r1], #4
        add     r0, r0, r3
        cmp     r1, #0x4000
        bne     1b
        msr     cpsr_c, r12
        bx      lr

@ void bios_fill32(void *dst, u32 value, u32 bytes): bytes is a multiple of 32.
        .global bios_fill32
bios_fill32:
        stmfd   sp!, {r4-r9}
        mov     r3, r1
        mov     r4, r1
        mov     r5, r1
        mov     r6, r1
        mov     r7, r1
        mov     r8, r1
        mov     r9, r1
1:      subs    r2, r2, #32
        stmiage r0!, {r1, r3-r9}
        bgt     1b
        ldmfd   sp!, {r4-r9}
        bx      lr
