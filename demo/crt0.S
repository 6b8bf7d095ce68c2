@ Start-up code of the demo cartridge: the header, then RAM set up for C, then main().
@ fix_rom_header fills in the fixed value and the complement check after the link.
        .syntax unified
        .arm
        .section .header, "ax"
        .global _start
_start:
        b       start
        .space  0xA0 - 4                @ logo area: our BIOS boots without one
        .ascii  "STARSWEEP\0\0\0"       @ title, 12 bytes
        .ascii  "OSWE"                  @ game code
        .ascii  "00"                    @ maker code
        .space  0xC0 - 0xB2             @ fixed value, unit, device, reserved, version, check

start:
        ldr     r0, =__data_load        @ initialised variables: copied from ROM to IWRAM
        ldr     r1, =__data_start
        ldr     r2, =__data_end
1:      cmp     r1, r2
        ldrlo   r3, [r0], #4
        strlo   r3, [r1], #4
        blo     1b
        ldr     r1, =__bss_start        @ zeroed variables; EWRAM the BIOS reset cleared
        ldr     r2, =__bss_end
        mov     r3, #0
2:      cmp     r1, r2
        strlo   r3, [r1], #4
        blo     2b
        bl      main
        b       .
        .ltorg
