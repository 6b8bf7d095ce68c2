/* The runtime routines that x86-64 generated code calls. See block_code.h for the register
   conventions. Every routine keeps the guest flags (SF ZF OF, and CF = NOT C) as it found them
   unless it replaces them on purpose; the cached guest registers live in callee-saved host
   registers, so ordinary code called from here cannot clobber them, but it may change their
   slots, which is why they are written back before and reloaded after such calls. */

#include "cpu/state_offsets.h"

        .intel_syntax noprefix
        .text

#define SLOT(n) DWORD PTR [rip + machine + SLOT_OFFSET(n)]
#define CPSR_T 0x20

/* ---- the cached registers ---------------------------------------------------------------- */

/* Each block keeps the guest registers it uses most in rbx, rbp, r12, r13, r14 and r15, loads
   them at its entry and writes them back before it leaves. Its entry stores its choice in
   runtime_register_map: four bits per host register in that order from the lowest, the guest
   register's number or 15 for none. The routines that call ordinary code mid-block write the
   set back and reload it through the map. Both clobber ecx, esi, edi and the host flags. */
.macro MAPPED_MOVE reg, store
        mov     ecx, edi
        and     ecx, 15
        cmp     ecx, 15
        je      99f
.if \store
        mov     DWORD PTR [rsi + rcx*4], \reg
.else
        mov     \reg, DWORD PTR [rsi + rcx*4]
.endif
99:     shr     edi, 4
.endm

.macro MAPPED_SET store
        mov     edi, DWORD PTR [rip + runtime_register_map]
        lea     rsi, [rip + machine + STATE_REGISTERS]
        MAPPED_MOVE ebx, \store
        MAPPED_MOVE ebp, \store
        MAPPED_MOVE r12d, \store
        MAPPED_MOVE r13d, \store
        MAPPED_MOVE r14d, \store
        MAPPED_MOVE r15d, \store
.endm

.macro WRITEBACK_MAPPED
        MAPPED_SET 1
.endm

.macro LOAD_MAPPED
        MAPPED_SET 0
.endm

/* ---- guest flags between the host flags and slot 20 -------------------------------------- */

/* Host flags into slot 20 bits 31-28. Clobbers eax, esi, edi and the host flags. lahf and seto
   read the flags where pushfq would stall on the whole flags register. */
.macro FOLD_FLAGS
        lahf                            /* ah = SF ZF . . . . . CF */
        seto    al
        movzx   esi, ah
        movzx   eax, al
        shl     eax, 28                 /* V from OF */
        mov     edi, esi
        and     edi, 0xC0
        shl     edi, 24                 /* N from SF, Z from ZF */
        or      eax, edi
        not     esi
        and     esi, 1
        shl     esi, 29                 /* CF clear means guest C set */
        or      eax, esi
        mov     esi, SLOT(20)
        and     esi, 0x0FFFFFFF
        or      esi, eax
        mov     SLOT(20), esi
.endm

/* Slot 20 bits 31-28 into the host flags: ah = the SF ZF CF byte for sahf, al = V for the
   add that sets OF (see the fast path below). Clobbers eax, esi and edi. */
.macro RESTORE_FLAGS
        mov     esi, SLOT(20)
        mov     eax, esi
        shr     eax, 29
        and     eax, 1
        xor     eax, 1                  /* CF = NOT C */
        mov     edi, esi
        shr     edi, 24
        and     edi, 0xC0               /* SF = N, ZF = Z */
        or      eax, edi
        shl     eax, 8
        shr     esi, 28
        and     esi, 1
        or      eax, esi
        add     al, 0x7F
        sahf
.endm

/* A fast path keeps the flags in ah (SF ZF CF) and cl (OF) with lahf / seto and puts them back
   with add / sahf: adding 0x7F to 1 overflows, to 0 it does not, and sahf leaves OF alone. */
.macro SAVE_FAST_FLAGS
        lahf
        seto    cl
.endm

.macro RESTORE_FAST_FLAGS
        add     cl, 0x7F
        sahf
.endm

/* ---- entry, dispatch and leaving --------------------------------------------------------- */

        .bss
        .balign 8
runtime_host_rsp:
        .quad   0
        .globl  runtime_stop_request
runtime_stop_request:
        .long   0
        .data
        .balign 4
        .globl  runtime_register_map
runtime_register_map:
        .long   0xFFFFFFFF
        .text

/* RuntimeExit run_translated(uint32_t cycles) */
        .globl  run_translated
run_translated:
        push    rbx
        push    rbp
        push    r12
        push    r13
        push    r14
        push    r15
        sub     rsp, 8                  /* generated code runs with rsp 16-byte aligned */
        mov     QWORD PTR [rip + runtime_host_rsp], rsp
        mov     r10d, edi
        not     r10d
        jmp     runtime_dispatch

/* eax = RuntimeExit. Every guest register is already in its slot. */
runtime_leave:
        mov     rsp, QWORD PTR [rip + runtime_host_rsp]
        add     rsp, 8
        pop     r15
        pop     r14
        pop     r13
        pop     r12
        pop     rbp
        pop     rbx
        ret

runtime_stop:
        mov     DWORD PTR [rip + runtime_stop_request], 0
        xor     eax, eax
        jmp     runtime_leave

/* Continues at slot 15 in the state of slot 20, with every guest register in its slot and the
   guest flags in slot 20. Whatever the host stack held is abandoned. */
runtime_dispatch:
        mov     rsp, QWORD PTR [rip + runtime_host_rsp]
        mov     edi, SLOT(15)
        mov     esi, SLOT(20)
        and     esi, CPSR_T
        push    r10
        sub     rsp, 8
        call    runtime_lookup
        add     rsp, 8
        pop     r10
        cmp     rax, -1
        je      runtime_bad_jump
        mov     r11, rax
        RESTORE_FLAGS                   /* the block's entry loads its registers */
        jmp     r11

runtime_bad_jump:
        mov     eax, 1
        jmp     runtime_leave

/* As runtime_dispatch, but first lets the scheduler run when the budget is spent: indirect
   jumps test the budget too, or a loop made only of them would never give time back. */
runtime_dispatch_checked:
        test    r10d, r10d
        js      runtime_dispatch
        /* fall through */

/* Every guest register in its slot, flags folded, slot 15 set: run the scheduler, then go on
   at slot 15 (which an interrupt may have changed). */
runtime_schedule_and_dispatch:
        mov     rsp, QWORD PTR [rip + runtime_host_rsp]
        mov     DWORD PTR [rip + runtime_budget_counter], r10d
        call    QWORD PTR [rip + runtime_scheduler]
        mov     r10d, eax
        not     r10d
        cmp     DWORD PTR [rip + runtime_stop_request], 0
        jne     runtime_stop
        jmp     runtime_dispatch

/* ---- scheduler exits --------------------------------------------------------------------- */

/* Reached by call with r11d = the jump target; returns to the jump that follows the call site
   unless the scheduler took an interrupt. Nothing but an interrupt or a snapshot load changes
   guest registers or flags during the step, and both ask for a re-dispatch: coming back here,
   the cached registers still hold the guest's and the flags parked on the stack are current. */
.macro SCHEDULER_EXIT name
        .globl  \name
\name:
        lahf
        seto    al
        push    rax                     /* also aligns the stack for the call */
        FOLD_FLAGS
        mov     SLOT(15), r11d
        WRITEBACK_MAPPED
        mov     DWORD PTR [rip + runtime_budget_counter], r10d
        call    QWORD PTR [rip + runtime_scheduler]
        mov     r10d, eax
        not     r10d
        pop     rax
        cmp     DWORD PTR [rip + runtime_stop_request], 0
        jne     runtime_stop
        cmp     SLOT(31), 0
        jne     runtime_dispatch
        add     al, 0x7F
        sahf
        ret
.endm

        SCHEDULER_EXIT exit_on_budget_arm
        SCHEDULER_EXIT exit_on_budget_thumb
        SCHEDULER_EXIT exit_at_idle_arm
        SCHEDULER_EXIT exit_at_idle_thumb

/* ---- jumps ------------------------------------------------------------------------------- */

/* The fast way on for an indirect jump in the same state: eax = target. When time remains and
   the indirect-jump cache knows the block, jumps there with the cached set and the guest flags
   left in place; otherwise falls through with eax as it came, the host flags restored, and ecx,
   edx, esi, r8 and r11 clobbered. `other_state` jumps to 81f when eax leaves this state. */
.macro PROBE_INDIRECT mask, thumb, other_state
        mov     r11d, eax
        lahf
        seto    cl
        \other_state
        mov     r8d, r11d
        and     r8d, \mask
        or      r8d, \thumb             /* the key */
        test    r10d, r10d
        jns     81f                     /* the budget is spent */
        imul    edx, r8d, 0x9E3779B1
        shr     edx, 32 - INDIRECT_CACHE_BITS
        shl     edx, 4
        lea     rsi, [rip + indirect_jump_cache]
        cmp     DWORD PTR [rsi + rdx], r8d
        jne     81f
        add     cl, 0x7F
        sahf
        jmp     QWORD PTR [rsi + rdx + INDIRECT_ENTRY_CODE]
81:     add     cl, 0x7F
        sahf
        mov     eax, r11d
.endm

/* Reached by jmp with eax = target. */
.macro INDIRECT_JUMP name, writeback, align_mask, thumb
        .globl  \name
\name:
        PROBE_INDIRECT \align_mask, \thumb, ""
        mov     r11d, eax
        FOLD_FLAGS
        and     r11d, \align_mask
        mov     SLOT(15), r11d
        \writeback
        jmp     runtime_dispatch_checked
.endm

        INDIRECT_JUMP jump_indirect_arm, WRITEBACK_MAPPED, 0xFFFFFFFC, 0
        INDIRECT_JUMP jump_indirect_thumb, WRITEBACK_MAPPED, 0xFFFFFFFE, 1

/* BX from ARM code: bit 0 of the target selects Thumb. */
        .globl  jump_exchange_arm
jump_exchange_arm:
        PROBE_INDIRECT 0xFFFFFFFC, 0, "test r11d, 1; jnz 81f"
        mov     r11d, eax
        FOLD_FLAGS
        WRITEBACK_MAPPED
        test    r11d, 1
        jz      1f
        or      SLOT(20), CPSR_T
        and     r11d, 0xFFFFFFFE
        jmp     2f
1:      and     r11d, 0xFFFFFFFC
2:      mov     SLOT(15), r11d
        jmp     runtime_dispatch_checked

/* BX from Thumb code: bit 0 clear selects ARM. */
        .globl  jump_exchange_thumb
jump_exchange_thumb:
        PROBE_INDIRECT 0xFFFFFFFE, 1, "test r11d, 1; jz 81f"
        mov     r11d, eax
        FOLD_FLAGS
        WRITEBACK_MAPPED
        test    r11d, 1
        jnz     1f
        and     SLOT(20), ~CPSR_T
        and     r11d, 0xFFFFFFFC
        jmp     2f
1:      and     r11d, 0xFFFFFFFE
2:      mov     SLOT(15), r11d
        jmp     runtime_dispatch_checked

/* ---- PSR access -------------------------------------------------------------------------- */

/* call, eax = operand, edx = byte-lane mask, r11d = the MSR's address. The guest flags become
   those of the new CPSR. */
        .globl  write_cpsr_arm
write_cpsr_arm:
        mov     r8d, eax
        FOLD_FLAGS
        mov     ecx, SLOT(20)
        and     r8d, edx
        mov     eax, edx
        not     eax
        and     ecx, eax
        or      r8d, ecx
        WRITEBACK_MAPPED
        push    r9
        push    r10
        sub     rsp, 8
        mov     edi, r8d
        mov     esi, edx
        mov     edx, r11d
        call    runtime_write_cpsr
        add     rsp, 8
        pop     r10
        pop     r9
        test    eax, eax
        jnz     1f
        LOAD_MAPPED
        RESTORE_FLAGS
        ret
1:      mov     SLOT(15), eax           /* an interrupt was taken at once */
        jmp     runtime_dispatch

/* The saved PSR of the current mode; an invalid mode reaches a scratch word, not a bank. */
.macro SPSR_POINTER reg
        mov     ecx, SLOT(29)
        lea     \reg, [rip + runtime_spsr_pointers]
        mov     \reg, QWORD PTR [\reg + rcx*8]
.endm

        .globl  write_spsr
write_spsr:
        SPSR_POINTER rsi
        mov     DWORD PTR [rsi], eax
        ret

        .globl  read_spsr
read_spsr:
        SPSR_POINTER rsi
        mov     eax, DWORD PTR [rsi]
        ret

/* call, eax = operand, edx = byte-lane mask: merges into the saved PSR. */
        .globl  write_spsr_masked
write_spsr_masked:
        mov     r8d, eax
        FOLD_FLAGS
        SPSR_POINTER rsi
        and     r8d, edx
        not     edx
        and     edx, DWORD PTR [rsi]
        or      r8d, edx
        mov     DWORD PTR [rsi], r8d
        RESTORE_FLAGS
        ret

/* jmp, eax = target: CPSR = saved PSR, then on in the state that brings. */
        .globl  return_from_exception
return_from_exception:
        mov     r11d, eax
        WRITEBACK_MAPPED
        SPSR_POINTER rsi
        mov     esi, DWORD PTR [rsi]
        mov     SLOT(20), esi
        mov     rsp, QWORD PTR [rip + runtime_host_rsp]
        push    r10
        sub     rsp, 8
        mov     edi, r11d
        call    runtime_irq_after_psr_restore
        add     rsp, 8
        pop     r10
        mov     SLOT(15), eax
        jmp     runtime_dispatch_checked

/* ---- software interrupts ----------------------------------------------------------------- */

/* call, r11d = the address after the SWI. Leaves Supervisor mode, ARM state and the ARM set
   loaded; the caller then jumps to the vector. */
.macro ENTER_SWI name, writeback
        .globl  \name
\name:
        FOLD_FLAGS
        mov     DWORD PTR [rip + machine + BANKED_OFFSET(3, 6)], r11d
        mov     esi, SLOT(20)
        mov     DWORD PTR [rip + machine + SAVED_PSR_OFFSET(3)], esi
        and     esi, ~0x3F
        or      esi, 0x13
        mov     SLOT(20), esi
        lea     rsi, [rip + machine + STATE_BIOS_AREA]
        mov     QWORD PTR [rip + machine + STATE_READ_MAP], rsi
        \writeback
        push    r9
        push    r10
        sub     rsp, 8
        mov     edi, 3
        call    runtime_switch_cpu_mode
        add     rsp, 8
        pop     r10
        pop     r9
        /* From Supervisor mode itself no bank changes hands; the return address still must. */
        mov     SLOT(14), r11d
        LOAD_MAPPED
        RESTORE_FLAGS
        ret
.endm

        ENTER_SWI enter_swi_arm, WRITEBACK_MAPPED
        ENTER_SWI enter_swi_thumb, WRITEBACK_MAPPED

.macro SWI_DIVIDE name, writeback, load
        .globl  \name
\name:
        FOLD_FLAGS
        \writeback
        push    r9
        push    r10
        sub     rsp, 8
        call    swi_divide_bridge
        add     rsp, 8
        pop     r10
        pop     r9
        \load
        RESTORE_FLAGS
        ret
.endm

        SWI_DIVIDE swi_divide_arm, WRITEBACK_MAPPED, LOAD_MAPPED
        SWI_DIVIDE swi_divide_thumb, WRITEBACK_MAPPED, LOAD_MAPPED

/* Calls ordinary code from a fast-path routine whose flags are parked in ah and cl, with its
   arguments already in edi and esi: keeps rax, rcx, r9 and r10, aligns the stack, and leaves
   the result in r8d. */
.macro CALL_PARKED function, extend
        push    rax
        push    rcx
        push    r9
        push    r10
        sub     rsp, 8
        call    \function
        \extend
        add     rsp, 8
        pop     r10
        pop     r9
        pop     rcx
        mov     r8d, eax
        pop     rax
.endm

/* The fast paths' page lookup: r8d = the address, the flags parked, rdi = the page of `map`
   for it; jumps to `miss` (with r8d kept) when the page has no direct mapping or the address
   lies at 0x10000000 or above. */
.macro FIND_PAGE map, miss
        mov     r8d, eax
        SAVE_FAST_FLAGS
        mov     esi, r8d
        shr     esi, 15
        cmp     esi, STATE_MAP_ENTRIES - 1
        ja      \miss
        lea     rdi, [rip + machine + \map]
        mov     rdi, QWORD PTR [rdi + rsi*8]
        test    rdi, rdi
        jz      \miss
.endm

/* ---- loads ------------------------------------------------------------------------------- */

/* call, eax = address, r11d = the load's PC; returns eax = value. The fast path reads through
   the read page table; misaligned halfwords and words take the slow path, which rotates as
   the console's CPU does and never reads past a page. */
.macro LOAD_STUB name, misaligned, fetch, slow, extend
        .globl  \name
\name:
        FIND_PAGE STATE_READ_MAP, 8f
        test    r8d, \misaligned
        jnz     8f
        and     r8d, 0x7FFF
        \fetch
        RESTORE_FAST_FLAGS
        mov     eax, r8d
        ret
8:      mov     SLOT(15), r11d
        mov     edi, r8d
        CALL_PARKED \slow, "\extend"
        RESTORE_FAST_FLAGS
        mov     eax, r8d
        ret
.endm

        LOAD_STUB load_byte_stub, 0, "movzx r8d, BYTE PTR [rdi + r8]", runtime_read8, "nop"
        LOAD_STUB load_sbyte_stub, 0, "movsx r8d, BYTE PTR [rdi + r8]", runtime_read8, "movsx eax, al"
        LOAD_STUB load_half_stub, 1, "movzx r8d, WORD PTR [rdi + r8]", runtime_read16, "nop"
        LOAD_STUB load_shalf_stub, 1, "movsx r8d, WORD PTR [rdi + r8]", runtime_read16s, "nop"
        LOAD_STUB load_word_stub, 3, "mov r8d, DWORD PTR [rdi + r8]", runtime_read32, "nop"

/* ---- stores ------------------------------------------------------------------------------ */

/* The store has landed on translated RAM code: slot 15 holds the next instruction, the flags
   are folded. Drop every RAM block and go on there. */
runtime_code_overwritten:
        WRITEBACK_MAPPED
        mov     rsp, QWORD PTR [rip + runtime_host_rsp]
        push    r10
        sub     rsp, 8
        call    runtime_flush_ram_cache
        add     rsp, 8
        pop     r10
        jmp     runtime_dispatch

/* call, eax = address, edx = value, r11d = the next instruction's address. The tags of the
   stored bytes lie 32 KB below them in every writable page. Unaligned halfwords and words are
   stored at the aligned address, as the console's bus does. */
.macro STORE_STUB name, offset_mask, put, tag_test, slow
        .globl  \name
\name:
        FIND_PAGE STATE_WRITE_MAP, 8f
        and     r8d, \offset_mask
        \put
        \tag_test
        jnz     7f
        RESTORE_FAST_FLAGS
        ret
7:      mov     SLOT(15), r11d
        RESTORE_FAST_FLAGS
        FOLD_FLAGS
        jmp     runtime_code_overwritten
8:      mov     SLOT(15), r11d
        mov     edi, r8d
        mov     esi, edx
        CALL_PARKED \slow, nop
        test    r8d, r8d                /* the guest flags are parked meanwhile */
        jnz     6f
        RESTORE_FAST_FLAGS
        ret
6:      RESTORE_FAST_FLAGS
        FOLD_FLAGS
        cmp     r8d, 2
        je      runtime_code_overwritten
        WRITEBACK_MAPPED
        jmp     runtime_schedule_and_dispatch
.endm

        STORE_STUB store_byte_stub, 0x7FFF, "mov BYTE PTR [rdi + r8], dl", "cmp BYTE PTR [rdi + r8 - 0x8000], 0", runtime_write8
        STORE_STUB store_half_stub, 0x7FFE, "mov WORD PTR [rdi + r8], dx", "cmp WORD PTR [rdi + r8 - 0x8000], 0", runtime_write16
        STORE_STUB store_word_stub, 0x7FFC, "mov DWORD PTR [rdi + r8], edx", "cmp DWORD PTR [rdi + r8 - 0x8000], 0", runtime_write32

/* call, eax = address, edx = value: block stores check no tags and raise no alerts. */
        .globl  store_word_plain_stub
store_word_plain_stub:
        FIND_PAGE STATE_WRITE_MAP, 8f
        and     r8d, 0x7FFC
        mov     DWORD PTR [rdi + r8], edx
        RESTORE_FAST_FLAGS
        ret
8:      mov     edi, r8d
        mov     esi, edx
        CALL_PARKED runtime_write32, nop
        RESTORE_FAST_FLAGS
        ret

/* ---- shifts by a register ---------------------------------------------------------------- */

/* call, edx = value, ecx = shift register (its low byte counts), r9d = carry in (0 or 1).
   Returns edx = result, r9d = carry out. Clobbers ecx and the host flags: callers keep the
   guest flags elsewhere around them. */
        .globl  shift_lsl_by_register
shift_lsl_by_register:
        and     ecx, 0xFF
        jz      9f
        cmp     ecx, 32
        ja      2f
        je      1f
        shl     edx, cl
        setc    r9b
        movzx   r9d, r9b
9:      ret
1:      mov     r9d, edx
        and     r9d, 1
        xor     edx, edx
        ret
2:      xor     r9d, r9d
        xor     edx, edx
        ret

        .globl  shift_lsr_by_register
shift_lsr_by_register:
        and     ecx, 0xFF
        jz      9f
        cmp     ecx, 32
        ja      2f
        je      1f
        shr     edx, cl
        setc    r9b
        movzx   r9d, r9b
9:      ret
1:      mov     r9d, edx
        shr     r9d, 31
        xor     edx, edx
        ret
2:      xor     r9d, r9d
        xor     edx, edx
        ret

        .globl  shift_asr_by_register
shift_asr_by_register:
        and     ecx, 0xFF
        jz      9f
        cmp     ecx, 32
        jae     1f
        sar     edx, cl
        setc    r9b
        movzx   r9d, r9b
9:      ret
1:      sar     edx, 31
        mov     r9d, edx
        and     r9d, 1
        ret

        .globl  shift_ror_by_register
shift_ror_by_register:
        and     ecx, 0xFF
        jz      9f
        and     ecx, 31
        jz      1f
        ror     edx, cl
        mov     r9d, edx
        shr     r9d, 31
9:      ret
1:      mov     r9d, edx
        shr     r9d, 31
        ret

/* ---- block transfers of the user bank ------------------------------------------------------ */

/* call, eax = the LDM/STM instruction, edx = its base address, r11d = its address + 8.
   Rare enough (exception handlers) to be done in ordinary code, with the set written back. */
        .globl  block_transfer_user_bank
block_transfer_user_bank:
        mov     r8d, eax
        FOLD_FLAGS
        WRITEBACK_MAPPED
        mov     SLOT(15), r11d
        push    r9
        push    r10
        sub     rsp, 8
        mov     edi, r8d
        mov     esi, edx
        call    runtime_block_transfer_user
        add     rsp, 8
        pop     r10
        pop     r9
        LOAD_MAPPED
        RESTORE_FLAGS
        ret

        .section .note.GNU-stack, "", %progbits
