#include "frontend/present.h"

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

}  // namespace

void set_frame_message_pump(MessagePump pump) { message_pump = pump != nullptr ? pump : plain_pump; }

int present_frame(const std::uint16_t* frame) {
  SurfaceDescription surface;
  DisplayResult hr = g_display.Lock(surface);
  ORVANE_CHECK(hr == DD_OK, 0);
  ScreenView view{surface.pixels, surface.width, surface.height, surface.x_pitch / 2,
                  surface.row_pitch / 2};
  PresentSettings settings{g_config.scale, g_config.screen_dir, g_config.use_2xsai != 0};
  draw_frame(frame, view, settings, g_scale_table);
  if (g_config.show_screen_pad) draw_pad(surface);
  g_buttons.ApplyAutoFire();
  g_display.Unlock();
  for (int i = 0; i < UseDelayPerFrame(g_config.delay_per_frame); ++i) message_pump();
  return 1;
}
