/* The runtime routines that 32-bit ARM generated code calls: ARM state, ARMv4 instructions. See
   block_code.h for the register conventions. The register area lives on the host stack, 1024
   bytes above the stack pointer that generated code runs with, so guest slot n is at
   [sp, #SLOT(n)] whenever sp is that base; a routine that pushes anything touches no slot until
   it has popped it again. Every routine saves the host flags (the guest's) into r11 on entry and
   puts them back unless it replaces them on purpose. Calls into C++ keep r12 (the budget) and lr
   on the stack themselves, 8 bytes at a time, so the stack stays 8-byte aligned as AAPCS wants;
   r4-r11 survive such calls by the calling convention. */

#include "cpu/state_offsets.h"

        .syntax unified
        .arm
        .text

#define SLOT(n) (1024 + 4 * (n))
#define CPSR_T 0x20

#if STATE_MAP_ENTRY_SIZE != 4
#error "the page tables must hold 32-bit pointers on this host"
#endif

.macro FUNCTION name
        .global \name
        .type   \name, %function
        .balign 4
\name:
.endm

/* reg = the address of `symbol`, position-independently. */
.macro ADDR reg, symbol
        ldr     \reg, 91f
90:     add     \reg, pc, \reg
        b       92f
91:     .word   \symbol - (90b + 8)
92:
.endm

/* Calls the C function whose address is in reg, on an ARMv4T core as well. */
.macro CALL_POINTER reg
        mov     lr, pc
        bx      \reg
.endm

/* ---- the cached registers ---------------------------------------------------------------- */

/* Each block keeps the guest registers it uses most in r3-r8, in guest register order from r3
   up, loads them at its entry and writes back what it may have changed before it leaves. Its
   entry leaves the set in slot SLOT_CACHED_SET (bit n for guest rn), from which the routines
   that call ordinary code mid-block write them all back and reload them. */
#define SLOT_CACHED_SET 32

/* r10 = the set not yet moved, shifted so that bit 0 is the guest register whose slot r2
   points at: moves `reg` to or from the next slot of the set. */
.macro MAPPED_MOVE reg, store
        cmp     r10, #0
        beq     99f
98:     tst     r10, #1
        moveq   r10, r10, lsr #1
        addeq   r2, r2, #4
        beq     98b
.if \store
        str     \reg, [r2]
.else
        ldr     \reg, [r2]
.endif
        mov     r10, r10, lsr #1
        add     r2, r2, #4
99:
.endm

/* Both clobber r2, r10 and the host flags. The set r0-r5, which most Thumb blocks and many
   ARM ones choose, moves with one block transfer. */
.macro MAPPED_SET store
        ldr     r10, [sp, #SLOT(SLOT_CACHED_SET)]
        add     r2, sp, #SLOT(0)
        cmp     r10, #0x3F
        bne     97f
.if \store
        stmia   r2, {r3-r8}
.else
        ldmia   r2, {r3-r8}
.endif
        b       96f
97:     MAPPED_MOVE r3, \store
        MAPPED_MOVE r4, \store
        MAPPED_MOVE r5, \store
        MAPPED_MOVE r6, \store
        MAPPED_MOVE r7, \store
        MAPPED_MOVE r8, \store
96:
.endm

.macro WRITEBACK_MAPPED
        MAPPED_SET 1
.endm

.macro LOAD_MAPPED
        MAPPED_SET 0
.endm

/* ---- guest flags between the host flags and slot 20 -------------------------------------- */

/* The flags saved in r11 into slot 20 bits 31-28. Clobbers r2 and r10. */
.macro FOLD_FLAGS
        ldr     r2, [sp, #SLOT(20)]
        bic     r2, r2, #0xF0000000
        and     r10, r11, #0xF0000000
        orr     r2, r2, r10
        str     r2, [sp, #SLOT(20)]
.endm

/* Slot 20 bits 31-28 into the host flags. Clobbers r10. */
.macro RESTORE_FLAGS
        ldr     r10, [sp, #SLOT(20)]
        msr     cpsr_f, r10
.endm

/* ---- entry, dispatch and leaving --------------------------------------------------------- */

        .bss
        .balign 4
runtime_host_sp:
        .word   0
        .global runtime_stop_request
runtime_stop_request:
        .word   0
        .text

/* RuntimeExit run_translated(uint32_t cycles) */
FUNCTION run_translated
        push    {r4-r12, lr}            /* ten words: the stack stays 8-byte aligned */
        mov     r4, r0
        sub     sp, sp, #256            /* the register area */
        mov     r0, sp
        bl      _Z19adopt_register_areaPj
        sub     sp, sp, #1024           /* the room below it */
        ADDR    r0, runtime_host_sp
        mov     r1, sp
        str     r1, [r0]
        mvn     r12, r4
        b       runtime_dispatch

/* r0 = RuntimeExit. Every guest register is already in its slot; the register area goes home
   to the machine record before its stack room is given back. */
runtime_leave:
        ADDR    r1, runtime_host_sp
        ldr     sp, [r1]
        mov     r4, r0
        ADDR    r0, machine + STATE_REGISTERS
        bl      _Z19adopt_register_areaPj
        mov     r0, r4
        add     sp, sp, #1024 + 256
        pop     {r4-r12, pc}

runtime_stop:
        ADDR    r1, runtime_stop_request
        mov     r0, #0
        str     r0, [r1]
        b       runtime_leave

/* Continues at slot 15 in the state of slot 20, with every guest register in its slot and the
   guest flags in slot 20. Whatever the host stack held is abandoned. */
runtime_dispatch:
        ADDR    r0, runtime_host_sp
        ldr     sp, [r0]
        ldr     r0, [sp, #SLOT(15)]
        ldr     r1, [sp, #SLOT(20)]
        and     r1, r1, #CPSR_T
        push    {r12, lr}
        bl      runtime_lookup
        pop     {r12, lr}
        cmn     r0, #1
        beq     runtime_bad_jump
        ldr     r1, [sp, #SLOT(20)]
        msr     cpsr_f, r1              /* the block's entry loads its registers */
        bx      r0

runtime_bad_jump:
        mov     r0, #1
        b       runtime_leave

/* As runtime_dispatch, but first lets the scheduler run when the budget is spent: indirect
   jumps test the budget too, or a loop made only of them would never give time back. */
runtime_dispatch_checked:
        cmp     r12, #0
        blt     runtime_dispatch
        /* fall through */

/* Every guest register in its slot, flags folded, slot 15 set: run the scheduler, then go on
   at slot 15 (which an interrupt may have changed). */
runtime_schedule_and_dispatch:
        ADDR    r0, runtime_host_sp
        ldr     sp, [r0]
        ADDR    r1, runtime_budget_counter
        str     r12, [r1]
        ADDR    r0, runtime_scheduler
        ldr     r0, [r0]
        CALL_POINTER r0
        mvn     r12, r0
        ADDR    r1, runtime_stop_request
        ldr     r1, [r1]
        cmp     r1, #0
        bne     runtime_stop
        b       runtime_dispatch

/* ---- scheduler exits --------------------------------------------------------------------- */

/* BL; the jump target is the data word at lr + `word`. Returns to lr + `back` (the jump that
   follows) unless the scheduler took an interrupt. */
.macro SCHEDULER_EXIT name, word, back
FUNCTION \name
        mrs     r11, cpsr
        ldr     r0, [lr, #\word]
        str     r0, [sp, #SLOT(15)]
        FOLD_FLAGS
        WRITEBACK_MAPPED
        mov     r4, lr                  /* written back: free until the set is reloaded */
        ADDR    r1, runtime_budget_counter
        str     r12, [r1]
        ADDR    r0, runtime_scheduler
        ldr     r0, [r0]
        CALL_POINTER r0
        mvn     r12, r0
        ADDR    r1, runtime_stop_request
        ldr     r1, [r1]
        cmp     r1, #0
        bne     runtime_stop
        ldr     r1, [sp, #SLOT(31)]
        cmp     r1, #0
        bne     runtime_dispatch
        add     lr, r4, #\back
        LOAD_MAPPED
        RESTORE_FLAGS
        bx      lr
.endm

        SCHEDULER_EXIT exit_on_budget_arm, -8, 0
        SCHEDULER_EXIT exit_on_budget_thumb, -8, 0
        SCHEDULER_EXIT exit_at_idle_arm, 0, 4
        SCHEDULER_EXIT exit_at_idle_thumb, 0, 4

/* ---- jumps ------------------------------------------------------------------------------- */

/* Reached by B with r0 = target. */
.macro INDIRECT_JUMP name, writeback, align_bits
FUNCTION \name
        mrs     r11, cpsr
        bic     r0, r0, #\align_bits
        str     r0, [sp, #SLOT(15)]
        FOLD_FLAGS
        \writeback
        b       runtime_dispatch_checked
.endm

        INDIRECT_JUMP jump_indirect_arm, WRITEBACK_MAPPED, 3
        INDIRECT_JUMP jump_indirect_thumb, WRITEBACK_MAPPED, 1

/* BX from either state: bit 0 of the target selects Thumb. With the cached registers chosen per
   block, leaving ARM or Thumb code is the same work, so both names are one routine. */
FUNCTION jump_exchange_arm
FUNCTION jump_exchange_thumb
        mrs     r11, cpsr
        FOLD_FLAGS
        WRITEBACK_MAPPED
        ldr     r1, [sp, #SLOT(20)]
        tst     r0, #1
        orrne   r1, r1, #CPSR_T
        bicne   r0, r0, #1
        biceq   r1, r1, #CPSR_T
        biceq   r0, r0, #3
        str     r1, [sp, #SLOT(20)]
        str     r0, [sp, #SLOT(15)]
        b       runtime_dispatch_checked

/* ---- PSR access -------------------------------------------------------------------------- */

/* BL + the MSR's address, r0 = operand, r1 = byte-lane mask. The guest flags become those of
   the new CPSR. */
FUNCTION write_cpsr_arm
        mrs     r11, cpsr
        FOLD_FLAGS
        ldr     r2, [sp, #SLOT(20)]
        and     r0, r0, r1
        bic     r2, r2, r1
        orr     r0, r0, r2
        WRITEBACK_MAPPED
        ldr     r2, [lr]
        push    {r12, lr}
        bl      runtime_write_cpsr
        pop     {r12, lr}
        cmp     r0, #0
        bne     1f
        LOAD_MAPPED
        RESTORE_FLAGS
        add     pc, lr, #4
1:      str     r0, [sp, #SLOT(15)]     /* an interrupt was taken at once */
        b       runtime_dispatch

/* reg = the saved PSR of the current mode; an invalid mode reaches a scratch word, not a bank.
   Touches no flags. */
.macro SPSR_POINTER reg, scratch
        ldr     \scratch, [sp, #SLOT(29)]
        ADDR    \reg, runtime_spsr_pointers
        ldr     \reg, [\reg, \scratch, lsl #2]
.endm

FUNCTION write_spsr
        SPSR_POINTER r1, r2
        str     r0, [r1]
        bx      lr

FUNCTION read_spsr
        SPSR_POINTER r1, r2
        ldr     r0, [r1]
        bx      lr

/* BL, r0 = operand, r1 = byte-lane mask: merges into the saved PSR. */
FUNCTION write_spsr_masked
        SPSR_POINTER r2, r10
        ldr     r10, [r2]
        bic     r10, r10, r1
        and     r0, r0, r1
        orr     r0, r0, r10
        str     r0, [r2]
        bx      lr

/* B, r0 = target: CPSR = saved PSR, then on in the state that brings. */
FUNCTION return_from_exception
        WRITEBACK_MAPPED
        mov     r4, r0
        SPSR_POINTER r1, r2
        ldr     r1, [r1]
        str     r1, [sp, #SLOT(20)]
        mov     r0, r4
        push    {r12, lr}
        bl      runtime_irq_after_psr_restore
        pop     {r12, lr}
        str     r0, [sp, #SLOT(15)]
        b       runtime_dispatch_checked

/* ---- software interrupts ----------------------------------------------------------------- */

/* BL + the address after the SWI. Leaves Supervisor mode and ARM state with the block's set
   reloaded; the caller then jumps to the vector. */
.macro ENTER_SWI name, writeback
FUNCTION \name
        mrs     r11, cpsr
        FOLD_FLAGS
        ldr     r0, [lr]
        ADDR    r1, machine + BANKED_OFFSET(3, 6)
        str     r0, [r1]
        ldr     r2, [sp, #SLOT(20)]
        ADDR    r1, machine + SAVED_PSR_OFFSET(3)
        str     r2, [r1]
        bic     r2, r2, #0x3F
        orr     r2, r2, #0x13
        str     r2, [sp, #SLOT(20)]
        ADDR    r1, machine + STATE_BIOS_AREA
        ADDR    r2, machine + STATE_READ_MAP
        str     r1, [r2]
        \writeback
        push    {r12, lr}
        mov     r0, #3
        bl      runtime_switch_cpu_mode
        pop     {r12, lr}
        /* From Supervisor mode itself no bank changes hands; the return address still must. */
        ldr     r0, [lr]
        str     r0, [sp, #SLOT(14)]
        LOAD_MAPPED
        RESTORE_FLAGS
        add     pc, lr, #4
.endm

        ENTER_SWI enter_swi_arm, WRITEBACK_MAPPED
        ENTER_SWI enter_swi_thumb, WRITEBACK_MAPPED

.macro SWI_DIVIDE name, writeback, load
FUNCTION \name
        mrs     r11, cpsr
        \writeback
        push    {r12, lr}
        bl      swi_divide_bridge
        pop     {r12, lr}
        \load
        msr     cpsr_f, r11
        bx      lr
.endm

        SWI_DIVIDE swi_divide_arm, WRITEBACK_MAPPED, LOAD_MAPPED
        SWI_DIVIDE swi_divide_thumb, WRITEBACK_MAPPED, LOAD_MAPPED

/* ---- loads ------------------------------------------------------------------------------- */

/* BL + the load's PC, r0 = address; returns r0 = value past the data word. The fast path reads
   through the read page table; misaligned halfwords and words take the slow path, which
   rotates as the console's CPU does and never reads past a page. Keeps r3-r10 and r12. */
.macro LOAD_STUB name, misaligned, fetch, slow, extend
FUNCTION \name
        mrs     r11, cpsr
        cmp     r0, #0x10000000
        bhs     8f
        .if \misaligned
        tst     r0, #\misaligned
        bne     8f
        .endif
        mov     r1, r0, lsr #15
        ADDR    r2, machine + STATE_READ_MAP
        ldr     r2, [r2, r1, lsl #2]
        cmp     r2, #0
        beq     8f
        mov     r1, r0, lsl #17
        mov     r1, r1, lsr #17
        \fetch
        msr     cpsr_f, r11
        add     pc, lr, #4
8:      ldr     r1, [lr]
        str     r1, [sp, #SLOT(15)]
        push    {r2, r3, r12, lr}
        bl      \slow
        pop     {r2, r3, r12, lr}
        \extend
        msr     cpsr_f, r11
        add     pc, lr, #4
.endm

        LOAD_STUB load_byte_stub, 0, "ldrb r0, [r2, r1]", runtime_read8, ""
        LOAD_STUB load_sbyte_stub, 0, "ldrsb r0, [r2, r1]", runtime_read8, "mov r0, r0, lsl #24; mov r0, r0, asr #24"
        LOAD_STUB load_half_stub, 1, "ldrh r0, [r2, r1]", runtime_read16, ""
        LOAD_STUB load_shalf_stub, 1, "ldrsh r0, [r2, r1]", runtime_read16s, "mov r0, r0, lsl #16; mov r0, r0, asr #16"
        LOAD_STUB load_word_stub, 3, "ldr r0, [r2, r1]", runtime_read32, ""

/* ---- stores ------------------------------------------------------------------------------ */

/* The store has landed on translated RAM code: slot 15 holds the next instruction, the flags
   are folded. Drop every RAM block and go on there. */
runtime_code_overwritten:
        WRITEBACK_MAPPED
        push    {r12, lr}
        bl      runtime_flush_ram_cache
        pop     {r12, lr}
        b       runtime_dispatch

/* BL + the next instruction's address, r0 = address, r1 = value. The tags of the stored bytes
   lie 32 KB below them in every writable page. Unaligned halfwords and words are stored at the
   aligned address, as the console's bus does. */
.macro STORE_STUB name, align_bits, put, tag, slow
FUNCTION \name
        mrs     r11, cpsr
        cmp     r0, #0x10000000
        bhs     8f
        mov     r2, r0, lsr #15
        ADDR    r10, machine + STATE_WRITE_MAP
        ldr     r10, [r10, r2, lsl #2]
        cmp     r10, #0
        beq     8f
        mov     r2, r0, lsl #17
        mov     r2, r2, lsr #17
        .if \align_bits
        bic     r2, r2, #\align_bits
        .endif
        \put
        sub     r10, r10, #0x8000
        \tag
        cmp     r2, #0
        bne     7f
        msr     cpsr_f, r11
        add     pc, lr, #4
7:      ldr     r0, [lr]
        str     r0, [sp, #SLOT(15)]
        FOLD_FLAGS
        b       runtime_code_overwritten
8:      ldr     r2, [lr]
        str     r2, [sp, #SLOT(15)]
        push    {r2, r3, r12, lr}
        bl      \slow
        pop     {r2, r3, r12, lr}
        cmp     r0, #0
        bne     6f
        msr     cpsr_f, r11
        add     pc, lr, #4
6:      FOLD_FLAGS
        cmp     r0, #2
        beq     runtime_code_overwritten
        WRITEBACK_MAPPED
        b       runtime_schedule_and_dispatch
.endm

        STORE_STUB store_byte_stub, 0, "strb r1, [r10, r2]", "ldrb r2, [r10, r2]", runtime_write8
        STORE_STUB store_half_stub, 1, "strh r1, [r10, r2]", "ldrh r2, [r10, r2]", runtime_write16
        STORE_STUB store_word_stub, 3, "str r1, [r10, r2]", "ldr r2, [r10, r2]", runtime_write32

/* BL, r0 = address, r1 = value: block stores check no tags and raise no alerts. */
FUNCTION store_word_plain_stub
        mrs     r11, cpsr
        cmp     r0, #0x10000000
        bhs     8f
        mov     r2, r0, lsr #15
        ADDR    r10, machine + STATE_WRITE_MAP
        ldr     r10, [r10, r2, lsl #2]
        cmp     r10, #0
        beq     8f
        mov     r2, r0, lsl #17
        mov     r2, r2, lsr #17
        bic     r2, r2, #3
        str     r1, [r10, r2]
        msr     cpsr_f, r11
        bx      lr
8:      push    {r2, r3, r12, lr}
        bl      runtime_write32
        pop     {r2, r3, r12, lr}
        msr     cpsr_f, r11
        bx      lr

/* ---- block transfers of the user bank ------------------------------------------------------ */

/* BL + its address + 8, r0 = the LDM/STM instruction, r1 = its base address. Rare enough
   (exception handlers) to be done in ordinary code, with the set written back. */
FUNCTION block_transfer_user_bank
        mrs     r11, cpsr
        FOLD_FLAGS
        WRITEBACK_MAPPED
        ldr     r2, [lr]
        str     r2, [sp, #SLOT(15)]
        push    {r12, lr}
        bl      runtime_block_transfer_user
        pop     {r12, lr}
        LOAD_MAPPED
        msr     cpsr_f, r11
        add     pc, lr, #4

        .section .note.GNU-stack, "", %progbits
