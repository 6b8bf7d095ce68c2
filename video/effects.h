#pragma once
// The colour-effect passes that turn tagged pixels into colours through a palette (the console's
// in the tiled modes, the line's own in the bitmap modes). The dispatch calls them through
// `effect_passes` so that tests can see which path a line took.

#include <cstdint>

using Palette = const std::uint16_t*;
using Pass16 = void (*)(unsigned start, unsigned end, std::uint16_t* line, Palette palette);
using Pass32 = void (*)(unsigned start, unsigned end, const std::uint32_t* source,
                        std::uint16_t* dest, Palette palette);

// Blends every first target over a second target (the alpha effect).
void alpha_pass(unsigned start, unsigned end, const std::uint32_t* source, std::uint16_t* dest,
                Palette palette);
// Blends only semi-transparent objects over a second target; every other pixel shows its colour.
void semi_transparent_pass(unsigned start, unsigned end, const std::uint32_t* source,
                           std::uint16_t* dest, Palette palette);
void brighten_pass(unsigned start, unsigned end, std::uint16_t* line, Palette palette);
void darken_pass(unsigned start, unsigned end, std::uint16_t* line, Palette palette);
// Semi-transparent objects over a second target blend; other first targets brighten or darken.
void brighten_alpha_pass(unsigned start, unsigned end, const std::uint32_t* source,
                         std::uint16_t* dest, Palette palette);
void darken_alpha_pass(unsigned start, unsigned end, const std::uint32_t* source,
                       std::uint16_t* dest, Palette palette);

struct EffectPasses {
  Pass32 alpha;
  Pass32 semi_transparent;
  Pass16 brighten;
  Pass16 darken;
  Pass32 brighten_alpha;
  Pass32 darken_alpha;
};
extern EffectPasses effect_passes;

// The effects on a line drawn in colours with target bits beside them (`line_targets`): each
// changes only the pixels it applies to, with the same arithmetic as the passes above.
using TargetPass = void (*)(unsigned start, unsigned end, std::uint16_t* line);
// First targets over a second target blend.
void alpha_targets(unsigned start, unsigned end, std::uint16_t* line);
// Semi-transparent objects over a second target blend.
void semi_transparent_targets(unsigned start, unsigned end, std::uint16_t* line);
// First targets brighten or darken.
void brighten_targets(unsigned start, unsigned end, std::uint16_t* line);
void darken_targets(unsigned start, unsigned end, std::uint16_t* line);
// Semi-transparent objects over a second target blend, other first targets brighten or darken.
void brighten_semi_targets(unsigned start, unsigned end, std::uint16_t* line);
void darken_semi_targets(unsigned start, unsigned end, std::uint16_t* line);
