// What DMA costs: a 0x4000-unit EWRAM-to-VRAM copy, and a frame's 160 H-blank transfers of the
// kinds games use (a scroll register, a backdrop colour, a line of a bitmap).
//   dma_benchmark    Google Benchmark report (bytes per second for the copies)

#include <benchmark/benchmark.h>

#include <cstdint>

#include "core/dma/dma.h"
#include "core/memory/memory.h"
#include "core/state.h"

namespace {

constexpr std::uint32_t EWRAM = 0x02000000;
constexpr std::uint32_t VISIBLE_LINES = 160;

void reset_machine() {
  clear_machine_state();
  reset_memory_map();
  reset_dma_channels();
  for (std::uint32_t i = 0; i < 0x40000; ++i) {
    machine.ewram[i >> 15].data[i & 0x7FFF] = static_cast<std::uint8_t>(i * 13 + 5);
  }
}

DmaChannel channel(std::uint32_t dest, std::uint32_t units, std::uint32_t word_size,
                   DmaStartMode start, std::uint32_t dest_step) {
  DmaChannel c{};
  c.source = EWRAM;
  c.dest = dest;
  c.unit_count = units;
  c.repeat = start == DMA_IMMEDIATE ? 0 : 1;
  c.sound_link = DMA_LINK_NONE;
  c.dest_step = dest_step;
  c.word_size = word_size;
  c.start_mode = start;
  return c;
}

void ewram_to_vram(benchmark::State& state, std::uint32_t word_size) {
  reset_machine();
  const DmaChannel copy = channel(0x06000000, 0x4000, word_size, DMA_IMMEDIATE, 0);
  for (auto _ : state) {
    DmaChannel c = copy;
    benchmark::DoNotOptimize(run_dma_channel(c));
  }
  state.SetBytesProcessed(state.iterations() * 0x4000 * (word_size ? 4 : 2));
  state.counters["ns_per_unit"] =
      benchmark::Counter(static_cast<double>(state.iterations()) * 0x4000,
                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

// One frame's H-blank starts with channel 0 armed; the source goes back to the table's start
// between frames as a game's V-blank handler would set it.
void hblank_frame(benchmark::State& state, std::uint32_t dest, std::uint32_t units,
                  std::uint32_t word_size) {
  reset_machine();
  machine.dma_channels[0] = channel(dest, units, word_size, DMA_HBLANK, 3);
  for (auto _ : state) {
    machine.dma_channels[0].source = EWRAM;
    for (std::uint32_t line = 0; line < VISIBLE_LINES; ++line) {
      benchmark::DoNotOptimize(start_timed_dma(DMA_HBLANK));
    }
  }
  state.SetItemsProcessed(state.iterations() * VISIBLE_LINES);
}

}  // namespace

BENCHMARK_CAPTURE(ewram_to_vram, halfwords, 0u)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(ewram_to_vram, words, 1u)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(hblank_frame, scroll_register, 0x04000010u, 1u, 0u)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(hblank_frame, affine_reference_word, 0x04000028u, 1u, 1u)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(hblank_frame, backdrop_colour, 0x05000000u, 1u, 0u)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(hblank_frame, bitmap_line_to_vram, 0x06000000u, 120u, 1u)
    ->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
