/* ArcTan, ArcTan2 (SWI 0x09, 0x0A), BgAffineSet and ObjAffineSet (SWI 0x0E, 0x0F). */
#include "bios.h"

/* Direction of the vector (x, y), counter-clockwise from the positive x axis, as a fraction
 * of a turn scaled so that a full turn is 2^32. CORDIC vectoring: the vector is rotated onto
 * the x axis by steps of atan(2^-i) while the steps taken are summed, so no division is
 * needed. The vector is first scaled up so that the truncating shifts cost far less than one
 * unit of the 16-bit result, whatever the input's magnitude. (0, 0) gives 0. */
static u32 vector_angle(s32 x, s32 y)
{
    u32 angle = 0;
    if (x == 0 && y == 0)
        return 0;
    if (x < 0) {
        /* Half a turn first: the steps below cover only +-99 degrees. */
        x = -x;
        y = -y;
        angle = 0x80000000u;
    }
    u32 size = (u32)x | (y < 0 ? (u32)-y : (u32)y);
    while (size < (1u << 27)) {
        size <<= 1;
        x = (s32)((u32)x << 1);
        y = (s32)((u32)y << 1);
    }
    for (u32 i = 0; i < 24; i++) {
        s32 dx = x >> i;
        s32 dy = y >> i;
        if (y > 0) {
            x += dy;
            y -= dx;
            angle += bios_cordic_table[i];
        } else {
            x -= dy;
            y += dx;
            angle -= bios_cordic_table[i];
        }
    }
    return angle;
}

/* ArcTan: r0 = tangent, signed 1.14 fixed point in the low 16 bits. Returns the angle in
 * (-0x4000, 0x4000) - a quarter turn is 0x4000 - sign-extended to 32 bits, rounded to the
 * nearest unit. Accurate over the whole input range, not only within +-45 degrees. */
s32 swi_arctan(u32 tan)
{
    s32 angle = (s32)vector_angle(0x4000, (s16)tan);
    return (angle + 0x8000) >> 16;
}

/* ArcTan2: r0 = x, r1 = y, each signed 16-bit (1.14 fixed point; only the ratio matters).
 * Returns the direction of (x, y) as 0x0000-0xFFFF for 0 <= theta < 2 pi, rounded to the
 * nearest unit. (0, 0) returns 0. */
u32 swi_arctan2(u32 x, u32 y)
{
    return ((vector_angle((s16)x, (s16)y) + 0x8000u) >> 16) & 0xFFFF;
}

/* Rotation and scaling matrix: angle = upper 8 bits of `theta` (1/256 turn), scale factors
 * 8.8 fixed point. Results 8.8, rounded down:
 *   pa =  sx cos   pb = -sx sin
 *   pc =  sy sin   pd =  sy cos
 * the matrix that maps screen steps to texture steps, as the display's PA-PD registers use
 * it (a horizontal step of (pa, pc) goes with a vertical step of (pb, pd) at right angles). */
static void rotation_scaling(s32 sx, s32 sy, u32 theta, s32 out[4])
{
    u32 a = (theta >> 8) & 0xFF;
    s32 sin = bios_sine_table[a];
    s32 cos = bios_sine_table[(a + 64) & 0xFF];
    out[0] = (s16)((sx * cos) >> 14);
    out[1] = (s16)((-sx * sin) >> 14);
    out[2] = (s16)((sy * sin) >> 14);
    out[3] = (s16)((sy * cos) >> 14);
}

/* BgAffineSet: r0 = source entries of 20 bytes (s32 texture centre x, y in 8.8; s16 screen
 * centre x, y; s16 scale x, y in 8.8; u16 angle; 2 bytes padding), r1 = destination entries
 * of 16 bytes (s16 pa, pb, pc, pd; s32 start x, y), r2 = number of entries.
 * The start point is chosen so that the screen centre shows the texture centre exactly:
 *   start x = tx - (pa cx + pb cy),  start y = ty - (pc cx + pd cy)
 * using the rounded pa-pd that are written out (wrapping at 32 bits). The destination is
 * written with 16- and 32-bit stores, so it may be the BG2/BG3 registers themselves. */
void swi_bg_affine_set(const u8 *src, u8 *dst, u32 count)
{
    for (; count; count--, src += 20, dst += 16) {
        u32 tx = read_u32(src);
        u32 ty = read_u32(src + 4);
        u32 cx = (u32)(s32)(s16)read_u16(src + 8);
        u32 cy = (u32)(s32)(s16)read_u16(src + 10);
        s32 p[4];
        rotation_scaling((s16)read_u16(src + 12), (s16)read_u16(src + 14), read_u16(src + 16), p);
        vu16 *out16 = (vu16 *)dst;
        out16[0] = (u16)p[0];
        out16[1] = (u16)p[1];
        out16[2] = (u16)p[2];
        out16[3] = (u16)p[3];
        vu32 *out32 = (vu32 *)(dst + 8);
        out32[0] = tx - ((u32)p[0] * cx + (u32)p[1] * cy);
        out32[1] = ty - ((u32)p[2] * cx + (u32)p[3] * cy);
    }
}

/* ObjAffineSet: r0 = source entries of 8 bytes (s16 scale x, y in 8.8; u16 angle; 2 bytes
 * padding, keeping entries word aligned like BgAffineSet's), r1 = destination, r2 = number of
 * entries, r3 = byte distance between the four results (2: packed, 8: inside OAM). Entry n
 * starts at destination + 4 n r3. */
void swi_obj_affine_set(const u8 *src, u8 *dst, u32 count, u32 stride)
{
    for (; count; count--, src += 8) {
        s32 p[4];
        rotation_scaling((s16)read_u16(src), (s16)read_u16(src + 2), read_u16(src + 4), p);
        for (u32 i = 0; i < 4; i++, dst += stride)
            *(vu16 *)dst = (u16)p[i];
    }
}
