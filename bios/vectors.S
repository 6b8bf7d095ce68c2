@ Exception vectors, the patch area, the IRQ entry and the SWI dispatcher.
@
@ Execution normally never starts here: the emulator starts games at the cartridge entry
@ point with the stacks already set. The reset vector is still a complete power-on path
@ (hard_reset in reset.S) because HardReset and a jump to address 0 end up there.
        .syntax unified
        .arm
        .equ    SWI_COUNT, 0x2B         @ functions 0x00-0x2A
        .section .vectors, "ax"

        .global reset_vector
reset_vector:                           @ 0x00
        b       hard_reset
        b       undefined_handler       @ 0x04
        b       swi_handler             @ 0x08
        b       prefetch_abort_handler  @ 0x0C
        b       data_abort_handler      @ 0x10
        b       reserved_handler        @ 0x14 (26-bit address exception, never raised)
        b       irq_handler             @ 0x18
        b       fiq_handler             @ 0x1C

@ 0x20-0x3F: patch area. The emulator changes single bytes here for a few games (0x2C to
@ 0x02, 0x39 to 0xC0): those games read BIOS bytes and expect particular values. No BIOS code
@ ever reads or executes this block, so any value in it leaves the BIOS working; only the
@ GetBiosChecksum result follows the bytes, as it sums the whole image. The block is zero as
@ built.
        .global patch_area
patch_area:
        .space  32, 0

        .text

@ IRQ entry (IRQ mode, IRQs disabled by the CPU). The user handler is called in ARM state
@ with `bx`, so it may also be Thumb code when its address has bit 0 set; it returns with
@ `bx lr`. It gets r0-r3, r12 to use freely, as on the console. A null handler pointer makes
@ this a jump to address 0, which restarts the machine through the reset vector.
irq_handler:
        stmfd   sp!, {r0-r3, r12, lr}
        mov     r0, #0x03000000
        add     r0, r0, #0x7F00
        ldr     r0, [r0, #0xFC]         @ user handler at 0x03007FFC
        mov     lr, pc
        bx      r0
        ldmfd   sp!, {r0-r3, r12, lr}
        subs    pc, lr, #4

@ SWI entry (Supervisor mode). The state that nesting would overwrite - SPSR_svc, lr_svc,
@ and the r11/r12 used here - goes onto the Supervisor stack (4 words per call); then the
@ function runs in System mode on the caller's stack, with the caller's IRQ/FIQ masks, so an
@ IRQ handler may call SWIs while a function such as IntrWait is waiting.
@ The function number is the byte before the return address: the low byte of a Thumb SWI,
@ bits 16-23 of an ARM SWI.
@ Functions may change r0, r1 and r3 (results or garbage); r2, r4-r14 and the caller's CPSR
@ come back unchanged. Numbers without a function return at once with nothing changed.
swi_handler:
        msr     cpsr_c, #0xD3           @ mask IRQs until lr_svc/SPSR_svc are saved
        stmfd   sp!, {r11, r12, lr}
        mrs     r11, spsr
        stmfd   sp!, {r11}
        ldrb    r12, [lr, #-2]
        cmp     r12, #SWI_COUNT
        bhs     swi_return
        adr     r11, swi_table
        ldr     r12, [r11, r12, lsl #2]
        ldr     r11, [sp]               @ caller's CPSR: keep its I and F bits
        and     r11, r11, #0xC0
        orr     r11, r11, #0x1F
        msr     cpsr_c, r11             @ System mode
        stmfd   sp!, {r2, lr}           @ r2 and the caller's lr survive any function
        mov     lr, pc
        bx      r12
        ldmfd   sp!, {r2, lr}
        msr     cpsr_c, #0xD3
swi_return:
        ldmfd   sp!, {r11}
        msr     spsr_cxsf, r11
        ldmfd   sp!, {r11, r12, lr}
        movs    pc, lr

swi_table:
        .word   swi_soft_reset          @ 00
        .word   swi_register_ram_reset  @ 01
        .word   swi_halt                @ 02
        .word   swi_stop                @ 03
        .word   swi_intr_wait           @ 04
        .word   swi_vblank_intr_wait    @ 05
        .word   swi_div                 @ 06
        .word   swi_div_arm             @ 07
        .word   swi_sqrt                @ 08
        .word   swi_arctan              @ 09
        .word   swi_arctan2             @ 0A
        .word   swi_cpu_set             @ 0B
        .word   swi_cpu_fast_set        @ 0C
        .word   swi_bios_checksum       @ 0D
        .word   swi_bg_affine_set       @ 0E
        .word   swi_obj_affine_set      @ 0F
        .word   swi_bit_unpack          @ 10
        .word   swi_lz77_wram           @ 11
        .word   swi_lz77_vram           @ 12
        .word   swi_huff                @ 13
        .word   swi_rl_wram             @ 14
        .word   swi_rl_vram             @ 15
        .word   swi_diff8_wram          @ 16
        .word   swi_diff8_vram          @ 17
        .word   swi_diff16              @ 18
        .word   swi_sound_bias          @ 19
        .word   swi_no_effect           @ 1A SoundDriverInit
        .word   swi_no_effect           @ 1B SoundDriverMode
        .word   swi_no_effect           @ 1C SoundDriverMain
        .word   swi_no_effect           @ 1D SoundDriverVSync
        .word   swi_no_effect           @ 1E SoundChannelClear
        .word   swi_midi_key_2_freq     @ 1F
        .word   swi_no_effect           @ 20 sound driver, undocumented
        .word   swi_no_effect           @ 21
        .word   swi_no_effect           @ 22
        .word   swi_no_effect           @ 23
        .word   swi_no_effect           @ 24
        .word   swi_multi_boot          @ 25
        .word   swi_hard_reset          @ 26
        .word   swi_custom_halt         @ 27
        .word   swi_no_effect           @ 28 SoundDriverVSyncOff
        .word   swi_no_effect           @ 29 SoundDriverVSyncOn
        .word   swi_no_effect           @ 2A SoundGetJumpList
        .if (. - swi_table) != SWI_COUNT * 4
        .error  "swi_table does not have SWI_COUNT entries"
        .endif

@ The sound driver lives in the emulator, not here; these calls return with every register
@ unchanged.
swi_no_effect:
        bx      lr

@ There is no link partner to upload to: report failure.
swi_multi_boot:
        mov     r0, #1
        bx      lr

swi_hard_reset:
        b       hard_reset

@ Exceptions the console never raises in normal operation. Each one resumes the interrupted
@ program past the offending instruction instead of stopping the machine.
undefined_handler:
prefetch_abort_handler:
reserved_handler:
        movs    pc, lr
data_abort_handler:
fiq_handler:
        subs    pc, lr, #4
