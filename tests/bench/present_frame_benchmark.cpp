// Cost of present_frame as the game screen runs it: lock the device screen, the picture, the pad
// outlines over it, auto-fire, unlock. The message pump is left out (it is the shell's and costs
// what the waiting messages cost). 1x, doubled and fitted on 480 x 640, smoothing to 480 x 320.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "frontend/game_screen.h"
#include "frontend/gbaconfig.h"
#include "frontend/present.h"
#include "platform/headless/headless_backend.h"
#include "platform/styles.h"
#include "platform/window_system.h"

namespace {

int no_pump() { return 1; }

LResult plain_procedure(WindowHandle window, unsigned message, WParam wparam, LParam lparam) {
  return default_window_procedure(window, message, wparam, lparam);
}

void present(benchmark::State& state, int scale, bool smooth, int width, int height) {
  HeadlessBackend backend;
  if (!open_window_system(backend, width, height)) {
    state.SkipWithError("no window system");
    return;
  }
  register_window_class({u"game", plain_procedure, NO_BACKGROUND});
  WindowHandle main = create_window(
      {u"game", u"game", style::VISIBLE, 0, 0, 0, width, height, NO_WINDOW, 0, nullptr});
  g_config.Reset();
  g_config.scale = scale;
  g_config.use_2xsai = smooth ? 1 : 0;
  g_config.show_screen_pad = 1;
  set_frame_message_pump(no_pump);
  OpenDisplay();
  if (!PrepareGameDisplay(main)) state.SkipWithError("no display surface");
  std::vector<std::uint16_t> frame(240 * 160);
  for (std::size_t i = 0; i < frame.size(); ++i)
    frame[i] = static_cast<std::uint16_t>(i * 2654435761u >> 7);
  for (auto _ : state) {
    benchmark::DoNotOptimize(present_frame(frame.data()));
    benchmark::ClobberMemory();
  }
  CloseDisplay();
  close_window_system();
}

void one_to_one(benchmark::State& state) { present(state, 1, false, 480, 640); }
void doubled(benchmark::State& state) { present(state, 2, false, 480, 640); }
void fitted(benchmark::State& state) { present(state, 4, false, 480, 640); }
void smoothed(benchmark::State& state) { present(state, 3, true, 480, 320); }

BENCHMARK(one_to_one)->Unit(benchmark::kMicrosecond);
BENCHMARK(doubled)->Unit(benchmark::kMicrosecond);
BENCHMARK(fitted)->Unit(benchmark::kMicrosecond);
BENCHMARK(smoothed)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
