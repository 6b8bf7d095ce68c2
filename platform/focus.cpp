// The focus, the active window, the main window, the asynchronous key state and the metrics.
#include <algorithm>

#include "platform/desktop.h"
#include "platform/messages.h"
#include "platform/styles.h"

namespace {

void bring_to_front(Desktop& d, WindowHandle window) {
  auto it = std::find(d.top_levels.begin(), d.top_levels.end(), window);
  if (it == d.top_levels.end() || it + 1 == d.top_levels.end()) return;
  d.top_levels.erase(it);
  d.top_levels.push_back(window);
  d.dirty = true;
}

}  // namespace

WindowHandle focus_window() {
  Desktop* d = desktop();
  return d != nullptr ? d->focus : NO_WINDOW;
}

WindowHandle set_focus(WindowHandle window) {
  Desktop* d = desktop();
  if (d == nullptr) return NO_WINDOW;
  WindowHandle previous = d->focus;
  if (window != NO_WINDOW && !is_window(window)) return previous;
  if (window == previous) return previous;
  d->focus = window;
  if (window != NO_WINDOW) {
    WindowHandle top = top_level_of(window);
    if (top != d->active) set_active_window(top);
    d->focus = window;  // activation may have moved it
  }
  if (is_window(previous)) {
    invalidate_window(previous);
    send_message(previous, msg::KILL_FOCUS, window, 0);
  }
  if (is_window(window) && d->focus == window) {
    invalidate_window(window);
    send_message(window, msg::SET_FOCUS, previous, 0);
  }
  return previous;
}

WindowHandle active_window() {
  Desktop* d = desktop();
  return d != nullptr ? d->active : NO_WINDOW;
}

bool set_active_window(WindowHandle window) {
  Desktop* d = desktop();
  WindowRecord* w = find_window(window);
  if (d == nullptr || w == nullptr || w->parent != NO_WINDOW || w->is_menu_bar) return false;
  bring_to_front(*d, window);
  if (d->active == window) return true;
  WindowHandle previous = d->active;
  d->active = window;
  d->dirty = true;
  if (is_window(previous)) {
    send_message(previous, msg::ACTIVATE, INACTIVE, static_cast<LParam>(window));
  }
  if (d->active != window) return true;
  send_message(window, msg::ACTIVATE, ACTIVE, static_cast<LParam>(previous));
  if (d->active == window && top_level_of(d->focus) != window) set_focus(window);
  return true;
}

WindowHandle main_window() {
  Desktop* d = desktop();
  return d != nullptr ? d->main : NO_WINDOW;
}

void set_main_window(WindowHandle window) {
  Desktop* d = desktop();
  if (d != nullptr && (window == NO_WINDOW || parent_window(window) == NO_WINDOW)) d->main = window;
}

std::int16_t async_key_state(unsigned virtual_key) {
  Desktop* d = desktop();
  if (d == nullptr || virtual_key >= 256) return 0;
  return d->keys_held.test(virtual_key) ? static_cast<std::int16_t>(0x8001) : 0;
}

int system_metric(Metric metric) {
  Desktop* d = desktop();
  if (d == nullptr) return 0;
  switch (metric) {
    case Metric::SCREEN_WIDTH: return d->surface.width();
    case Metric::SCREEN_HEIGHT: return d->surface.height();
    case Metric::CAPTION_HEIGHT: return CAPTION_HEIGHT;
    case Metric::MENU_BAR_HEIGHT: return MENU_BAR_HEIGHT;
  }
  return 0;
}

void show_task_bar(bool show) {
  if (Desktop* d = desktop()) {
    d->task_bar = show;
    d->dirty = true;
  }
}

bool task_bar_shown() {
  Desktop* d = desktop();
  return d != nullptr && d->task_bar;
}
