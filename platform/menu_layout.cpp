// Where the menu bar's soft keys and the popups lie on the screen.
#include <algorithm>

#include "platform/desktop.h"
#include "platform/font.h"

namespace {

constexpr int TEXT_INSET = 6;
constexpr int MARK_WIDTH = 14;  // room for the submenu arrow
constexpr int MIN_POPUP_WIDTH = 64;
constexpr int SUBMENU_OVERLAP = 4;

int entry_height(const MenuItem& item) {
  return item.kind == MenuItem::Kind::SEPARATOR ? MENU_SEPARATOR_HEIGHT : MENU_ENTRY_HEIGHT;
}

Point popup_size(const Desktop& d, MenuHandle menu) {
  auto it = d.menus.find(menu);
  if (it == d.menus.end()) return {};
  int width = MIN_POPUP_WIDTH;
  int height = 2;
  for (const MenuItem& item : it->second.items) {
    width = std::max(width, text_width(item.text) + 2 * TEXT_INSET + MARK_WIDTH);
    height += entry_height(item);
  }
  return {std::min(width, d.surface.width()), height};
}

// Keeps a popup inside the screen above the menu bar.
Rect fit_on_screen(const Desktop& d, Rect r) {
  int bottom_limit = d.surface.height() - MENU_BAR_HEIGHT;
  if (r.right > d.surface.width()) r = r.moved(d.surface.width() - r.right, 0);
  if (r.left < 0) r = r.moved(-r.left, 0);
  if (r.bottom > bottom_limit) r = r.moved(0, bottom_limit - r.bottom);
  if (r.top < 0) r = r.moved(0, -r.top);
  return r;
}

}  // namespace

Rect menu_bar_rect(const Desktop& d) {
  return {0, d.surface.height() - MENU_BAR_HEIGHT, d.surface.width(), d.surface.height()};
}

Rect soft_key_rect(const Desktop& d, int key) {
  Rect bar = menu_bar_rect(d);
  int middle = bar.width() / 2;
  return key == 0 ? Rect{0, bar.top, middle, bar.bottom}
                  : Rect{middle, bar.top, bar.right, bar.bottom};
}

Rect popup_entry_rect(const Desktop& d, const OpenPopup& popup, int index) {
  auto it = d.menus.find(popup.menu);
  if (it == d.menus.end() || index < 0 || index >= static_cast<int>(it->second.items.size())) {
    return {};
  }
  int top = popup.rect.top + 1;
  for (int i = 0; i < index; ++i) top += entry_height(it->second.items[i]);
  return {popup.rect.left + 1, top, popup.rect.right - 1,
          top + entry_height(it->second.items[index])};
}

int popup_entry_at(const Desktop& d, const OpenPopup& popup, Point p) {
  auto it = d.menus.find(popup.menu);
  if (it == d.menus.end() || !popup.rect.contains(p)) return -1;
  for (int i = 0; i < static_cast<int>(it->second.items.size()); ++i) {
    if (popup_entry_rect(d, popup, i).contains(p)) return i;
  }
  return -1;
}

Rect soft_key_popup_rect(const Desktop& d, MenuHandle menu, int key) {
  Point size = popup_size(d, menu);
  int bottom = d.surface.height() - MENU_BAR_HEIGHT;
  int left = key == 0 ? 0 : d.surface.width() - size.x;
  return fit_on_screen(d, {left, bottom - size.y, left + size.x, bottom});
}

Rect submenu_rect(const Desktop& d, const OpenPopup& parent, int index, MenuHandle submenu) {
  Point size = popup_size(d, submenu);
  Rect entry = popup_entry_rect(d, parent, index);
  int left = parent.rect.right - SUBMENU_OVERLAP;
  int bottom = entry.bottom + 1;
  return fit_on_screen(d, {left, bottom - size.y, left + size.x, bottom});
}
