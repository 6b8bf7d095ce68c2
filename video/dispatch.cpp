// Per-line dispatch: the layer order, the path chosen once per line by the colour effect, and the
// walk over the layers: back to front in base and overlay forms on a plain line; front to back
// with target bits, then the effect on the pixels it changes, on a line with effects.

#include "video/dispatch.h"

#include <algorithm>
#include <cstring>

#include "video/effects.h"
#include "video/pixel_store.h"
#include "video/video.h"
#include "video/windows.h"

namespace {

// DISPCNT bits 8-12 that each mode can show. Modes 6 and 7 are not real modes: backdrop only.
constexpr std::uint8_t ACTIVE_LAYERS[8] = {0x1F, 0x17, 0x1C, 0x14, 0x14, 0x14, 0x00, 0x00};

enum Effect : unsigned { EFFECT_NONE, EFFECT_ALPHA, EFFECT_BRIGHTEN, EFFECT_DARKEN };

unsigned effect_of(std::uint32_t bldcnt) { return (bldcnt >> 6) & 3; }

// Draws the layers of `layer_order` that `shown` allows (window flag bits: 0-3 backgrounds, 4
// objects) over [start, end), back to front: the bottom drawn one in the base form, the rest as
// overlays; object groups at the bottom go over a filled backdrop, as does a span where nothing is
// drawable.
void draw_layers(std::uint16_t* line, unsigned start, unsigned end, std::uint32_t dispcnt,
                 unsigned shown) {
  const ObjectRenderers& object_set = object_renderers[(dispcnt & DISPCNT_OBJ_1D) ? 1 : 0];
  const unsigned mode = dispcnt & 7;
  const std::uint16_t backdrop = machine.native_palette[0];
  bool first = true;
  for (unsigned i = 0; i < machine.layer_count; ++i) {
    unsigned layer = machine.layer_order[i];
    if (((shown >> (layer & 4 ? 4 : layer)) & 1) == 0) continue;
    if (layer & 4) {
      if (first) fill16(line, start, end, backdrop);
      object_set.plain(layer & 3, start, end, line);
    } else {
      background_renderers[mode][layer]->plain[first ? BASE : OVERLAY](layer, start, end, line);
    }
    first = false;
  }
  if (first) fill16(line, start, end, backdrop);
}

void advance_reference_points() {
  for (unsigned bg = 0; bg < 2; ++bg) {
    // Unsigned sums wrap as the hardware's adders do.
    machine.affine_ref_x[bg] =
        static_cast<std::int32_t>(static_cast<std::uint32_t>(machine.affine_ref_x[bg]) +
                                  static_cast<std::uint32_t>(reg16_signed(IO_BG2PB + 0x10 * bg)));
    machine.affine_ref_y[bg] =
        static_cast<std::int32_t>(static_cast<std::uint32_t>(machine.affine_ref_y[bg]) +
                                  static_cast<std::uint32_t>(reg16_signed(IO_BG2PD + 0x10 * bg)));
  }
}

}  // namespace

const LayerRenderers* const background_renderers[8][4] = {
    {&text_renderers, &text_renderers, &text_renderers, &text_renderers},
    {&text_renderers, &text_renderers, &affine_renderers, &text_renderers},
    {&text_renderers, &text_renderers, &affine_renderers, &affine_renderers},
    {nullptr, nullptr, &bitmap_renderers[0], nullptr},
    {nullptr, nullptr, &bitmap_renderers[1], nullptr},
    {nullptr, nullptr, &bitmap_renderers[2], nullptr},
    {},
    {},
};

void fill_palette(std::uint16_t* line, unsigned start, unsigned end, unsigned index) {
  fill16(line, start, end, machine.native_palette[index]);
}
void fill16(std::uint16_t* line, unsigned start, unsigned end, std::uint16_t value) {
  for (unsigned x = start; x < end; ++x) line[x] = value;
}
void build_layer_order(unsigned mask) {
  unsigned line = vcount() < SCREEN_HEIGHT ? vcount() : 0;
  std::uint32_t count = 0;
  for (unsigned priority = 4; priority-- > 0;) {
    for (unsigned bg = 4; bg-- > 0;) {
      if ((mask >> bg) & 1 && (bgcnt(bg) & 3) == priority)
        machine.layer_order[count++] = static_cast<std::uint8_t>(bg);
    }
    if ((mask & 0x10) && machine.object_line_count[priority][line] != 0) {
      machine.layer_order[count++] = static_cast<std::uint8_t>(4 + priority);
    }
  }
  machine.layer_count = count;
}

void fill_backdrop(std::uint16_t* line, unsigned start, unsigned end) {
  std::uint32_t bldcnt = io_read16(IO_BLDCNT);
  unsigned effect = effect_of(bldcnt);
  fill_palette(line, start, end, 0);
  if ((bldcnt & 0x20) == 0 || (effect != EFFECT_BRIGHTEN && effect != EFFECT_DARKEN)) return;
  std::memset(line_targets.top + start, backdrop_target_bits(), end - start);
  (effect == EFFECT_BRIGHTEN ? target_passes.brighten : target_passes.darken)(start, end, line);
}

LineTargets line_targets;

namespace {

// The backdrop under whatever the layers will leave: the top of every pixel until a layer takes
// it, and, where first targets keep what lies beneath them, what lies beneath until a layer comes
// under one.
void start_with_backdrop(unsigned start, unsigned end, std::uint16_t* line, bool beneath_kept) {
  LineTargets& t = line_targets;
  const std::uint16_t backdrop = machine.native_palette[0];
  const std::uint8_t backdrop_bits = backdrop_target_bits();
  std::fill(line + start, line + end, backdrop);
  std::memset(t.top + start, backdrop_bits, end - start);
  if (beneath_kept) {
    std::fill(t.beneath + start, t.beneath + end, backdrop);
    std::memset(t.beneath_bits + start, backdrop_bits, end - start);
  }
}

// The backdrop, then the layers that `shown` allows over it, front to back, with their target
// bits, then the effect on the pixels that take it. `semi`: the line has
// semi-transparent objects, which keep what lies beneath them.
[[gnu::noinline]] void render_targets(std::uint16_t* line, unsigned start, unsigned end,
                                      std::uint32_t dispcnt, unsigned shown, bool alpha, bool semi,
                                      TargetPass pass) {
  line_targets.keep_first_beneath = alpha;
  line_targets.untouched = true;
  std::memset(line_targets.depth + start, DEPTH_NONE, end - start);
  start_with_backdrop(start, end, line, alpha || semi);
  const ObjectRenderers& object_set = object_renderers[(dispcnt & DISPCNT_OBJ_1D) ? 1 : 0];
  unsigned mode = dispcnt & 7;
  for (unsigned i = machine.layer_count; i-- > 0;) {
    unsigned layer = machine.layer_order[i];
    if (((shown >> (layer & 4 ? 4 : layer)) & 1) == 0) continue;
    if (layer & 4) {
      object_set.targets(layer & 3, start, end, line);  // leaves `untouched` if it drew nothing
    } else {
      background_renderers[mode][layer]->targets(layer, start, end, line);
      line_targets.untouched = false;
    }
  }
  pass(start, end, line);
}

}  // namespace

void render_span(std::uint16_t* line, unsigned start, unsigned end, std::uint32_t dispcnt,
                 unsigned flags) {
  if (machine.layer_count == 0 || (flags & 0x1F) == 0) return fill_backdrop(line, start, end);
  std::uint32_t bldcnt = io_read16(IO_BLDCNT);
  unsigned effect = effect_of(bldcnt);
  bool allowed = (flags & 0x20) != 0;
  bool some_first = (bldcnt & 0x3F) != 0;
  bool alpha = allowed && effect == EFFECT_ALPHA && (io_read16(IO_BLDALPHA) & 0x1F1F) != 0x1F &&
               some_first && (bldcnt & 0x3F00) != 0;
  // Semi-transparent objects are first targets whatever BLDCNT selects, so they fade on a line
  // that has no other first target; they blend even where the window forbids effects.
  bool semi = machine.semi_transparent_count[vcount()] != 0;
  bool brighten = effect == EFFECT_BRIGHTEN;
  bool fading =
      allowed && (brighten || effect == EFFECT_DARKEN) && (io_read16(IO_BLDY) & 0x1F) != 0;
  if (!alpha && !semi && !(fading && some_first)) {
    return draw_layers(line, start, end, dispcnt, flags);
  }
  const TargetPasses& passes = target_passes;
  TargetPass pass = alpha ? passes.alpha : passes.semi_transparent;
  if (!alpha && fading) {
    if (semi) {
      pass = brighten ? passes.brighten_semi : passes.darken_semi;
    } else {
      pass = brighten ? passes.brighten : passes.darken;
    }
  }
  render_targets(line, start, end, dispcnt, flags, alpha, semi, pass);
}

void render_line(std::uint16_t* line, std::uint32_t dispcnt) {
  render_span(line, 0, SCREEN_WIDTH, dispcnt, 0x3F);
}

void video_scanline() {
  std::uint32_t dispcnt = io_read16(IO_DISPCNT);
  unsigned mode = dispcnt & 7;
  unsigned y = vcount();
  if (y >= SCREEN_HEIGHT) return;
  if (machine.oam_dirty) {
    rebuild_object_lines(mode);
    machine.oam_dirty = 0;
  }
  build_layer_order(ACTIVE_LAYERS[mode] & (dispcnt >> 8));
  if (machine.skip_frame) return;
  std::uint16_t* line = machine.frame_pixels + y * SCREEN_WIDTH;
  bool windows = (dispcnt & DISPCNT_WINDOWS) != 0;
  if (dispcnt & DISPCNT_FORCED_BLANK) {
    fill16(line, 0, SCREEN_WIDTH, 0xFFFF);
  } else {
    (windows ? render_line_windowed : render_line)(line, dispcnt);
  }
  advance_reference_points();
}

void (*present_frame_hook)(const std::uint16_t* pixels) = nullptr;

void video_frame_end() {
  if (!machine.skip_frame && present_frame_hook != nullptr)
    present_frame_hook(machine.frame_pixels);
}
