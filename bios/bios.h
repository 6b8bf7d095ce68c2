/* Shared declarations of the BIOS's C parts. Everything here runs on the console's CPU, in
 * System mode on the caller's stack, called by the SWI dispatcher in vectors.S. */
#ifndef ORVANE_BIOS_H
#define ORVANE_BIOS_H

#include <stdint.h>

typedef uint8_t u8;
typedef uint16_t u16;
typedef uint32_t u32;
typedef uint64_t u64;
typedef int8_t s8;
typedef int16_t s16;
typedef int32_t s32;
typedef volatile uint8_t vu8;
typedef volatile uint16_t vu16;
typedef volatile uint32_t vu32;

#define IO_BASE 0x04000000u

/* Tables computed by gen_tables.py. */
extern const s16 bios_sine_table[256];
extern const u32 bios_cordic_table[24];
extern const u32 bios_semitone_table[12];
extern const u32 bios_fine_pitch_table[256];

/* memcopy.S: stores `value` over `bytes` bytes (a multiple of 32) from the word-aligned `dst`. */
void bios_fill32(void *dst, u32 value, u32 bytes);

/* Little-endian reads that work at any address: headers and parameter blocks are read with
 * these so that a misaligned pointer costs speed, not correctness. */
static inline u32 read_u8(const u8 *p) { return p[0]; }
static inline u32 read_u16(const u8 *p) { return (u32)p[0] | ((u32)p[1] << 8); }
static inline u32 read_u32(const u8 *p)
{
    return (u32)p[0] | ((u32)p[1] << 8) | ((u32)p[2] << 16) | ((u32)p[3] << 24);
}

/* SWI functions written in C (numbers in vectors.S). */
void swi_register_ram_reset(u32 flags);
s32 swi_arctan(u32 tan);
u32 swi_arctan2(u32 x, u32 y);
void swi_bg_affine_set(const u8 *src, u8 *dst, u32 count);
void swi_obj_affine_set(const u8 *src, u8 *dst, u32 count, u32 stride);
void swi_bit_unpack(const u8 *src, u32 *dst, const u8 *info);
void swi_lz77_wram(const u8 *src, u8 *dst);
void swi_lz77_vram(const u8 *src, u8 *dst);
void swi_huff(const u8 *src, u32 *dst);
void swi_rl_wram(const u8 *src, u8 *dst);
void swi_rl_vram(const u8 *src, u8 *dst);
void swi_diff8_wram(const u8 *src, u8 *dst);
void swi_diff8_vram(const u8 *src, u8 *dst);
void swi_diff16(const u8 *src, u8 *dst);
void swi_sound_bias(u32 level);
u32 swi_midi_key_2_freq(u32 wave, u32 key, u32 fine);

#endif
