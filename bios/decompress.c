/* BitUnPack and the decompression functions (SWI 0x10-0x18).
 *
 * All of them take the 32-bit data header (size after decompression in bits 8-31) at the
 * source address and trust the type bits: the caller chose the function. Source data is read
 * a byte at a time, so no source alignment is needed. Output stops exactly at the size in the
 * header, even when the last block or run would go further. */
#include "bios.h"

/* Output that is either written a byte at a time ("Wram" functions) or, for VRAM, which
 * ignores 8-bit writes, only in aligned halfwords: the even byte waits in `pending` until its
 * odd partner arrives. */
struct output {
    u8 *base;
    u32 pos;
    u32 pending;
    u32 halfwords;
};

static void output_init(struct output *out, u8 *dst, u32 halfwords)
{
    out->base = halfwords ? (u8 *)((u32)dst & ~1u) : dst;
    out->pos = 0;
    out->pending = 0;
    out->halfwords = halfwords;
}

static inline void output_byte(struct output *out, u32 value)
{
    value &= 0xFF;
    if (!out->halfwords)
        out->base[out->pos] = (u8)value;
    else if (out->pos & 1)
        *(vu16 *)(out->base + out->pos - 1) = (u16)(out->pending | (value << 8));
    else
        out->pending = value;
    out->pos++;
}

/* The byte `distance` (>= 1) positions back in the output. In halfword mode the byte just
 * produced may still be pending, so it is taken from there: unlike the console, the "Vram"
 * LZ77 function therefore also handles a displacement of 0 correctly. */
static inline u32 output_back(const struct output *out, u32 distance)
{
    if (out->halfwords && distance == 1 && (out->pos & 1))
        return out->pending;
    return ((const vu8 *)out->base)[out->pos - distance];
}

/* A final odd byte in halfword mode goes out with the byte after it unchanged. */
static void output_finish(struct output *out)
{
    if (out->halfwords && (out->pos & 1)) {
        vu16 *last = (vu16 *)(out->base + out->pos - 1);
        *last = (u16)((*last & 0xFF00) | out->pending);
    }
}

/* LZ77: flag bytes announce 8 blocks each, MSB first; a set flag is a 2-byte reference
 * (length - 3 in the top 4 bits, displacement - 1 in the other 12) to data already
 * written, a clear flag one literal byte. */
static void lz77(const u8 *src, u8 *dst, u32 halfwords)
{
    struct output out;
    output_init(&out, dst, halfwords);
    u32 size = read_u32(src) >> 8;
    const u8 *in = src + 4;
    while (out.pos < size) {
        u32 flags = *in++;
        for (u32 bit = 0x80; bit && out.pos < size; bit >>= 1) {
            if (flags & bit) {
                u32 length = (in[0] >> 4) + 3;
                u32 distance = (((u32)(in[0] & 0x0F) << 8) | in[1]) + 1;
                in += 2;
                for (; length && out.pos < size; length--)
                    output_byte(&out, output_back(&out, distance));
            } else {
                output_byte(&out, *in++);
            }
        }
    }
    output_finish(&out);
}

void swi_lz77_wram(const u8 *src, u8 *dst) { lz77(src, dst, 0); }
void swi_lz77_vram(const u8 *src, u8 *dst) { lz77(src, dst, 1); }

/* Run-length: a flag byte with bit 7 set is followed by one byte repeated (flag & 0x7F) + 3
 * times, with bit 7 clear by (flag & 0x7F) + 1 literal bytes. */
static void run_length(const u8 *src, u8 *dst, u32 halfwords)
{
    struct output out;
    output_init(&out, dst, halfwords);
    u32 size = read_u32(src) >> 8;
    const u8 *in = src + 4;
    while (out.pos < size) {
        u32 flag = *in++;
        if (flag & 0x80) {
            u32 value = *in++;
            for (u32 n = (flag & 0x7F) + 3; n && out.pos < size; n--)
                output_byte(&out, value);
        } else {
            for (u32 n = (flag & 0x7F) + 1; n && out.pos < size; n--)
                output_byte(&out, *in++);
        }
    }
    output_finish(&out);
}

void swi_rl_wram(const u8 *src, u8 *dst) { run_length(src, dst, 0); }
void swi_rl_vram(const u8 *src, u8 *dst) { run_length(src, dst, 1); }

/* Difference filters: each unit is the previous output plus the stored difference, modulo
 * the unit size; the first is stored as is. */
static void diff8(const u8 *src, u8 *dst, u32 halfwords)
{
    struct output out;
    output_init(&out, dst, halfwords);
    u32 size = read_u32(src) >> 8;
    const u8 *in = src + 4;
    u32 value = 0;
    while (out.pos < size) {
        value += *in++;
        output_byte(&out, value);
    }
    output_finish(&out);
}

void swi_diff8_wram(const u8 *src, u8 *dst) { diff8(src, dst, 0); }
void swi_diff8_vram(const u8 *src, u8 *dst) { diff8(src, dst, 1); }

/* 16-bit units, written as halfwords; an odd size is rounded up to whole units. */
void swi_diff16(const u8 *src, u8 *dst)
{
    u32 size = read_u32(src) >> 8;
    const u8 *in = src + 4;
    vu16 *out = (vu16 *)((u32)dst & ~1u);
    u32 value = 0;
    for (u32 done = 0; done < size; done += 2, in += 2) {
        value += read_u16(in);
        *out++ = (u16)value;
    }
}

/* Huffman: header bits 0-3 = data unit width (1, 2, 4 or 8; anything else does nothing),
 * then the tree size byte, the tree, and the bitstream in 32-bit words, MSB first. Units are
 * packed from bit 0 up into 32-bit words, which are written whole; when the size is not a
 * multiple of 4 the last word is written with its unused upper units zero. */
void swi_huff(const u8 *src, u32 *dst)
{
    u32 header = read_u32(src);
    u32 width = header & 0x0F;
    if (width != 1 && width != 2 && width != 4 && width != 8)
        return;
    u32 unit_mask = (1u << width) - 1;
    u32 bits_left = (header >> 8) * 8;
    const u8 *root = src + 5;
    const u8 *stream = src + 4 + ((u32)src[4] + 1) * 2;
    u32 *out = (u32 *)((u32)dst & ~3u);

    const u8 *node = root;
    u32 code = 0, code_bits = 0;
    u32 word = 0, word_bits = 0;
    while (bits_left) {
        if (!code_bits) {
            code = read_u32(stream);
            stream += 4;
            code_bits = 32;
        }
        u32 bit = code >> 31;
        code <<= 1;
        code_bits--;
        u32 n = *node;
        const u8 *child = (const u8 *)(((u32)node & ~1u) + (n & 0x3F) * 2 + 2 + bit);
        if (n & (bit ? 0x40 : 0x80)) {
            word |= (*child & unit_mask) << word_bits;
            word_bits += width;
            bits_left -= width;
            if (word_bits == 32) {
                *out++ = word;
                word = 0;
                word_bits = 0;
            }
            node = root;
        } else {
            node = child;
        }
    }
    if (word_bits)
        *out = word;
}

/* BitUnPack: r2 points to { u16 source bytes; u8 source unit width (1, 2, 4, 8); u8
 * destination unit width (1, 2, 4, 8, 16, 32); u32 offset (bits 0-30) | zero flag (bit
 * 31) }. Source units are taken from bit 0 up; the offset is added to nonzero units, and to
 * zero units too when the flag is set; the sum is cut to the destination width. Output goes
 * out in whole 32-bit words; a final partial word is not written. Unsupported widths do
 * nothing. */
void swi_bit_unpack(const u8 *src, u32 *dst, const u8 *info)
{
    u32 length = read_u16(info);
    u32 src_width = read_u8(info + 2);
    u32 dst_width = read_u8(info + 3);
    u32 offset = read_u32(info + 4);
    u32 add_to_zero = offset >> 31;
    offset &= 0x7FFFFFFF;
    if (src_width != 1 && src_width != 2 && src_width != 4 && src_width != 8)
        return;
    if (dst_width != 1 && dst_width != 2 && dst_width != 4 && dst_width != 8 && dst_width != 16 &&
        dst_width != 32)
        return;
    u32 src_mask = (1u << src_width) - 1;
    u32 dst_mask = dst_width == 32 ? 0xFFFFFFFFu : (1u << dst_width) - 1;
    u32 *out = (u32 *)((u32)dst & ~3u);
    u32 word = 0, word_bits = 0;
    for (; length; length--) {
        u32 byte = *src++;
        for (u32 shift = 0; shift < 8; shift += src_width) {
            u32 unit = (byte >> shift) & src_mask;
            if (unit || add_to_zero)
                unit += offset;
            word |= (unit & dst_mask) << word_bits;
            word_bits += dst_width;
            if (word_bits == 32) {
                *out++ = word;
                word = 0;
                word_bits = 0;
            }
        }
    }
}
