#pragma once
// The colour-effect passes that turn tagged pixels into colours. The dispatch calls them through
// `effect_passes` so that tests can see which path a line took.

#include <cstdint>

using Pass16 = void (*)(unsigned start, unsigned end, std::uint16_t* line);
using Pass32 = void (*)(unsigned start, unsigned end, const std::uint32_t* source,
                        std::uint16_t* dest);

void alpha_pass(unsigned start, unsigned end, const std::uint32_t* source, std::uint16_t* dest);
void brighten_pass(unsigned start, unsigned end, std::uint16_t* line);
void darken_pass(unsigned start, unsigned end, std::uint16_t* line);
void brighten_alpha_pass(unsigned start, unsigned end, const std::uint32_t* source,
                         std::uint16_t* dest);
void darken_alpha_pass(unsigned start, unsigned end, const std::uint32_t* source,
                       std::uint16_t* dest);

struct EffectPasses {
  Pass32 alpha;
  Pass16 brighten;
  Pass16 darken;
  Pass32 brighten_alpha;
  Pass32 darken_alpha;
};
extern EffectPasses effect_passes;
