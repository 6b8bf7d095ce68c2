// Cost of one drawn line: mode 0 with four 16-colour text backgrounds, and mode 2 with two
// rotated affine backgrounds. Every tile row is opaque so that no zero-word skip shortens the work.

#include <benchmark/benchmark.h>

#include <cstring>

#include "core/io_registers.h"
#include "core/state.h"
#include "video/video.h"

namespace {

void fill_vram_with_patterns() {
  for (unsigned i = 0; i < 0x10000; ++i) machine.vram_data[i] = static_cast<std::uint8_t>(0x11 + i % 0xEE);
  for (unsigned i = 0; i < 512; ++i) machine.native_palette[i] = static_cast<std::uint16_t>(i * 37);
}

void draw_lines(benchmark::State& state) {
  unsigned line = 0;
  for (auto _ : state) {
    io_store16(0x006, line);
    video_scanline();
    line = line == 159 ? 0 : line + 1;
  }
  benchmark::DoNotOptimize(machine.frame_pixels[0]);
}

void text_mode_four_backgrounds(benchmark::State& state) {
  clear_machine_state();
  fill_vram_with_patterns();
  for (unsigned n = 0; n < 4; ++n) {
    // 16-colour tiles from character block n, maps in screen blocks 28-31, mixed sizes.
    io_store16(0x008 + 2 * n, n | n << 2 | (28 + n) << 8 | (n & 1) << 14);
    io_store16(0x010 + 4 * n, 13 * n + 3);
    io_store16(0x012 + 4 * n, 7 * n);
  }
  io_store16(IO_DISPCNT, 0x0F00);
  draw_lines(state);
}

void affine_mode_two_rotated(benchmark::State& state) {
  clear_machine_state();
  fill_vram_with_patterns();
  for (unsigned n = 2; n < 4; ++n) {
    io_store16(0x008 + 2 * n, n | 1 << 2 | (28 + n) << 8 | 0x2000 | 1 << 14);  // 256 x 256, wrap
    std::uint32_t base = 0x020 + 0x10 * (n - 2);
    io_store16(base, 181);       // a 45-degree turn
    io_store16(base + 2, 0xFF4B);
    io_store16(base + 4, 181);
    io_store16(base + 6, 181);
  }
  io_store16(IO_DISPCNT, 0x0C02);
  draw_lines(state);
}

}  // namespace

BENCHMARK(text_mode_four_backgrounds);
BENCHMARK(affine_mode_two_rotated);
BENCHMARK_MAIN();
