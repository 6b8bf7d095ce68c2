@ Exception vectors. Execution never starts here on reset: the emulator starts games at the
@ cartridge entry point with the stacks already set, so the reset vector only serves HardReset.
        .syntax unified
        .arm
        .section .vectors, "ax"
        .global reset_vector
reset_vector:
        b       .
        b       .               @ undefined instruction
        b       .               @ software interrupt
        b       .               @ prefetch abort
        b       .               @ data abort
        b       .               @ reserved
        b       .               @ IRQ
        b       .               @ FIQ
