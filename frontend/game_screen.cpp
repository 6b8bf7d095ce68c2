#include "frontend/game_screen.h"

#include "frontend/gbaconfig.h"
#include "frontend/present.h"
#include "frontend/screen_display.h"
#include "frontend/screenpad.h"

int OpenDisplay() {
  if (CDirectDraw::m_hDD != &g_screen_display_driver &&
      !CDirectDraw::LoadLibrary(&g_screen_display_driver)) {
    return 0;
  }
  return g_display.Init();
}

void CloseDisplay() {
  g_display.Destroy();
  CDirectDraw::FreeLibrary();
}

int PrepareGameDisplay(WindowHandle main_window) {
  g_display.Release();  // a surface left from an earlier entry
  if (!g_display.Create(main_window)) {
    g_display.Release();
    return 0;
  }
  int w = g_display.Width(), h = g_display.Height();
  PresentSettings settings{g_config.scale, g_config.screen_dir, g_config.use_2xsai != 0};
  build_scale_table_for(g_scale_table, settings, w, h);
  PadRect target{0, 0, w, h};
  g_screen_pad.SetTarget(&target);
  g_screen_pad.LayoutFor(g_config.screen_dir, w < h);
  return 1;
}

void ReleaseGameDisplay() { g_display.Release(); }
