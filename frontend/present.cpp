#include "frontend/present.h"

#include <algorithm>

#include "core/report.h"
#include "frontend/buttons.h"
#include "frontend/gbaconfig.h"
#include "frontend/screen_display.h"
#include "frontend/screenpad.h"
#include "platform/window_system.h"
#include "video/graphics.h"

ScaleTable g_scale_table;

namespace {

int plain_pump() {
  pump_cycle();
  return 1;
}

MessagePump message_pump = plain_pump;

void draw_pad(const SurfaceDescription& surface) {
  CGraphics graph;
  graph.SetVram(surface.pixels);
  graph.SetSize(surface.width, surface.height);
  graph.SetSteps(surface.x_pitch / 2, surface.row_pitch / 2);
  g_screen_pad.i_graph = &graph;
  g_screen_pad.Draw();
  g_screen_pad.i_graph = nullptr;
}

void clear_run(const ScreenView& view, int y, int from, int to) {
  if (from >= to) return;
  std::uint16_t* row = view.pixels + static_cast<std::ptrdiff_t>(y) * view.row_pitch;
  if (view.x_pitch == 1) {
    std::fill(row + from, row + to, std::uint16_t{0});
    return;
  }
  for (int x = from; x < to; ++x) row[static_cast<std::ptrdiff_t>(x) * view.x_pitch] = 0;
}

// The game screen is the picture on black: whatever the window system last drew there (the main
// window's panel, a closed menu) must not show around a smaller picture. The picture itself is
// written whole every frame, so only the rest needs clearing.
void clear_around(const ScreenView& view, const ScreenRect& picture) {
  int left = std::clamp(picture.x, 0, view.width);
  int right = std::clamp(picture.x + picture.width, left, view.width);
  int top = std::clamp(picture.y, 0, view.height);
  int bottom = std::clamp(picture.y + picture.height, top, view.height);
  for (int y = 0; y < view.height; ++y) {
    if (y < top || y >= bottom) {
      clear_run(view, y, 0, view.width);
      continue;
    }
    clear_run(view, y, 0, left);
    clear_run(view, y, right, view.width);
  }
}

}  // namespace

void set_frame_message_pump(MessagePump pump) {
  message_pump = pump != nullptr ? pump : plain_pump;
}

int present_frame(const std::uint16_t* frame) {
  SurfaceDescription surface;
  DisplayResult hr = g_display.Lock(surface);
  ORVANE_CHECK(hr == DD_OK, 0);
  ScreenView view{surface.pixels, surface.width, surface.height, surface.x_pitch / 2,
                  surface.row_pitch / 2};
  PresentSettings settings{g_config.scale, g_config.screen_dir, g_config.use_2xsai != 0};
  clear_around(view, draw_frame(frame, view, settings, g_scale_table));
  if (g_config.show_screen_pad) draw_pad(surface);
  g_buttons.ApplyAutoFire();
  g_display.Unlock();
  for (int i = 0; i < UseDelayPerFrame(g_config.delay_per_frame); ++i) message_pump();
  return 1;
}
