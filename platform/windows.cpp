// Opening the window system; window classes; creating, destroying, moving and describing windows.
#include <algorithm>

#include "platform/desktop.h"
#include "platform/messages.h"
#include "platform/styles.h"

namespace {

std::unique_ptr<Desktop> the_desktop;

char16_t lower(char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c; }

bool same_name(std::u16string_view a, std::u16string_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(),
                    [](char16_t x, char16_t y) { return lower(x) == lower(y); });
}

const ClassRecord* find_class(std::u16string_view name) {
  for (const auto& c : desktop()->classes) {
    if (same_name(c->name, name)) return c.get();
  }
  return nullptr;
}

std::u16string cut(std::u16string_view text) {
  return std::u16string(text.substr(0, std::min(text.size(), MAX_WINDOW_TEXT)));
}

// Where a top-level window goes when its creator leaves it to the system: between the task bar and
// the menu bar, across the screen.
Rect default_top_level_rect(const CreateWindowRequest& r) {
  const Surface& s = desktop()->surface;
  Rect area{0, CAPTION_HEIGHT, s.width(), s.height() - MENU_BAR_HEIGHT};
  int x = r.x == USE_DEFAULT ? area.left : r.x;
  int y = r.y == USE_DEFAULT ? area.top : r.y;
  int w = r.width == USE_DEFAULT ? area.width() : r.width;
  int h = r.height == USE_DEFAULT ? area.height() : r.height;
  return {x, y, x + w, y + h};
}

Rect child_rect(const CreateWindowRequest& r) {
  int x = r.x == USE_DEFAULT ? 0 : r.x;
  int y = r.y == USE_DEFAULT ? 0 : r.y;
  int w = r.width == USE_DEFAULT ? 0 : r.width;
  int h = r.height == USE_DEFAULT ? 0 : r.height;
  return {x, y, x + std::max(w, 0), y + std::max(h, 0)};
}

void forget_window(Desktop& d, WindowHandle window) {
  std::erase(d.top_levels, window);
  if (d.focus == window) d.focus = NO_WINDOW;
  if (d.capture == window) d.capture = NO_WINDOW;
  if (d.overlay == window) d.overlay = NO_WINDOW;
  if (d.popup_owner == window) {
    d.popups.clear();
    d.popup_owner = NO_WINDOW;
  }
  forget_menu_bars_of(d, window);
  d.windows.erase(window);
}

void activate_next(Desktop& d) {
  for (auto it = d.top_levels.rbegin(); it != d.top_levels.rend(); ++it) {
    WindowRecord* w = find_window(*it);
    if (w != nullptr && !w->is_menu_bar && (w->style & style::VISIBLE)) {
      set_active_window(*it);
      return;
    }
  }
}

}  // namespace

Desktop* desktop() { return the_desktop.get(); }

WindowRecord* find_window(WindowHandle window) {
  Desktop* d = desktop();
  if (d == nullptr || window == NO_WINDOW) return nullptr;
  auto it = d->windows.find(window);
  return it == d->windows.end() ? nullptr : it->second.get();
}

bool open_window_system(Backend& backend, int width, int height) {
  if (the_desktop) return false;
  if (width < MIN_SCREEN_SIDE || height < MIN_SCREEN_SIDE || width > MAX_SCREEN_SIDE ||
      height > MAX_SCREEN_SIDE) {
    return false;
  }
  the_desktop = std::make_unique<Desktop>(backend, width, height);
  register_menu_bar_class();
  register_control_classes();
  return true;
}

void close_window_system() {
  if (!the_desktop) return;
  std::vector<WindowHandle> tops = the_desktop->top_levels;
  for (WindowHandle w : tops) destroy_window(w);
  the_desktop.reset();
}

bool window_system_is_open() { return the_desktop != nullptr; }
Backend* current_backend() { return the_desktop ? the_desktop->backend : nullptr; }

bool register_window_class(const WindowClass& window_class) {
  if (desktop() == nullptr || window_class.name.empty() || window_class.procedure == nullptr) {
    return false;
  }
  if (find_class(window_class.name) != nullptr) return false;
  auto record = std::make_unique<ClassRecord>();
  record->name = window_class.name;
  record->procedure = window_class.procedure;
  record->background = window_class.background;
  desktop()->classes.push_back(std::move(record));
  return true;
}

WindowHandle create_window(const CreateWindowRequest& request) {
  Desktop* d = desktop();
  if (d == nullptr) return NO_WINDOW;
  const ClassRecord* window_class = find_class(request.class_name);
  bool child = (request.style & style::CHILD) != 0;
  WindowRecord* parent = find_window(request.parent);
  if (window_class == nullptr || (child && parent == nullptr)) return NO_WINDOW;

  auto record = std::make_unique<WindowRecord>();
  WindowHandle handle = d->next_window++;
  record->handle = handle;
  record->window_class = window_class;
  record->text = cut(request.title);
  record->style = request.style;
  record->ex_style = request.ex_style;
  record->number = request.number;
  record->parent = child ? request.parent : NO_WINDOW;
  record->rect = child ? child_rect(request) : default_top_level_rect(request);
  d->windows.emplace(handle, std::move(record));
  if (child) {
    parent->children.push_back(handle);
  } else {
    d->top_levels.push_back(handle);
    if (d->main == NO_WINDOW) d->main = handle;
  }
  d->dirty = true;

  if (send_message(handle, msg::CREATE, 0, 0) == -1) {
    destroy_window(handle);
    return NO_WINDOW;
  }
  if (!is_window(handle)) return NO_WINDOW;
  Rect client = client_rect(handle);
  send_message(handle, msg::SIZE, 0, make_point_param(client.width(), client.height()));
  if (!child && is_window(handle) && (request.style & style::VISIBLE)) set_active_window(handle);
  return is_window(handle) ? handle : NO_WINDOW;
}

bool destroy_window(WindowHandle window) {
  Desktop* d = desktop();
  WindowRecord* record = find_window(window);
  if (record == nullptr) return false;
  // Children first, so that each sees its parent still there when it is told.
  std::vector<WindowHandle> children = record->children;
  for (WindowHandle child : children) destroy_window(child);
  send_message(window, msg::DESTROY, 0, 0);
  record = find_window(window);
  if (record == nullptr) return true;  // destroyed while being told
  if (WindowRecord* parent = find_window(record->parent)) std::erase(parent->children, window);
  bool was_active = d->active == window;
  bool was_main = d->main == window;
  forget_window(*d, window);
  d->dirty = true;
  if (was_active) {
    d->active = NO_WINDOW;
    activate_next(*d);
  }
  if (was_main) {
    d->main = NO_WINDOW;
    d->quit = true;
  }
  return true;
}

bool is_window(WindowHandle window) { return find_window(window) != nullptr; }

std::u16string window_text(WindowHandle window) {
  WindowRecord* w = find_window(window);
  return w != nullptr ? w->text : std::u16string();
}

std::u16string window_class_name(WindowHandle window) {
  WindowRecord* w = find_window(window);
  return w != nullptr ? w->window_class->name : std::u16string();
}

std::uint32_t window_style(WindowHandle window) {
  WindowRecord* w = find_window(window);
  return w != nullptr ? w->style : 0;
}

bool set_window_style(WindowHandle window, std::uint32_t new_style) {
  WindowRecord* w = find_window(window);
  if (w == nullptr) return false;
  // Whether a window is a child is fixed at creation.
  w->style = (new_style & ~style::CHILD) | (w->style & style::CHILD);
  invalidate_window(window);
  return true;
}

unsigned window_number(WindowHandle window) {
  WindowRecord* w = find_window(window);
  return w != nullptr ? w->number : 0;
}

WindowHandle parent_window(WindowHandle window) {
  WindowRecord* w = find_window(window);
  return w != nullptr ? w->parent : NO_WINDOW;
}

std::vector<WindowHandle> child_windows(WindowHandle window) {
  WindowRecord* w = find_window(window);
  return w != nullptr ? w->children : std::vector<WindowHandle>{};
}

WindowHandle child_by_number(WindowHandle parent, unsigned number) {
  for (WindowHandle child : child_windows(parent)) {
    if (window_number(child) == number) return child;
  }
  return NO_WINDOW;
}

WindowHandle top_level_of(WindowHandle window) {
  WindowRecord* w = find_window(window);
  while (w != nullptr && w->parent != NO_WINDOW) w = find_window(w->parent);
  return w != nullptr ? w->handle : NO_WINDOW;
}

bool move_window(WindowHandle window, int x, int y, int width, int height, bool repaint) {
  WindowRecord* w = find_window(window);
  if (w == nullptr) return false;
  Rect moved{x, y, x + std::max(width, 0), y + std::max(height, 0)};
  bool resized = moved.width() != w->rect.width() || moved.height() != w->rect.height();
  w->rect = moved;
  if (repaint) invalidate_window(window);
  send_message(window, msg::POSITION_CHANGED, 0, 0);
  if (resized && is_window(window)) {
    Rect client = client_rect(window);
    send_message(window, msg::SIZE, 0, make_point_param(client.width(), client.height()));
  }
  return true;
}

Point client_origin(WindowHandle window) {
  WindowRecord* w = find_window(window);
  if (w == nullptr) return {};
  Point base = w->parent != NO_WINDOW ? client_origin(w->parent) : Point{};
  int caption =
      w->parent == NO_WINDOW && (w->style & style::CAPTION) == style::CAPTION ? CAPTION_HEIGHT : 0;
  return {base.x + w->rect.left, base.y + w->rect.top + caption};
}

Rect window_rect(WindowHandle window) {
  WindowRecord* w = find_window(window);
  if (w == nullptr) return {};
  Point base = w->parent != NO_WINDOW ? client_origin(w->parent) : Point{};
  return w->rect.moved(base.x, base.y);
}

Rect client_rect(WindowHandle window) {
  WindowRecord* w = find_window(window);
  if (w == nullptr) return {};
  Point origin = client_origin(window);
  Rect outer = window_rect(window);
  return {0, 0, outer.width(), std::max(0, outer.bottom - origin.y)};
}

bool show_window(WindowHandle window, bool show) {
  WindowRecord* w = find_window(window);
  if (w == nullptr) return false;
  bool was = (w->style & style::VISIBLE) != 0;
  w->style = show ? w->style | style::VISIBLE : w->style & ~style::VISIBLE;
  desktop()->dirty = true;
  if (!show && w->parent == NO_WINDOW && desktop()->active == window) activate_next(*desktop());
  return was;
}

bool is_visible(WindowHandle window) {
  for (WindowRecord* w = find_window(window); w != nullptr; w = find_window(w->parent)) {
    if (!(w->style & style::VISIBLE)) return false;
    if (w->parent == NO_WINDOW) return true;
  }
  return false;
}

bool enable_window(WindowHandle window, bool enable) {
  WindowRecord* w = find_window(window);
  if (w == nullptr) return false;
  bool was_disabled = (w->style & style::DISABLED) != 0;
  w->style = enable ? w->style & ~style::DISABLED : w->style | style::DISABLED;
  // Keys must not keep going to a control that can no longer act on them.
  if (!enable && desktop()->focus == window) set_focus(top_level_of(window));
  invalidate_window(window);
  send_message(window, msg::ENABLE, enable ? 1 : 0, 0);
  return was_disabled;
}

bool is_enabled(WindowHandle window) {
  WindowRecord* w = find_window(window);
  return w != nullptr && !(w->style & style::DISABLED);
}

WindowExtra* window_extra(WindowHandle window) {
  WindowRecord* w = find_window(window);
  return w != nullptr ? w->extra.get() : nullptr;
}

void set_window_extra(WindowHandle window, std::unique_ptr<WindowExtra> extra) {
  if (WindowRecord* w = find_window(window)) w->extra = std::move(extra);
}
