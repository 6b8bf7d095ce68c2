// Redrawing the device screen: task bar, windows back to front with their children, the menu bar,
// an open list, open popups; and the direct access the game screen uses.
#include "platform/backend.h"
#include "platform/desktop.h"
#include "platform/font.h"
#include "platform/messages.h"
#include "platform/styles.h"

namespace {

constexpr int TITLE_INSET = 6;

void paint_client(Desktop& d, WindowHandle window, const Rect& clip, WParam pass) {
  d.painting = window;
  d.painting_clip = clip;
  send_message(window, msg::PAINT, pass, 0);
  d.painting = NO_WINDOW;
}

void draw_caption(Desktop& d, const WindowRecord& w, const Rect& outer, const Rect& clip) {
  Canvas canvas(d.surface, {outer.left, outer.top}, clip);
  canvas.fill({0, 0, outer.width(), CAPTION_HEIGHT}, color::BAR);
  canvas.text(TITLE_INSET, (CAPTION_HEIGHT - FONT_HEIGHT) / 2, w.text, color::BAR_TEXT);
}

void draw_window(Desktop& d, WindowHandle window, const Rect& clip) {
  WindowRecord* w = find_window(window);
  if (w == nullptr || !(w->style & style::VISIBLE) || w->is_menu_bar) return;
  Rect outer = window_rect(window);
  Rect visible = outer.intersect(clip);
  if (visible.empty()) return;
  if (w->parent == NO_WINDOW && (w->style & style::CAPTION) == style::CAPTION) {
    draw_caption(d, *w, outer, visible);
  }
  Point origin = client_origin(window);
  Rect client = client_rect(window).moved(origin.x, origin.y).intersect(clip);
  if (client.empty()) return;
  if (w->window_class->background != NO_BACKGROUND) {
    Canvas(d.surface, {}, client).fill(client, w->window_class->background);
  }
  paint_client(d, window, client, 0);
  w = find_window(window);
  if (w == nullptr) return;
  std::vector<WindowHandle> children = w->children;
  for (WindowHandle child : children) draw_window(d, child, client);
}

void draw_task_bar(Desktop& d) {
  Canvas canvas(d.surface, {}, d.surface.bounds());
  canvas.fill({0, 0, d.surface.width(), CAPTION_HEIGHT}, color::BAR);
  if (WindowRecord* active = find_window(d.active)) {
    canvas.text(TITLE_INSET, (CAPTION_HEIGHT - FONT_HEIGHT) / 2, active->text, color::BAR_TEXT);
  }
}

}  // namespace

void draw_desktop(Desktop& d) {
  Canvas(d.surface, {}, d.surface.bounds()).fill(d.surface.bounds(), color::DESKTOP);
  std::vector<WindowHandle> tops = d.top_levels;
  for (WindowHandle top : tops) draw_window(d, top, d.surface.bounds());
  if (d.task_bar) draw_task_bar(d);
  draw_menu_bar(d);
  if (is_visible(d.overlay)) {
    paint_client(d, d.overlay, d.overlay_rect.intersect(d.surface.bounds()), 1);
  }
  draw_popups(d);
}

void invalidate_window(WindowHandle window) {
  Desktop* d = desktop();
  if (d != nullptr && is_window(window)) d->dirty = true;
}

Canvas begin_paint(WindowHandle window) {
  Desktop* d = desktop();
  static Surface nowhere(1, 1);
  if (d == nullptr) return Canvas(nowhere, {}, {});
  if (d->painting != window || window == NO_WINDOW) return Canvas(d->surface, {}, {});
  return Canvas(d->surface, client_origin(window), d->painting_clip);
}

void end_paint(WindowHandle) {}

void set_overlay(WindowHandle window, const Rect& screen_rect) {
  Desktop* d = desktop();
  if (d == nullptr) return;
  d->overlay = window;
  d->overlay_rect = window != NO_WINDOW ? screen_rect : Rect{};
  d->dirty = true;
}

void update_screen() {
  Desktop* d = desktop();
  if (d == nullptr || !d->dirty) return;
  redraw_screen();
}

void redraw_screen() {
  Desktop* d = desktop();
  if (d == nullptr) return;
  d->dirty = false;
  draw_desktop(*d);
  d->screen_changed = true;
}

const Surface& screen() {
  static Surface nothing(1, 1);
  Desktop* d = desktop();
  return d != nullptr ? d->surface : nothing;
}

ScreenLock lock_screen() {
  Desktop* d = desktop();
  if (d == nullptr) return {};
  return {d->surface.pixels(), d->surface.pitch_bytes(), d->surface.width(), d->surface.height()};
}

void unlock_screen() {
  if (Desktop* d = desktop()) d->screen_changed = true;
}
