// Routing input: the stylus to the menus or the window under it, keys to the menus or the focus.
#include "platform/input.h"

#include "platform/backend.h"
#include "platform/desktop.h"
#include "platform/keys.h"
#include "platform/menus.h"
#include "platform/messages.h"
#include "platform/styles.h"

namespace {

// The deepest visible window under `p` (screen coordinates) inside `window`, letting the stylus
// pass through parts a control declares empty.
WindowHandle hit_within(WindowHandle window, Point p) {
  WindowRecord* w = find_window(window);
  if (w == nullptr || !(w->style & style::VISIBLE) || !window_rect(window).contains(p)) {
    return NO_WINDOW;
  }
  Point origin = client_origin(window);
  std::vector<WindowHandle> children = w->children;
  for (auto it = children.rbegin(); it != children.rend(); ++it) {
    WindowHandle hit = hit_within(*it, p);
    if (hit != NO_WINDOW) return hit;
  }
  if (w->parent != NO_WINDOW &&
      send_message(window, msg::HIT_TEST, 0, make_point_param(p.x - origin.x, p.y - origin.y)) ==
          0) {
    return NO_WINDOW;
  }
  return window;
}

WindowHandle window_at(const Desktop& d, Point p) {
  for (auto it = d.top_levels.rbegin(); it != d.top_levels.rend(); ++it) {
    const WindowRecord* w = find_window(*it);
    if (w == nullptr || w->is_menu_bar) continue;
    WindowHandle hit = hit_within(*it, p);
    if (hit != NO_WINDOW) return hit;
  }
  return NO_WINDOW;
}

LParam client_point(WindowHandle window, Point p) {
  Point origin = client_origin(window);
  return make_point_param(p.x - origin.x, p.y - origin.y);
}

// A disabled window, or one inside a disabled window, takes no stylus.
bool takes_stylus(WindowHandle window) {
  for (WindowHandle w = window; w != NO_WINDOW; w = parent_window(w)) {
    if (!is_enabled(w)) return false;
  }
  return true;
}

// Keys go to the grabbing window, else to the focus, else to the active window, else to the main
// window.
WindowHandle key_target(const Desktop& d) {
  if (is_window(d.key_grab)) return d.key_grab;
  if (is_window(d.focus)) return d.focus;
  if (is_window(d.active)) return d.active;
  return d.main;
}

}  // namespace

void input_stylus_down(int x, int y) {
  Desktop* d = desktop();
  if (d == nullptr) return;
  Point p{x, y};
  d->keys_held.set(vk::LBUTTON);
  if (is_window(d->overlay) && !d->overlay_rect.contains(p)) {
    send_message(d->overlay, msg::COMBO_SHOW_LIST, 0, 0);  // a tap outside an open list closes it
    return;
  }
  if (!is_window(d->overlay) && menu_take_stylus_down(*d, p)) return;
  WindowHandle target = is_window(d->overlay) ? d->overlay : window_at(*d, p);
  if (target == NO_WINDOW || !takes_stylus(target)) return;
  set_active_window(top_level_of(target));
  d->capture = target;
  post_message(target, msg::LEFT_DOWN, 0, client_point(target, p));
}

void input_stylus_move(int x, int y) {
  Desktop* d = desktop();
  if (d == nullptr || !is_window(d->capture)) return;
  post_message(d->capture, msg::MOUSE_MOVE, 1, client_point(d->capture, {x, y}));
}

void input_stylus_up(int x, int y) {
  Desktop* d = desktop();
  if (d == nullptr) return;
  d->keys_held.reset(vk::LBUTTON);
  Point p{x, y};
  if (is_window(d->capture)) {
    post_message(d->capture, msg::LEFT_UP, 0, client_point(d->capture, p));
    d->capture = NO_WINDOW;
    return;
  }
  menu_take_stylus_up(*d, p);
}

void input_key_down(unsigned virtual_key) {
  Desktop* d = desktop();
  if (d == nullptr || virtual_key == 0 || virtual_key >= vk::COUNT) return;
  bool repeat = d->keys_held.test(virtual_key);
  d->keys_held.set(virtual_key);
  if (!is_window(d->key_grab) && menu_take_key(*d, virtual_key)) {
    d->keys_taken_by_menu.set(virtual_key);
    return;
  }
  // Bit 30 of the second parameter: the key was already down, as auto-repeat sends it.
  post_message(key_target(*d), msg::KEY_DOWN, virtual_key, repeat ? (1 << 30) | 1 : 1);
}

void input_key_up(unsigned virtual_key) {
  Desktop* d = desktop();
  if (d == nullptr || virtual_key == 0 || virtual_key >= vk::COUNT) return;
  d->keys_held.reset(virtual_key);
  if (d->keys_taken_by_menu.test(virtual_key)) {
    d->keys_taken_by_menu.reset(virtual_key);
    return;
  }
  post_message(key_target(*d), msg::KEY_UP, virtual_key, static_cast<LParam>(0xC0000001u));
}

void grab_keyboard(WindowHandle window) {
  Desktop* d = desktop();
  if (d == nullptr) return;
  d->key_grab = is_window(window) ? window : NO_WINDOW;
  d->backend->set_keyboard_grab(d->key_grab != NO_WINDOW);
}

WindowHandle keyboard_grab_window() {
  Desktop* d = desktop();
  return d != nullptr && is_window(d->key_grab) ? d->key_grab : NO_WINDOW;
}

void input_focus_changed(bool has_focus) {
  Desktop* d = desktop();
  if (d == nullptr) return;
  if (!has_focus) {
    // Keys held when the focus went elsewhere will never report their release here.
    d->keys_held.reset();
    d->keys_taken_by_menu.reset();
    close_menus();
  }
  post_message(d->main, msg::ACTIVATE, has_focus ? ACTIVE : INACTIVE, 0);
}

void input_close_requested() {
  Desktop* d = desktop();
  if (d == nullptr) return;
  if (!post_message(d->main, msg::CLOSE, 0, 0)) d->quit = true;
}
