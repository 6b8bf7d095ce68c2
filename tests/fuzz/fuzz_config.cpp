// The settings file: ReadFrom on mutated real files and on random text, over a buffer that ends
// at an unreadable page (a read past the stream faults). The values read are kept unchanged
// (written back and read again they compare equal), and then drive what uses them: the picture
// at every scale and direction on three device screens, with a guard around the screen that must
// stay untouched, the screen pad's layout and the keyboard's buttons.
//
//   fuzz_config SEED COUNT [--keep DIR] [--only N]

#include <cstdio>
#include <vector>

#include "frontend/buttons.h"
#include "frontend/gbaconfig.h"
#include "frontend/mem.h"
#include "frontend/screenpad.h"
#include "tests/fuzz/fuzz_driver.h"
#include "tests/fuzz/guarded_buffer.h"
#include "video/presentation.h"

namespace {

constexpr std::uint16_t GUARD = 0xA5A5;
constexpr int GUARD_PIXELS = 4096;

Bytes text_of(const CGbaConfig& config) {
  CMem mem;
  mem.Malloc(4096);
  config.WriteTo(&mem);
  const char* text = mem.CStr();
  return Bytes(text, text + mem.GetSize());
}

std::vector<Bytes> config_corpus() {
  CGbaConfig defaults;
  CGbaConfig odd;
  odd.scale = 3;
  odd.screen_dir = 4;
  odd.vk_a = 255;
  odd.frame_skip = 9;
  odd.show_screen_pad = 1;
  return {text_of(defaults), text_of(odd)};
}

bool read_config(const Bytes& input, CGbaConfig& config) {
  GuardedBuffer buffer(input);
  CMem mem;
  // An empty input is an empty text: a buffer of no bytes cannot be attached.
  static char nothing[1] = "";
  if (buffer.size() == 0) {
    mem.SetStr(nothing);
  } else {
    if (!mem.SetRawBuffer(buffer.data(), static_cast<fsize_t>(buffer.size()))) return false;
    mem.SetSize(static_cast<fsize_t>(buffer.size()));
  }
  mem.Seek(0);
  config.ReadFrom(&mem);
  return true;
}

// The picture on a screen with guard pixels on both sides; false when a guard pixel changed.
bool draw_within(int width, int height) {
  std::size_t pixels = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
  std::vector<std::uint16_t> memory(pixels + 2 * GUARD_PIXELS, GUARD);
  std::vector<std::uint16_t> frame(240 * 160, 0x7FFF);
  ScreenView view{memory.data() + GUARD_PIXELS, width, height, 1, width};
  PresentSettings settings{g_config.scale, g_config.screen_dir, g_config.use_2xsai != 0};
  static ScaleTable table;
  build_scale_table_for(table, settings, width, height);
  draw_frame(frame.data(), view, settings, table);
  for (int i = 0; i < GUARD_PIXELS; ++i) {
    if (memory[static_cast<std::size_t>(i)] != GUARD ||
        memory[pixels + GUARD_PIXELS + static_cast<std::size_t>(i)] != GUARD) {
      return false;
    }
  }
  return true;
}

std::string check(const Bytes& input) {
  CGbaConfig config;
  if (!read_config(input, config)) return "the stream could not be set up";
  CGbaConfig again;
  if (!read_config(text_of(config), again) || again.Differs(&config)) {
    return "the values read did not survive being written and read again";
  }
  g_config = config;
  for (auto [width, height] : {std::pair{240, 320}, {320, 240}, {480, 640}}) {
    if (!draw_within(width, height)) return "the picture was drawn outside the screen";
    g_screen_pad.LayoutFor(g_config.screen_dir, width < height);
  }
  g_buttons.PollKeyboard();
  g_buttons.ApplyAutoFire();
  for (std::int32_t vk = -1; vk <= 256; ++vk) KeyMatches(g_config.vk_save1, vk);
  UseDelayPerFrame(g_config.delay_per_frame);
  UseFrameSkip(g_config.frame_skip);
  return "";
}

}  // namespace

int main(int argc, char** argv) {
  FuzzOptions options;
  if (!parse_fuzz_options(argc, argv, options)) return 2;
  int status = run_fuzz(options, config_corpus(), 32,
                        [](const Bytes& input, std::uint64_t) { return check(input); });
  g_config.Reset();
  return status;
}
