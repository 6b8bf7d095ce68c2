#pragma once
// What the line dispatch and the layer renderers share: register access, target bits, the
// renderer function types and tables, and the line fill routines.

#include <algorithm>
#include <cstdint>

#include "core/io/io_image.h"
#include "core/state.h"

constexpr unsigned SCREEN_WIDTH = 240;
constexpr unsigned SCREEN_HEIGHT = 160;

constexpr std::uint32_t DISPCNT_FRAME_SELECT = 1u << 4;
constexpr std::uint32_t DISPCNT_OBJ_1D = 1u << 6;
constexpr std::uint32_t DISPCNT_FORCED_BLANK = 1u << 7;
constexpr std::uint32_t DISPCNT_WINDOWS = 7u << 13;

inline std::int32_t reg16_signed(std::uint32_t offset) {
  return static_cast<std::int16_t>(io_read16(offset));
}
inline std::uint32_t vcount() { return io_read16(IO_VCOUNT); }
inline std::uint32_t bgcnt(unsigned background) { return io_read16(IO_BG0CNT + 2 * background); }

// On a line with colour effects the layers draw colours, front to back, and note beside them what
// the effects need: the target bits of the layer on top of each pixel and, under a first target
// that blends, the colour and bits of what lies beneath. The effects then touch only the pixels
// that they change.
constexpr std::uint8_t TARGET_FIRST = 1;
constexpr std::uint8_t TARGET_SECOND = 2;
constexpr std::uint8_t TARGET_OBJECT = 4;
constexpr std::uint8_t TARGET_SEMI = 8;  // a semi-transparent object's pixel, always a first target
constexpr std::uint8_t TARGET_BACKDROP = 16;  // nothing beneath it
// What each pixel has so far while the layers are drawn front to back.
constexpr std::uint8_t DEPTH_NONE = 0;
constexpr std::uint8_t DEPTH_TOP = 1;   // its top, a first target that wants what lies beneath
constexpr std::uint8_t DEPTH_DONE = 2;  // all that the effects read
struct LineTargets {
  std::uint8_t top[SCREEN_WIDTH];
  std::uint8_t beneath_bits[SCREEN_WIDTH];
  std::uint16_t beneath[SCREEN_WIDTH];
  std::uint8_t depth[SCREEN_WIDTH + 8];  // room for eight-byte reads at the end of the line
  // Whether first targets keep what lies beneath them: only the alpha blend reads it (a
  // semi-transparent object always keeps it).
  bool keep_first_beneath;
  bool untouched;  // no layer drawn yet over the span: every depth is DEPTH_NONE
};
extern LineTargets line_targets;

// BLDCNT bit `layer` as TARGET_FIRST, bit `layer` + 8 as TARGET_SECOND.
inline std::uint8_t target_bits(unsigned layer) {
  std::uint32_t bldcnt = io_read16(IO_BLDCNT);
  return static_cast<std::uint8_t>(((bldcnt >> layer) & 1) | ((bldcnt >> (layer + 7)) & 2));
}
inline std::uint8_t backdrop_target_bits() { return target_bits(5) | TARGET_BACKDROP; }

// Whether each of the eight 4-bit or 8-bit texels of a row word is opaque (non-zero).
template <unsigned Depth>
constexpr bool all_opaque(std::uint64_t word) {
  constexpr std::uint64_t lows = Depth == 8 ? 0x0101010101010101u : 0x11111111u;
  std::uint64_t any = word | word >> 1 | word >> 2 | word >> 3;
  if constexpr (Depth == 8) any |= word >> 4 | word >> 5 | word >> 6 | word >> 7;
  return (any & lows) == lows;
}

// The steps i of [0, count) at which t + d x i lies in [low, high): one run, as a line crosses a
// band once.
struct StepRange {
  unsigned first, end;
};
inline std::int64_t floor_div(std::int64_t a, std::int64_t b) {  // b > 0
  return a >= 0 ? a / b : -((-a + b - 1) / b);
}
inline StepRange steps_inside(std::int64_t t, std::int64_t d, std::int64_t low, std::int64_t high,
                              unsigned count) {
  std::int64_t first = 0, end = count;
  if (d == 0) {
    if (t < low || t >= high) end = 0;
  } else if (d > 0) {
    first = std::max<std::int64_t>(first, -floor_div(t - low, d));  // ceil((low - t) / d)
    end = std::min<std::int64_t>(end, floor_div(high - 1 - t, d) + 1);
  } else {
    first = std::max<std::int64_t>(0, -floor_div(high - 1 - t, -d));  // ceil((t - high + 1) / -d)
    end = std::min<std::int64_t>(end, floor_div(t - low, -d) + 1);
  }
  if (end <= first) return {0, 0};
  return {static_cast<unsigned>(first), static_cast<unsigned>(end)};
}

// Layer renderers draw pixels [start, end) of the current line.
using Render16 = void (*)(unsigned layer, unsigned start, unsigned end, std::uint16_t* line);

enum Form : unsigned { BASE = 0, OVERLAY = 1 };

// The renderers of one background slot: the plain ones indexed by Form; effect lines are drawn
// front to back, where every layer is an overlay.
struct LayerRenderers {
  Render16 plain[2];
  Render16 targets;
};

extern const LayerRenderers text_renderers;
extern const LayerRenderers affine_renderers;
extern const LayerRenderers bitmap_renderers[3];  // BG2 of modes 3, 4, 5

// Object renderers take the priority in place of the layer; one per variant and tile mapping.
struct ObjectRenderers {
  Render16 plain;
  Render16 targets;
};
extern const ObjectRenderers object_renderers[2];  // two-dimensional, one-dimensional mapping

void fill_palette(std::uint16_t* line, unsigned start, unsigned end, unsigned index);
void fill16(std::uint16_t* line, unsigned start, unsigned end, std::uint16_t value);
