#include "case_builder.h"

std::uint64_t mix64(std::uint64_t x) {
  x += 0x9E3779B97F4A7C15ull;
  x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
  x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
  return x ^ (x >> 31);
}

std::uint64_t case_stream_seed(std::uint64_t seed, std::uint64_t salt, unsigned class_number,
                               std::uint64_t index) {
  return mix64(mix64(seed ^ salt ^ (static_cast<std::uint64_t>(class_number) << 56)) ^ index);
}

void fill_data_windows(std::vector<std::uint8_t> (&windows)[2], std::uint64_t seed,
                       std::uint64_t index, std::uint64_t salt) {
  for (unsigned w = 0; w < 2; ++w) {
    windows[w].resize(DATA_WINDOWS[w].size);
    for (std::size_t i = 0; i < windows[w].size(); i += 8) {
      std::uint64_t noise = mix64(seed ^ index ^ (i << 20) ^ w ^ salt);
      for (unsigned k = 0; k < 8; ++k) {
        windows[w][i + k] = static_cast<std::uint8_t>(noise >> (8 * k));
      }
    }
  }
}

bool inside_a_window(std::uint32_t address, std::uint32_t size) {
  for (const DataWindow& w : DATA_WINDOWS) {
    if (address >= w.base && address - w.base <= w.size - size) return true;
  }
  return false;
}

std::uint32_t ror32(std::uint32_t value, unsigned amount) {
  amount &= 31;
  return amount == 0 ? value : (value >> amount) | (value << (32 - amount));
}

std::uint32_t CaseRandom::interesting() {
  switch (below(10)) {
    case 0: return below(17);
    case 1: return 0u - below(17);
    case 2: {
      static constexpr std::uint32_t edges[] = {0x80000000u, 0x7FFFFFFFu, 0x80000001u,
                                                0xFFFFFFFFu, 0,           0x7FFFFFFEu,
                                                0x00008000u, 0x0000FFFFu, 0xFFFF0000u};
      return pick(edges);
    }
    case 3: return bit(below(32));
    case 4: return bits32() & 0xFFFF;
    default: return bits32();
  }
}

unsigned CaseRandom::random_in(std::uint32_t set) {
  int count = __builtin_popcount(set);
  if (count == 0) return NO_REGISTER;
  unsigned n = below(static_cast<unsigned>(count));
  for (unsigned r = 0; r < 16; ++r) {
    if ((set & bit(r)) != 0 && n-- == 0) return r;
  }
  return NO_REGISTER;
}
