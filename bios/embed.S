/* Carries the BIOS built for the console as read-only data of the host program. */
        .section .rodata
        .global bios_image
        .type   bios_image, %object
        .balign 64
bios_image:
        .incbin BIOS_BIN_PATH
        .size   bios_image, . - bios_image
        .section .note.GNU-stack, "", %progbits
