// The colour-effect passes. The blend of a lone pixel spreads colours so that one multiply scales
// red, green and blue at once, with room above each field for the carries of a sum of two weighted
// colours; the loops over whole spans work per channel in sixteen-bit lanes, so that they widen.
// Alpha blends keep green's sixth bit as a fraction; brighten and darken work on the console's five
// bits per channel, so that each channel is rounded once, as the hardware's formula is.

#include "video/effects.h"

#include <algorithm>

#include "core/state.h"
#include "video/renderer.h"

namespace {

constexpr std::uint32_t SPREAD_MASK = 0x07E0F81F;
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

std::uint32_t weighted_colours(std::uint16_t top, std::uint16_t below, const Coefficients& k) {
  return k.evb * spread(below) + k.eva * spread(top);
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

TargetPasses target_passes = {alpha_targets,  semi_transparent_targets, brighten_targets,
                              darken_targets, brighten_semi_targets,    darken_semi_targets};
