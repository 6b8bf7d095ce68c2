// The colour-effect passes. Colours are spread so that one multiply scales red, green and blue at
// once, with room above each field for the carries of a sum of two weighted colours. Alpha blends
// keep green's sixth bit as a fraction; brighten and darken work on the console's five bits per
// channel, so that each channel is rounded once, as the hardware's formula is.

#include "video/effects.h"

#include <algorithm>

#include "core/state.h"
#include "video/renderer.h"

namespace {

constexpr std::uint32_t SPREAD_MASK = 0x07E0F81F;
constexpr std::uint32_t FIVE_BIT_CHANNELS = 0x07C0F81F;  // green without its lowest bit
constexpr std::uint32_t BOTH_TARGETS = TAG_FIRST | TAG_SECOND << 16;
constexpr std::uint32_t SEMI_OVER_SECOND = TAG_SEMI | TAG_SECOND << 16;

std::uint32_t spread(std::uint16_t c) { return (c * 0x10001u) & SPREAD_MASK; }
std::uint16_t pack(std::uint32_t v) {
  v &= SPREAD_MASK;
  return static_cast<std::uint16_t>(v | v >> 16);
}

struct Coefficients {
  std::uint32_t eva, evb, evy;
};
Coefficients coefficients() {
  std::uint32_t alpha = io_read16(IO_BLDALPHA);
  return {std::min(alpha & 0x1F, 16u), std::min((alpha >> 8) & 0x1F, 16u),
          std::min(io_read16(IO_BLDY) & 0x1F, 16u)};
}

std::uint16_t colour(Palette palette, std::uint32_t index) { return palette[index & 0x1FF]; }

std::uint32_t weighted_sum(std::uint32_t e, const Coefficients& k, Palette palette) {
  return k.evb * spread(colour(palette, e >> 16)) + k.eva * spread(colour(palette, e));
}

std::uint16_t blend_plain(std::uint32_t e, const Coefficients& k, Palette palette) {
  return pack(weighted_sum(e, k, palette) >> 4);
}

// Only reachable when EVA + EVB exceeds 16: a field that overflowed is clamped to its maximum.
std::uint16_t blend_saturating(std::uint32_t e, const Coefficients& k, Palette palette) {
  std::uint32_t s = weighted_sum(e, k, palette);
  std::uint32_t v = s >> 4;
  if (v & 0x08010020) {
    if (s & 0x80000000u) v |= 0x07E00000;
    if (v & 0x10000) v |= 0xF800;
    if (v & 0x20) v |= 0x1F;
  }
  return static_cast<std::uint16_t>(((v & SPREAD_MASK) >> 16) | (v & 0xF81F));
}

std::uint16_t blend(std::uint32_t e, const Coefficients& k, Palette palette) {
  return k.eva + k.evb > 16 ? blend_saturating(e, k, palette) : blend_plain(e, k, palette);
}

// I + (31 - I) x EVY / 16 and I - I x EVY / 16 per channel; EVY is at most 16, so no product
// reaches the next field.
std::uint16_t brighten(std::uint16_t c, std::uint32_t evy) {
  std::uint32_t s = spread(c) & FIVE_BIT_CHANNELS;
  return pack(s + ((((FIVE_BIT_CHANNELS - s) * evy) >> 4) & FIVE_BIT_CHANNELS));
}
std::uint16_t darken(std::uint16_t c, std::uint32_t evy) {
  std::uint32_t s = spread(c) & FIVE_BIT_CHANNELS;
  return pack(s - (((s * evy) >> 4) & FIVE_BIT_CHANNELS));
}

// Blends the entries that have every bit of `Pair`; the others show their top colour.
template <std::uint32_t Pair, bool Saturating>
void alpha_loop(unsigned start, unsigned end, const std::uint32_t* source, std::uint16_t* dest,
                const Coefficients& k, Palette palette) {
  for (unsigned x = start; x < end; ++x) {
    std::uint32_t e = source[x];
    if ((e & Pair) != Pair) {
      dest[x] = colour(palette, e);
    } else {
      dest[x] = Saturating ? blend_saturating(e, k, palette) : blend_plain(e, k, palette);
    }
  }
}

template <std::uint32_t Pair>
void alpha_pair_pass(unsigned start, unsigned end, const std::uint32_t* source, std::uint16_t* dest,
                     Palette palette) {
  Coefficients k = coefficients();
  if (k.eva + k.evb > 16) {
    alpha_loop<Pair, true>(start, end, source, dest, k, palette);
  } else {
    alpha_loop<Pair, false>(start, end, source, dest, k, palette);
  }
}

template <std::uint16_t (*Fade)(std::uint16_t, std::uint32_t)>
void fade16(unsigned start, unsigned end, std::uint16_t* line, Palette palette) {
  std::uint32_t evy = coefficients().evy;
  for (unsigned x = start; x < end; ++x) {
    std::uint16_t c = colour(palette, line[x]);
    line[x] = (line[x] & TAG_FIRST) ? Fade(c, evy) : c;
  }
}

// Semi-transparency takes priority over the fade where its second target lies beneath.
template <std::uint16_t (*Fade)(std::uint16_t, std::uint32_t)>
void fade32(unsigned start, unsigned end, const std::uint32_t* source, std::uint16_t* dest,
            Palette palette) {
  Coefficients k = coefficients();
  for (unsigned x = start; x < end; ++x) {
    std::uint32_t e = source[x];
    if ((e & TAG_FIRST) == 0) {
      dest[x] = colour(palette, e);
    } else if ((e & SEMI_OVER_SECOND) == SEMI_OVER_SECOND) {
      dest[x] = blend(e, k, palette);
    } else {
      dest[x] = Fade(colour(palette, e), k.evy);
    }
  }
}

}  // namespace

void alpha_pass(unsigned start, unsigned end, const std::uint32_t* source, std::uint16_t* dest,
                Palette palette) {
  alpha_pair_pass<BOTH_TARGETS>(start, end, source, dest, palette);
}
void semi_transparent_pass(unsigned start, unsigned end, const std::uint32_t* source,
                           std::uint16_t* dest, Palette palette) {
  alpha_pair_pass<SEMI_OVER_SECOND>(start, end, source, dest, palette);
}
void brighten_pass(unsigned start, unsigned end, std::uint16_t* line, Palette palette) {
  fade16<brighten>(start, end, line, palette);
}
void darken_pass(unsigned start, unsigned end, std::uint16_t* line, Palette palette) {
  fade16<darken>(start, end, line, palette);
}
void brighten_alpha_pass(unsigned start, unsigned end, const std::uint32_t* source,
                         std::uint16_t* dest, Palette palette) {
  fade32<brighten>(start, end, source, dest, palette);
}
void darken_alpha_pass(unsigned start, unsigned end, const std::uint32_t* source,
                       std::uint16_t* dest, Palette palette) {
  fade32<darken>(start, end, source, dest, palette);
}

EffectPasses effect_passes = {alpha_pass,  semi_transparent_pass, brighten_pass,
                              darken_pass, brighten_alpha_pass,   darken_alpha_pass};
