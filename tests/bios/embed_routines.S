/* Carries the assembled test_routines.S into the test program. */
        .section .rodata
        .global bios_test_routines
        .global bios_test_routines_size
        .balign 4
bios_test_routines:
        .incbin TEST_ROUTINES_BIN
bios_test_routines_end:
        .balign 4
bios_test_routines_size:
        .long   bios_test_routines_end - bios_test_routines
        .section .note.GNU-stack, "", %progbits
