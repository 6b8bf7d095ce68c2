// Cost of putting one frame on the device screen: 1x, doubled and fitted on a 480 x 640 screen,
// and the smoothing scaler to 480 x 320 (a 60 Hz frame lasts 16.7 ms).

#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "video/presentation.h"

namespace {

void present(benchmark::State& state, int scale, bool smooth, int width, int height) {
  std::vector<std::uint16_t> frame(FRAME_WIDTH * FRAME_HEIGHT);
  for (std::size_t i = 0; i < frame.size(); ++i)
    frame[i] = static_cast<std::uint16_t>(i * 2654435761u >> 7);
  std::vector<std::uint16_t> screen(static_cast<std::size_t>(width) * height);
  ScreenView view{screen.data(), width, height, 1, width};
  PresentSettings settings{scale, 1, smooth};
  ScaleTable table;
  build_scale_table_for(table, settings, width, height);
  for (auto _ : state) {
    draw_frame(frame.data(), view, settings, table);
    benchmark::DoNotOptimize(screen.data());
    benchmark::ClobberMemory();
  }
}

void one_to_one(benchmark::State& state) { present(state, SCALE_1X, false, 480, 640); }
void doubled(benchmark::State& state) { present(state, SCALE_2X, false, 480, 640); }
void fitted(benchmark::State& state) { present(state, SCALE_FIT, false, 480, 640); }
void smoothed(benchmark::State& state) { present(state, SCALE_STRETCH, true, 480, 320); }

BENCHMARK(one_to_one)->Unit(benchmark::kMicrosecond);
BENCHMARK(doubled)->Unit(benchmark::kMicrosecond);
BENCHMARK(fitted)->Unit(benchmark::kMicrosecond);
BENCHMARK(smoothed)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
