// The colour-effect passes. Colours are spread so that one multiply scales red, green and blue at
// once, with room above each field for the carries of a sum of two weighted colours.

#include "video/effects.h"

#include <algorithm>

#include "core/state.h"
#include "video/renderer.h"

namespace {

constexpr std::uint32_t SPREAD_MASK = 0x07E0F81F;
constexpr std::uint32_t BOTH_TARGETS = 0x04000200;

std::uint32_t spread(std::uint16_t c) { return (c * 0x10001u) & SPREAD_MASK; }
std::uint16_t pack(std::uint32_t v) {
  v &= SPREAD_MASK;
  return static_cast<std::uint16_t>(v | v >> 16);
}
std::uint16_t colour(std::uint32_t index) { return machine.native_palette[index & 0x1FF]; }

struct Coefficients {
  std::uint32_t eva, evb, evy;
};
Coefficients coefficients() {
  std::uint32_t alpha = io_read16(IO_BLDALPHA);
  return {std::min(alpha & 0x1F, 16u), std::min((alpha >> 8) & 0x1F, 16u),
          std::min(io_read16(IO_BLDY) & 0x1F, 16u)};
}

std::uint32_t weighted_sum(std::uint32_t e, const Coefficients& k) {
  return k.evb * spread(colour(e >> 16)) + k.eva * spread(colour(e));
}

std::uint16_t blend_plain(std::uint32_t e, const Coefficients& k) {
  return pack(weighted_sum(e, k) >> 4);
}

// Only reachable when EVA + EVB exceeds 16: a field that overflowed is clamped to its maximum.
std::uint16_t blend_saturating(std::uint32_t e, const Coefficients& k) {
  std::uint32_t s = weighted_sum(e, k);
  std::uint32_t v = s >> 4;
  if (v & 0x08010020) {
    if (s & 0x80000000u) v |= 0x07E00000;
    if (v & 0x10000) v |= 0xF800;
    if (v & 0x20) v |= 0x1F;
  }
  return static_cast<std::uint16_t>(((v & SPREAD_MASK) >> 16) | (v & 0xF81F));
}

std::uint16_t blend(std::uint32_t e, const Coefficients& k) {
  return k.eva + k.evb > 16 ? blend_saturating(e, k) : blend_plain(e, k);
}

std::uint16_t brighten(std::uint16_t c, std::uint32_t evy) {
  std::uint32_t white = ((evy * SPREAD_MASK) >> 4) & SPREAD_MASK;
  return pack(white + ((spread(c) * (16 - evy)) >> 4));
}
std::uint16_t darken(std::uint16_t c, std::uint32_t evy) {
  return pack((spread(c) * (16 - evy)) >> 4);
}

template <bool Saturating>
void alpha_loop(unsigned start, unsigned end, const std::uint32_t* source, std::uint16_t* dest,
                const Coefficients& k) {
  for (unsigned x = start; x < end; ++x) {
    std::uint32_t e = source[x];
    if ((e & BOTH_TARGETS) != BOTH_TARGETS) {
      dest[x] = colour(e);
    } else {
      dest[x] = Saturating ? blend_saturating(e, k) : blend_plain(e, k);
    }
  }
}

template <std::uint16_t (*Fade)(std::uint16_t, std::uint32_t)>
void fade16(unsigned start, unsigned end, std::uint16_t* line) {
  std::uint32_t evy = coefficients().evy;
  for (unsigned x = start; x < end; ++x) {
    std::uint16_t c = colour(line[x]);
    line[x] = (line[x] & TAG_FIRST) ? Fade(c, evy) : c;
  }
}

template <std::uint16_t (*Fade)(std::uint16_t, std::uint32_t)>
void fade32(unsigned start, unsigned end, const std::uint32_t* source, std::uint16_t* dest) {
  Coefficients k = coefficients();
  for (unsigned x = start; x < end; ++x) {
    std::uint32_t e = source[x];
    if ((e & TAG_FIRST) == 0) {
      dest[x] = colour(e);
    } else if ((e & BOTH_TARGETS) == BOTH_TARGETS) {
      dest[x] = blend(e, k);
    } else {
      dest[x] = Fade(colour(e), k.evy);
    }
  }
}

}  // namespace

void alpha_pass(unsigned start, unsigned end, const std::uint32_t* source, std::uint16_t* dest) {
  Coefficients k = coefficients();
  if (k.eva + k.evb > 16) {
    alpha_loop<true>(start, end, source, dest, k);
  } else {
    alpha_loop<false>(start, end, source, dest, k);
  }
}
void brighten_pass(unsigned start, unsigned end, std::uint16_t* line) {
  fade16<brighten>(start, end, line);
}
void darken_pass(unsigned start, unsigned end, std::uint16_t* line) {
  fade16<darken>(start, end, line);
}
void brighten_alpha_pass(unsigned start, unsigned end, const std::uint32_t* source,
                         std::uint16_t* dest) {
  fade32<brighten>(start, end, source, dest);
}
void darken_alpha_pass(unsigned start, unsigned end, const std::uint32_t* source,
                       std::uint16_t* dest) {
  fade32<darken>(start, end, source, dest);
}

EffectPasses effect_passes = {alpha_pass, brighten_pass, darken_pass, brighten_alpha_pass,
                              darken_alpha_pass};
