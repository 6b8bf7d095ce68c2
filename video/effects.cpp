// Until the colour arithmetic arrives, every pass shows each tagged pixel in its own palette
// colour, which is what the passes do for pixels that carry no effect.

#include "video/effects.h"

#include "core/state.h"

namespace {

void uncoloured32(unsigned start, unsigned end, const std::uint32_t* source, std::uint16_t* dest) {
  for (unsigned x = start; x < end; ++x) dest[x] = machine.native_palette[source[x] & 0x1FF];
}

void uncoloured16(unsigned start, unsigned end, std::uint16_t* line) {
  for (unsigned x = start; x < end; ++x) line[x] = machine.native_palette[line[x] & 0x1FF];
}

}  // namespace

void alpha_pass(unsigned start, unsigned end, const std::uint32_t* source, std::uint16_t* dest) {
  uncoloured32(start, end, source, dest);
}
void brighten_pass(unsigned start, unsigned end, std::uint16_t* line) { uncoloured16(start, end, line); }
void darken_pass(unsigned start, unsigned end, std::uint16_t* line) { uncoloured16(start, end, line); }
void brighten_alpha_pass(unsigned start, unsigned end, const std::uint32_t* source, std::uint16_t* dest) {
  uncoloured32(start, end, source, dest);
}
void darken_alpha_pass(unsigned start, unsigned end, const std::uint32_t* source, std::uint16_t* dest) {
  uncoloured32(start, end, source, dest);
}

EffectPasses effect_passes = {alpha_pass, brighten_pass, darken_pass, brighten_alpha_pass,
                              darken_alpha_pass};
