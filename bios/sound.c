/* SoundBias (SWI 0x19) and MidiKey2Freq (SWI 0x1F). The sound driver functions themselves
 * belong to the emulator and return without effect (vectors.S). */
#include "bios.h"

#define SOUNDBIAS (*(vu16 *)(IO_BASE + 0x088))
#define BIAS_LEVEL_MASK 0x03FEu /* bits 1-9 */

static void short_delay(void)
{
    u32 n = 8;
    __asm__ volatile("1: subs %0, %0, #1\n\tbne 1b" : "+r"(n) : : "cc");
}

/* SoundBias: r0 = 0 for level 0x000, anything else for level 0x200. Moves the level in bits
 * 1-9 one step (2) at a time with a short delay after each write, so the output does not
 * click; all other bits keep the value read at the start. */
void swi_sound_bias(u32 level)
{
    u32 target = level ? 0x200 : 0;
    u32 value = SOUNDBIAS;
    for (;;) {
        u32 current = value & BIAS_LEVEL_MASK;
        if (current == target)
            break;
        current = current < target ? current + 2 : current - 2;
        value = (value & ~BIAS_LEVEL_MASK) | current;
        SOUNDBIAS = (u16)value;
        short_delay();
    }
}

/* MidiKey2Freq: r0 = WaveData, r1 = MIDI key (8 bits), r2 = fine adjustment in 1/256
 * semitones (8 bits). WaveData.freq (at +4) holds rate * 2^((180 - original key) / 12), so
 *   result = freq * 2^((key - 180 + fine / 256) / 12)
 * rounded down, modulo 2^32. The exponent is split into whole octaves (a shift), semitones
 * and 1/256 semitones (tables scaled by 2^31), so the result is exact to about 1 part in
 * 10^9.
 * freq is read as the ARM7's LDR reads a misaligned word (the aligned word rotated right by
 * 8 bits per byte of misalignment), whatever the CPU running this does with misaligned loads,
 * so that software reading bytes through this function gets what it expects. */
u32 swi_midi_key_2_freq(u32 wave, u32 key, u32 fine)
{
    u32 address = wave + 4;
    u32 raw = *(const vu32 *)(address & ~3u);
    u32 rotate = (address & 3) * 8;
    u32 freq = rotate ? (raw >> rotate) | (raw << (32 - rotate)) : raw;

    s32 steps = ((s32)(key & 0xFF) - 180) * 256 + (s32)(fine & 0xFF); /* -46080..19455 */
    u32 within = (u32)(steps + 15 * 3072);                            /* 0..65535 */
    u32 octaves = 0;
    while (within >= 3072) {
        within -= 3072;
        octaves++;
    }
    u32 factor = (u32)(((u64)bios_semitone_table[within >> 8] * bios_fine_pitch_table[within & 0xFF]) >> 31);
    u64 product = (u64)freq * factor;
    u32 high = (u32)(product >> 32);
    u32 low = (u32)product;
    u32 shift = 31 + 15 - octaves; /* 25..46 */
    if (shift < 32)
        return (low >> shift) | (high << (32 - shift));
    return high >> (shift - 32);
}
