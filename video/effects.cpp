// The colour-effect passes. The tagged passes spread colours so that one multiply scales red,
// green and blue at once, with room above each field for the carries of a sum of two weighted
// colours; the passes over a line with target bits work per channel in sixteen-bit lanes, so that
// their loops widen. Alpha blends keep green's sixth bit as a fraction; brighten and darken work on
// the console's five bits per channel, so that each channel is rounded once, as the hardware's
// formula is.

#include "video/effects.h"

#include <algorithm>

#include "core/state.h"
#include "video/renderer.h"

namespace {

constexpr std::uint32_t SPREAD_MASK = 0x07E0F81F;
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

std::uint32_t weighted_colours(std::uint16_t top, std::uint16_t below, const Coefficients& k) {
  return k.evb * spread(below) + k.eva * spread(top);
}
std::uint32_t weighted_sum(std::uint32_t e, const Coefficients& k, Palette palette) {
  return weighted_colours(colour(palette, e), colour(palette, e >> 16), k);
}

std::uint16_t blend_plain(std::uint32_t e, const Coefficients& k, Palette palette) {
  return pack(weighted_sum(e, k, palette) >> 4);
}

// Only reachable when EVA + EVB exceeds 16: a field that overflowed is clamped to its maximum.
std::uint16_t saturate(std::uint32_t s) {
  std::uint32_t v = s >> 4;
  if (v & 0x08010020) {
    if (s & 0x80000000u) v |= 0x07E00000;
    if (v & 0x10000) v |= 0xF800;
    if (v & 0x20) v |= 0x1F;
  }
  return static_cast<std::uint16_t>(((v & SPREAD_MASK) >> 16) | (v & 0xF81F));
}
std::uint16_t blend_saturating(std::uint32_t e, const Coefficients& k, Palette palette) {
  return saturate(weighted_sum(e, k, palette));
}

std::uint16_t blend(std::uint32_t e, const Coefficients& k, Palette palette) {
  return k.eva + k.evb > 16 ? blend_saturating(e, k, palette) : blend_plain(e, k, palette);
}

// I + (31 - I) x EVY / 16 and I - I x EVY / 16 per channel, on the console's five bits (green's
// lowest bit is dropped and comes back as 0), each channel rounded down once. Sixteen-bit
// arithmetic throughout, so that a loop of these widens to one multiply per channel.
template <bool Up>
std::uint16_t fade(std::uint16_t c, std::uint16_t evy) {
  auto channel = [evy](unsigned i) {
    auto scaled =
        static_cast<std::uint16_t>(static_cast<std::uint16_t>((Up ? 31 - i : i) * evy) >> 4);
    return static_cast<std::uint16_t>(Up ? i + scaled : i - scaled);
  };
  unsigned red = channel(c >> 11u), green = channel((c >> 6u) & 0x1Fu), blue = channel(c & 0x1Fu);
  return static_cast<std::uint16_t>(red << 11 | green << 6 | blue);
}
std::uint16_t brighten(std::uint16_t c, std::uint32_t evy) {
  return fade<true>(c, static_cast<std::uint16_t>(evy));
}
std::uint16_t darken(std::uint16_t c, std::uint32_t evy) {
  return fade<false>(c, static_cast<std::uint16_t>(evy));
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

// The passes over a line drawn with target bits.

template <bool Saturating>
std::uint16_t blend_colours(std::uint16_t top, std::uint16_t below, const Coefficients& k) {
  std::uint32_t s = weighted_colours(top, below, k);
  return Saturating ? saturate(s) : pack(s >> 4);
}

// (top x EVA + below x EVB) / 16 per channel, green with six bits, each clamped to its maximum:
// the arithmetic of the blends above in sixteen-bit lanes, so that a loop of these widens.
std::uint16_t blend_channels(std::uint16_t top, std::uint16_t below, std::uint16_t eva,
                             std::uint16_t evb) {
  auto channel = [eva, evb](unsigned a, unsigned b, unsigned most) {
    auto sum = static_cast<std::uint16_t>(static_cast<std::uint16_t>(a * eva) +
                                          static_cast<std::uint16_t>(b * evb));
    auto v = static_cast<std::uint16_t>(sum >> 4);
    return static_cast<unsigned>(v < most ? v : most);
  };
  unsigned red = channel(top >> 11u, below >> 11u, 31);
  unsigned green = channel((top >> 5u) & 63u, (below >> 5u) & 63u, 63);
  unsigned blue = channel(top & 31u, below & 31u, 31);
  return static_cast<std::uint16_t>(red << 11 | green << 5 | blue);
}

// Blends the pixels whose top layer has every bit of `Top` over a second target. Every pixel is
// worked out and the blend kept where it applies, in a loop without branches that widens.
template <std::uint8_t Top>
void blend_targets(unsigned start, unsigned end, std::uint16_t* __restrict line) {
  Coefficients k = coefficients();
  auto eva = static_cast<std::uint16_t>(k.eva), evb = static_cast<std::uint16_t>(k.evb);
  const std::uint8_t* __restrict top = line_targets.top;
  const std::uint8_t* __restrict below_bits = line_targets.beneath_bits;
  const std::uint16_t* __restrict beneath = line_targets.beneath;
  for (unsigned x = start; x < end; ++x) {
    std::uint16_t blended = blend_channels(line[x], beneath[x], eva, evb);
    bool take =
        ((top[x] & (Top | TARGET_BACKDROP)) == Top) & ((below_bits[x] & TARGET_SECOND) != 0);
    line[x] = take ? blended : line[x];
  }
}

// Without semi-transparent objects every pixel is worked out and the first targets' kept, in a
// loop without branches that the compiler widens.
template <bool Up>
void fade_targets(unsigned start, unsigned end, std::uint16_t* __restrict line) {
  auto evy = static_cast<std::uint16_t>(coefficients().evy);
  const std::uint8_t* __restrict top = line_targets.top;
  for (unsigned x = start; x < end; ++x) {
    std::uint16_t faded = fade<Up>(line[x], evy);
    line[x] = (top[x] & TARGET_FIRST) ? faded : line[x];
  }
}

// Semi-transparency takes priority over the fade where its second target lies beneath.
template <std::uint16_t (*Fade)(std::uint16_t, std::uint32_t)>
void fade_semi_targets(unsigned start, unsigned end, std::uint16_t* line) {
  Coefficients k = coefficients();
  const LineTargets& t = line_targets;
  for (unsigned x = start; x < end; ++x) {
    std::uint8_t top = t.top[x];
    if ((top & TARGET_FIRST) == 0) continue;
    if ((top & TARGET_SEMI) && (t.beneath_bits[x] & TARGET_SECOND)) {
      line[x] = k.eva + k.evb > 16 ? blend_colours<true>(line[x], t.beneath[x], k)
                                   : blend_colours<false>(line[x], t.beneath[x], k);
    } else {
      line[x] = Fade(line[x], k.evy);
    }
  }
}

}  // namespace

void alpha_targets(unsigned start, unsigned end, std::uint16_t* line) {
  blend_targets<TARGET_FIRST>(start, end, line);
}
void semi_transparent_targets(unsigned start, unsigned end, std::uint16_t* line) {
  blend_targets<TARGET_SEMI>(start, end, line);
}
void brighten_targets(unsigned start, unsigned end, std::uint16_t* line) {
  fade_targets<true>(start, end, line);
}
void darken_targets(unsigned start, unsigned end, std::uint16_t* line) {
  fade_targets<false>(start, end, line);
}
void brighten_semi_targets(unsigned start, unsigned end, std::uint16_t* line) {
  fade_semi_targets<brighten>(start, end, line);
}
void darken_semi_targets(unsigned start, unsigned end, std::uint16_t* line) {
  fade_semi_targets<darken>(start, end, line);
}

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
