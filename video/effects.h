#pragma once
// The colour-effect passes over a line drawn in colours with target bits beside them. The dispatch
// calls them through `target_passes` so that tests can see which path a line took.

#include <cstdint>

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

struct TargetPasses {
  TargetPass alpha;
  TargetPass semi_transparent;
  TargetPass brighten;
  TargetPass darken;
  TargetPass brighten_semi;
  TargetPass darken_semi;
};
extern TargetPasses target_passes;
