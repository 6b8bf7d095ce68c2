// Menus, menu bars, and how the stylus and the keys move through open popups.
#include "platform/menus.h"

#include <algorithm>

#include "platform/desktop.h"
#include "platform/keys.h"
#include "platform/messages.h"
#include "platform/styles.h"

namespace {

constexpr char16_t MENU_BAR_CLASS[] = u"#MenuBar";

MenuHandle new_menu(bool popup) {
  Desktop* d = desktop();
  if (d == nullptr) return NO_MENU;
  MenuHandle handle = d->next_menu++;
  d->menus[handle].popup = popup;
  return handle;
}

bool append(MenuHandle menu, MenuItem item) {
  MenuRecord* record = find_menu(menu);
  if (record == nullptr) return false;
  item.text.resize(std::min(item.text.size(), MAX_MENU_TEXT));
  record->items.push_back(std::move(item));
  return true;
}

const MenuItem* item_of(const Desktop& d, MenuHandle menu, int index) {
  auto it = d.menus.find(menu);
  if (it == d.menus.end() || index < 0 || index >= static_cast<int>(it->second.items.size())) {
    return nullptr;
  }
  return &it->second.items[index];
}

bool has_entries(MenuHandle menu) {
  MenuRecord* record = find_menu(menu);
  return record != nullptr && std::any_of(record->items.begin(), record->items.end(), [](auto& i) {
           return i.kind != MenuItem::Kind::SEPARATOR;
         });
}

void choose_entry(Desktop& d, unsigned number) {
  WindowHandle owner = d.popup_owner;
  close_menus();
  post_message(owner, msg::COMMAND, make_command_param(number, 0), 0);
}

// The next entry from `from` in `step` direction, cyclically, skipping separators.
int step_entry(const Desktop& d, const OpenPopup& popup, int from, int step) {
  auto it = d.menus.find(popup.menu);
  if (it == d.menus.end() || it->second.items.empty()) return -1;
  int count = static_cast<int>(it->second.items.size());
  int index = from < 0 ? (step > 0 ? -1 : count) : from;
  for (int tries = 0; tries < count; ++tries) {
    index = (index + step + count) % count;
    if (it->second.items[index].kind != MenuItem::Kind::SEPARATOR) return index;
  }
  return -1;
}

bool open_popup(Desktop& d, MenuHandle menu, const Rect& rect, bool highlight_first) {
  if (!has_entries(menu)) return false;
  OpenPopup popup{menu, rect, -1};
  if (highlight_first) popup.highlighted = step_entry(d, popup, -1, 1);
  d.popups.push_back(popup);
  d.dirty = true;
  return true;
}

bool open_submenu(Desktop& d, int index, bool highlight_first) {
  const OpenPopup& parent = d.popups.back();
  const MenuItem* item = item_of(d, parent.menu, index);
  if (item == nullptr || item->kind != MenuItem::Kind::SUBMENU) return false;
  return open_popup(d, item->submenu, submenu_rect(d, parent, index, item->submenu),
                    highlight_first);
}

// Acts on the lit entry of the innermost popup, as Return does.
void choose_highlighted(Desktop& d) {
  const OpenPopup& popup = d.popups.back();
  const MenuItem* item = item_of(d, popup.menu, popup.highlighted);
  if (item == nullptr) return;
  if (item->kind == MenuItem::Kind::ENTRY) choose_entry(d, item->number);
  if (item->kind == MenuItem::Kind::SUBMENU) open_submenu(d, popup.highlighted, true);
}

void close_one_level(Desktop& d) {
  d.popups.pop_back();
  if (d.popups.empty()) {
    d.popup_owner = NO_WINDOW;
    d.popup_key = -1;
  }
  d.dirty = true;
}

int popup_index_at(const Desktop& d, Point p) {
  for (int i = static_cast<int>(d.popups.size()) - 1; i >= 0; --i) {
    if (d.popups[i].rect.contains(p)) return i;
  }
  return -1;
}

int soft_key_at(const Desktop& d, Point p) {
  if (visible_menu_bar(d) == NO_WINDOW) return -1;
  for (int key = 0; key < 2; ++key) {
    if (soft_key_rect(d, key).contains(p)) return key;
  }
  return -1;
}

LResult menu_bar_procedure(WindowHandle window, unsigned message, WParam wparam, LParam lparam) {
  return default_window_procedure(window, message, wparam, lparam);
}

}  // namespace

MenuRecord* find_menu(MenuHandle menu) {
  Desktop* d = desktop();
  if (d == nullptr) return nullptr;
  auto it = d->menus.find(menu);
  return it == d->menus.end() ? nullptr : &it->second;
}

void register_menu_bar_class() {
  register_window_class({MENU_BAR_CLASS, menu_bar_procedure, NO_BACKGROUND});
}

MenuHandle create_menu() { return new_menu(false); }
MenuHandle create_popup_menu() { return new_menu(true); }

bool destroy_menu(MenuHandle menu) {
  Desktop* d = desktop();
  if (find_menu(menu) == nullptr) return false;
  if (std::any_of(d->popups.begin(), d->popups.end(), [&](auto& p) { return p.menu == menu; })) {
    close_menus();
  }
  for (auto& [bar, record] : d->menu_bars) {
    if (record.menu == menu) record.menu = NO_MENU;
  }
  d->menus.erase(menu);
  d->dirty = true;
  return true;
}

bool is_menu(MenuHandle menu) { return find_menu(menu) != nullptr; }

bool append_menu_item(MenuHandle menu, unsigned number, std::u16string_view text) {
  return append(menu, {MenuItem::Kind::ENTRY, number, NO_MENU, std::u16string(text)});
}

bool append_submenu(MenuHandle menu, MenuHandle submenu, std::u16string_view text) {
  if (find_menu(submenu) == nullptr || submenu == menu) return false;
  return append(menu, {MenuItem::Kind::SUBMENU, 0, submenu, std::u16string(text)});
}

bool append_menu_separator(MenuHandle menu) {
  return append(menu, {MenuItem::Kind::SEPARATOR, 0, NO_MENU, {}});
}

int menu_item_count(MenuHandle menu) {
  MenuRecord* record = find_menu(menu);
  return record != nullptr ? static_cast<int>(record->items.size()) : -1;
}

WindowHandle create_menu_bar(WindowHandle owner, MenuHandle menu) {
  Desktop* d = desktop();
  if (d == nullptr || !is_window(owner) || parent_window(owner) != NO_WINDOW || !is_menu(menu) ||
      menu_bar_of(owner) != NO_WINDOW) {
    return NO_WINDOW;
  }
  Rect r = menu_bar_rect(*d);
  WindowHandle bar = create_window(
      {MENU_BAR_CLASS, u"", 0, 0, r.left, r.top, r.width(), r.height(), NO_WINDOW, 0, nullptr});
  if (bar == NO_WINDOW) return NO_WINDOW;
  find_window(bar)->is_menu_bar = true;
  d->menu_bars[bar] = {owner, menu};
  show_window(bar, true);
  return bar;
}

WindowHandle menu_bar_of(WindowHandle owner) {
  Desktop* d = desktop();
  if (d == nullptr || owner == NO_WINDOW) return NO_WINDOW;
  for (const auto& [bar, record] : d->menu_bars) {
    if (record.owner == owner) return bar;
  }
  return NO_WINDOW;
}

void forget_menu_bars_of(Desktop& d, WindowHandle window) {
  d.menu_bars.erase(window);
  WindowHandle bar = menu_bar_of(window);
  if (bar != NO_WINDOW) {
    d.menu_bars.erase(bar);
    destroy_window(bar);
  }
}

WindowHandle visible_menu_bar(const Desktop& d) {
  for (auto it = d.top_levels.rbegin(); it != d.top_levels.rend(); ++it) {
    const WindowRecord* w = find_window(*it);
    if (w == nullptr || w->is_menu_bar || !(w->style & style::VISIBLE)) continue;
    WindowHandle bar = menu_bar_of(*it);
    if (bar == NO_WINDOW) continue;
    return is_visible(bar) ? bar : NO_WINDOW;
  }
  return NO_WINDOW;
}

bool press_soft_key(int key, bool by_keyboard) {
  Desktop* d = desktop();
  if (d == nullptr || key < 0 || key > 1) return false;
  WindowHandle bar = visible_menu_bar(*d);
  if (bar == NO_WINDOW) return false;
  const MenuBarRecord& record = d->menu_bars[bar];
  const MenuItem* item = item_of(*d, record.menu, key);
  if (item == nullptr) return false;
  bool same_popup_open = !d->popups.empty() && d->popups.front().menu == item->submenu;
  close_menus();
  if (same_popup_open) return true;  // a second press closes it
  d->popup_owner = record.owner;
  if (item->kind == MenuItem::Kind::ENTRY) {
    choose_entry(*d, item->number);
    return true;
  }
  if (item->kind != MenuItem::Kind::SUBMENU) return false;
  bool opened =
      open_popup(*d, item->submenu, soft_key_popup_rect(*d, item->submenu, key), by_keyboard);
  d->popup_key = opened ? key : -1;
  if (!opened) d->popup_owner = NO_WINDOW;
  return opened;
}

bool menu_is_open() {
  Desktop* d = desktop();
  return d != nullptr && !d->popups.empty();
}

void close_menus() {
  Desktop* d = desktop();
  if (d == nullptr) return;
  if (!d->popups.empty()) d->dirty = true;
  d->popups.clear();
  d->popup_owner = NO_WINDOW;
  d->popup_key = -1;
}

bool menu_take_stylus_down(Desktop& d, Point p) {
  int key = soft_key_at(d, p);
  if (key >= 0) {
    press_soft_key(key, false);
    return true;
  }
  if (d.popups.empty()) return false;
  int level = popup_index_at(d, p);
  if (level < 0) {
    close_menus();  // a tap outside closes the menus and goes no further
    return true;
  }
  d.popups.resize(static_cast<std::size_t>(level) + 1);
  OpenPopup& popup = d.popups.back();
  int index = popup_entry_at(d, popup, p);
  const MenuItem* item = item_of(d, popup.menu, index);
  popup.highlighted = item != nullptr && item->kind != MenuItem::Kind::SEPARATOR ? index : -1;
  d.dirty = true;
  if (item != nullptr && item->kind == MenuItem::Kind::SUBMENU) open_submenu(d, index, false);
  return true;
}

bool menu_take_stylus_up(Desktop& d, Point p) {
  if (d.popups.empty()) return soft_key_at(d, p) >= 0;
  int level = popup_index_at(d, p);
  if (level < 0) return true;
  const OpenPopup& popup = d.popups[level];
  int index = popup_entry_at(d, popup, p);
  const MenuItem* item = item_of(d, popup.menu, index);
  if (item != nullptr && item->kind == MenuItem::Kind::ENTRY && index == popup.highlighted) {
    choose_entry(d, item->number);
  }
  return true;
}

bool menu_take_key(Desktop& d, unsigned virtual_key) {
  if (virtual_key == vk::F1 || virtual_key == vk::F2) {
    return press_soft_key(static_cast<int>(virtual_key - vk::F1), true);
  }
  if (d.popups.empty()) return false;
  OpenPopup& popup = d.popups.back();
  switch (virtual_key) {
    case vk::UP:
    case vk::DOWN:
      popup.highlighted = step_entry(d, popup, popup.highlighted, virtual_key == vk::UP ? -1 : 1);
      d.dirty = true;
      break;
    case vk::RIGHT: open_submenu(d, popup.highlighted, true); break;
    case vk::LEFT:
    case vk::ESCAPE: close_one_level(d); break;
    case vk::RETURN: choose_highlighted(d); break;
    default: break;
  }
  return true;  // while a menu is open, every key belongs to it
}
