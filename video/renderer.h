#pragma once
// What the line dispatch and the layer renderers share: register access, tagged pixels, the
// renderer function types and tables, and the line fill routines.

#include <cstdint>

#include "core/io/io_image.h"
#include "core/state.h"

constexpr unsigned SCREEN_WIDTH = 240;
constexpr unsigned SCREEN_HEIGHT = 160;

constexpr std::uint32_t DISPCNT_FRAME_SELECT = 1u << 4;
constexpr std::uint32_t DISPCNT_OBJ_1D = 1u << 6;
constexpr std::uint32_t DISPCNT_FORCED_BLANK = 1u << 7;
constexpr std::uint32_t DISPCNT_WINDOWS = 7u << 13;

// A tagged pixel: palette index in bits 0-8, first target bit 9, second target bit 10, and bit 11
// for a semi-transparent object's pixel, which blends whatever the effect.
constexpr std::uint32_t TAG_FIRST = 1u << 9;
constexpr std::uint32_t TAG_SECOND = 1u << 10;
constexpr std::uint32_t TAG_SEMI = 1u << 11;
constexpr std::uint32_t OBJECT_PALETTE = 0x100;

inline std::int32_t reg16_signed(std::uint32_t offset) {
  return static_cast<std::int16_t>(io_read16(offset));
}
inline std::uint32_t vcount() { return io_read16(IO_VCOUNT); }
inline std::uint32_t bgcnt(unsigned background) { return io_read16(IO_BG0CNT + 2 * background); }

// The tag a layer's opaque pixels carry: BLDCNT bit `layer` first target, bit `layer` + 8 second.
inline std::uint32_t layer_tag(unsigned layer) {
  std::uint32_t bldcnt = io_read16(IO_BLDCNT);
  return (((bldcnt >> layer) & 1) << 9) | (((bldcnt >> (layer + 8)) & 1) << 10);
}
// The backdrop's tag: palette index 0 with BLDCNT bits 5 and 13.
inline std::uint32_t backdrop_tag() { return layer_tag(5); }
inline bool first_target(unsigned layer) { return (io_read16(IO_BLDCNT) >> layer) & 1; }

// Layer renderers draw pixels [start, end) of the current line.
using Render16 = void (*)(unsigned layer, unsigned start, unsigned end, std::uint16_t* line);
using Render32 = void (*)(unsigned layer, unsigned start, unsigned end, std::uint32_t* line);

enum Form : unsigned { BASE = 0, OVERLAY = 1 };

// The eight renderers of one background slot, each indexed by Form.
struct LayerRenderers {
  Render16 plain[2];
  Render32 blend[2];
  Render16 index16[2];
  Render32 index32[2];
};

extern const LayerRenderers text_renderers;
extern const LayerRenderers affine_renderers;
extern const LayerRenderers bitmap_renderers[3];  // BG2 of modes 3, 4, 5

// The bitmap modes' pixels are colours, not palette indices: in the tagged variants BG2's pixel at
// x names entry 1 + x of this palette, which takes the colour drawn there. The dispatch copies the
// backdrop (entry 0) and the object palette (256-511) in before a colour-effect pass reads it.
extern std::uint16_t bitmap_line_palette[512];

// Object renderers take the priority in place of the layer; one per variant and tile mapping.
struct ObjectRenderers {
  Render16 plain;
  Render32 blend;
  Render16 index16;
  Render32 index32;
};
extern const ObjectRenderers object_renderers[2];  // two-dimensional, one-dimensional mapping

void fill_palette(std::uint16_t* line, unsigned start, unsigned end, unsigned index);
void fill16(std::uint16_t* line, unsigned start, unsigned end, std::uint16_t value);
void fill32(std::uint32_t* line, unsigned start, unsigned end, std::uint16_t value);
