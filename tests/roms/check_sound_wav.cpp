// Checks the WAV file that `orvane --headless --frames N --audio` wrote for the sound_tones
// cartridge: the header, the length that N frames must give, and the fundamental frequency of
// each side, measured from the samples by rising zero crossings.
//   usage: check_sound_wav FILE.wav FRAMES

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

constexpr double CONSOLE_CLOCK = 16777216.0;
constexpr double CYCLES_PER_FRAME = 228.0 * 1232.0;
constexpr double OUTPUT_RATE = 44100.0;
constexpr std::uint32_t BLOCK_FRAMES = 2048;  // stereo frames in one 8192-byte block
constexpr double TOLERANCE = 0.005;           // relative
// The cartridge's settings: channel 2 frequency value 1750; timer 0 reload 0xFC00, 32 samples
// a period.
const double TONE_HZ = 131072.0 / (2048.0 - 1750.0);
const double FIFO_HZ = CONSOLE_CLOCK / (0x10000 - 0xFC00) / 32.0;

std::uint32_t le32(const std::uint8_t* p) {
  return p[0] | p[1] << 8 | p[2] << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}
std::uint32_t le16(const std::uint8_t* p) { return p[0] | p[1] << 8; }

bool read_file(const char* path, std::vector<std::uint8_t>& bytes) {
  std::FILE* f = std::fopen(path, "rb");
  if (f == nullptr) return false;
  std::uint8_t chunk[65536];
  std::size_t got = 0;
  while ((got = std::fread(chunk, 1, sizeof chunk, f)) > 0) {
    bytes.insert(bytes.end(), chunk, chunk + got);
  }
  std::fclose(f);
  return true;
}

bool header_ok(const std::vector<std::uint8_t>& w) {
  return w.size() >= 44 && std::memcmp(w.data(), "RIFF", 4) == 0 &&
         std::memcmp(w.data() + 8, "WAVEfmt ", 8) == 0 && le16(&w[20]) == 1 && le16(&w[22]) == 2 &&
         le32(&w[24]) == 44100 && le32(&w[28]) == 176400 && le16(&w[32]) == 4 &&
         le16(&w[34]) == 16 && std::memcmp(w.data() + 36, "data", 4) == 0 &&
         le32(&w[40]) == w.size() - 44 && le32(&w[4]) == w.size() - 8;
}

// Frequency from the first to the last rising zero crossing after `skip` frames, each crossing
// placed between its two samples by linear interpolation.
double measure(const std::vector<std::int16_t>& side, std::size_t skip) {
  double first = -1, last = -1;
  int crossings = 0;
  for (std::size_t i = skip + 1; i < side.size(); ++i) {
    if (side[i - 1] < 0 && side[i] >= 0) {
      double before = side[i - 1];
      double at = static_cast<double>(i - 1) + before / (before - side[i]);
      if (first < 0) first = at;
      last = at;
      ++crossings;
    }
  }
  if (crossings < 2) return 0;
  return (crossings - 1) * OUTPUT_RATE / (last - first);
}

bool near(double measured, double expected) {
  return std::fabs(measured - expected) <= expected * TOLERANCE;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) return 2;
  std::vector<std::uint8_t> wav;
  if (!read_file(argv[1], wav) || !header_ok(wav)) {
    std::fprintf(stderr, "%s: missing or not a 16-bit stereo 44100 Hz WAV file\n", argv[1]);
    return 1;
  }
  double frames = std::atof(argv[2]);
  // Only whole blocks are handed to the device.
  auto rendered =
      static_cast<std::uint64_t>(frames * CYCLES_PER_FRAME * OUTPUT_RATE / CONSOLE_CLOCK);
  std::uint64_t expected_bytes = rendered / BLOCK_FRAMES * BLOCK_FRAMES * 4;
  std::uint64_t data = wav.size() - 44;
  std::printf("data %llu bytes, expected %llu\n", static_cast<unsigned long long>(data),
              static_cast<unsigned long long>(expected_bytes));
  std::vector<std::int16_t> left, right;
  for (std::size_t at = 44; at + 4 <= wav.size(); at += 4) {
    left.push_back(static_cast<std::int16_t>(le16(&wav[at])));
    right.push_back(static_cast<std::int16_t>(le16(&wav[at + 2])));
  }
  std::size_t skip = static_cast<std::size_t>(OUTPUT_RATE / 10);
  double left_hz = measure(left, skip);
  double right_hz = measure(right, skip);
  std::printf("left %.3f Hz (expected %.3f), right %.3f Hz (expected %.3f)\n", left_hz, TONE_HZ,
              right_hz, FIFO_HZ);
  bool ok = data == expected_bytes && near(left_hz, TONE_HZ) && near(right_hz, FIFO_HZ);
  return ok ? 0 : 1;
}
