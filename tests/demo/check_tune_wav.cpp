// Checks that the sound the demo game made on its title screen is a tune, not silence: after the
// first 0.1 s (the fade-in), each side's level around its own mean (so a constant offset counts
// as silence) must reach 1 % of full scale.
//   usage: check_tune_wav FILE.wav

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

namespace {

constexpr std::size_t WAV_HEADER = 44;
constexpr std::size_t SKIP_FRAMES = 4410;  // 0.1 s at 44100 Hz
constexpr double FULL_SCALE = 32768.0;
constexpr double LEAST_LEVEL = 0.01;

double level(const std::vector<std::int16_t>& side) {
  if (side.empty()) return 0;
  double mean = 0;
  for (std::int16_t v : side) mean += v;
  mean /= static_cast<double>(side.size());
  double power = 0;
  for (std::int16_t v : side) power += (v - mean) * (v - mean);
  return std::sqrt(power / static_cast<double>(side.size())) / FULL_SCALE;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  std::ifstream in(argv[1], std::ios::binary);
  std::vector<std::uint8_t> wav((std::istreambuf_iterator<char>(in)),
                                std::istreambuf_iterator<char>());
  if (wav.size() < WAV_HEADER || std::memcmp(wav.data(), "RIFF", 4) != 0 || wav[22] != 2 ||
      wav[34] != 16) {
    std::fprintf(stderr, "%s: missing or not a 16-bit stereo WAV file\n", argv[1]);
    return 1;
  }
  std::vector<std::int16_t> sides[2];
  std::size_t first = WAV_HEADER + SKIP_FRAMES * 4;
  for (std::size_t at = first; at + 4 <= wav.size(); at += 4) {
    for (int side = 0; side < 2; ++side) {
      std::size_t byte = at + 2 * static_cast<std::size_t>(side);
      sides[side].push_back(static_cast<std::int16_t>(wav[byte] | wav[byte + 1] << 8));
    }
  }
  double left = level(sides[0]);
  double right = level(sides[1]);
  std::printf("%zu frames; level left %.4f, right %.4f of full scale (at least %.2f)\n",
              sides[0].size(), left, right, LEAST_LEVEL);
  return left >= LEAST_LEVEL && right >= LEAST_LEVEL ? 0 : 1;
}
