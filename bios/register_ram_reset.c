/* RegisterRamReset (SWI 0x01). */
#include "bios.h"

#define IO16(offset) (*(vu16 *)(IO_BASE + (offset)))

/* Writes `value` to `count` consecutive halfword registers. All registers are written 16
 * bits at a time: every I/O register accepts that. */
static void io_fill(u32 offset, u32 value, u32 count)
{
    vu16 *reg = (vu16 *)(IO_BASE + offset);
    while (count--)
        *reg++ = (u16)value;
}

static void reset_sio(void)
{
    io_fill(0x120, 0, 6);        /* SIODATA32/SIOMULTI0-3, SIOCNT, SIODATA8 */
    IO16(0x134) = 0x8000;        /* RCNT: general-purpose mode */
    IO16(0x140) = 0;             /* JOYCNT */
    io_fill(0x150, 0, 5);        /* JOY_RECV, JOY_TRANS, JOYSTAT */
}

static void reset_sound(void)
{
    /* Master enable first, so the channel registers accept the zeros even where disabling
     * sound would not clear them by itself; then switch sound off. */
    IO16(0x084) = 0x0080;
    io_fill(0x060, 0, 0x12);     /* channels 1-4, SOUNDCNT_L, SOUNDCNT_H */
    IO16(0x084) = 0;
    IO16(0x088) = 0x0200;        /* SOUNDBIAS: level 0x200, 9-bit resolution */
}

static void reset_other(void)
{
    io_fill(0x002, 0, 0x2A);     /* display 0x002-0x055; DISPCNT is handled by the caller */
    IO16(0x020) = 0x0100;        /* BG2PA, BG2PD, BG3PA, BG3PD: identity transform */
    IO16(0x026) = 0x0100;
    IO16(0x030) = 0x0100;
    IO16(0x036) = 0x0100;
    io_fill(0x0B0, 0, 0x18);     /* DMA 0-3 */
    io_fill(0x100, 0, 8);        /* timers 0-3 */
    IO16(0x132) = 0;             /* KEYCNT */
    IO16(0x200) = 0;             /* IE */
    IO16(0x202) = 0xFFFF;        /* IF: acknowledge everything pending */
    IO16(0x204) = 0;             /* WAITCNT */
    IO16(0x208) = 0;             /* IME */
}

/* Bits of `flags`: 0 EWRAM, 1 IWRAM except its last 0x200 bytes (stacks and BIOS data),
 * 2 palette, 3 VRAM, 4 OAM, 5 serial registers, 6 sound registers, 7 all other registers.
 * The display is put in forced blank (DISPCNT = 0x0080) whatever the flags say. HALTCNT,
 * POSTFLG and the internal memory control at 0x04000800 are never written. */
void swi_register_ram_reset(u32 flags)
{
    IO16(0x000) = 0x0080;
    if (flags & 0x01)
        bios_fill32((void *)0x02000000, 0, 0x40000);
    if (flags & 0x02)
        bios_fill32((void *)0x03000000, 0, 0x7E00);
    if (flags & 0x04)
        bios_fill32((void *)0x05000000, 0, 0x400);
    if (flags & 0x08)
        bios_fill32((void *)0x06000000, 0, 0x18000);
    if (flags & 0x10)
        bios_fill32((void *)0x07000000, 0, 0x400);
    if (flags & 0x20)
        reset_sio();
    if (flags & 0x40)
        reset_sound();
    if (flags & 0x80)
        reset_other();
}
