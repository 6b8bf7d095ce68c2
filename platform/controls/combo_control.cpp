// Drop-down combo box: a field showing the selection and a list that opens below it (over
// everything) on a tap or a key; choosing an item notifies the parent of the selection change.
#include <algorithm>

#include "platform/controls/control_common.h"
#include "platform/font.h"
#include "platform/keys.h"

namespace {

constexpr int FIELD_HEIGHT = 22;
constexpr int ITEM_HEIGHT = 18;
constexpr int ARROW_WIDTH = 16;
constexpr int MIN_VISIBLE_ITEMS = 3;
constexpr std::size_t MAX_ITEMS = 1000;

struct ComboState : WindowExtra {
  std::vector<std::u16string> items;
  int selection = -1;
  bool open = false;
  int lit = -1;
  int first_visible = 0;
};

ComboState& state_of(WindowHandle window) {
  if (extra_of<ComboState>(window) == nullptr)
    set_window_extra(window, std::make_unique<ComboState>());
  return *extra_of<ComboState>(window);
}

int count_of(const ComboState& s) { return static_cast<int>(s.items.size()); }

int visible_items(WindowHandle window, const ComboState& s) {
  int room = (client_rect(window).height() - FIELD_HEIGHT) / ITEM_HEIGHT;
  return std::min(count_of(s), std::max(room, MIN_VISIBLE_ITEMS));
}

// The list's place in client coordinates: below the field, or above it when the screen ends.
Rect list_rect(WindowHandle window, const ComboState& s) {
  int width = client_rect(window).width();
  int height = visible_items(window, s) * ITEM_HEIGHT + 2;
  Point origin = client_origin(window);
  int screen_bottom = system_metric(Metric::SCREEN_HEIGHT) - system_metric(Metric::MENU_BAR_HEIGHT);
  if (origin.y + FIELD_HEIGHT + height > screen_bottom && origin.y - height >= 0) {
    return {0, -height, width, 0};
  }
  return {0, FIELD_HEIGHT, width, FIELD_HEIGHT + height};
}

int item_at(WindowHandle window, const ComboState& s, Point p) {
  Rect list = list_rect(window, s);
  if (!list.contains(p)) return -1;
  int index = s.first_visible + (p.y - list.top - 1) / ITEM_HEIGHT;
  return index >= 0 && index < count_of(s) ? index : -1;
}

void scroll_to(WindowHandle window, ComboState& s, int index) {
  int shown = std::max(1, visible_items(window, s));
  if (index < s.first_visible) s.first_visible = index;
  if (index >= s.first_visible + shown) s.first_visible = index - shown + 1;
  s.first_visible = std::max(0, s.first_visible);
}

void show_list(WindowHandle window, bool open) {
  ComboState& s = state_of(window);
  if (open && (s.items.empty() || !is_enabled(window))) return;  // nothing to choose from
  s.open = open;
  if (open) {
    s.lit = s.selection;
    scroll_to(window, s, std::max(0, s.lit));
    Point origin = client_origin(window);
    Rect list = list_rect(window, s);
    Rect field{0, 0, client_rect(window).width(), FIELD_HEIGHT};
    Rect both{0, std::min(field.top, list.top), field.right, std::max(field.bottom, list.bottom)};
    set_overlay(window, both.moved(origin.x, origin.y));
  } else {
    set_overlay(NO_WINDOW, {});
  }
  invalidate_window(window);
}

void select(WindowHandle window, int index) {
  ComboState& s = state_of(window);
  if (index < 0 || index >= count_of(s) || index == s.selection) return;
  s.selection = index;
  invalidate_window(window);
  notify_parent(window, notify::SELECTION_CHANGED);
}

void on_key(WindowHandle window, WParam key) {
  ComboState& s = state_of(window);
  int step = key == vk::DOWN ? 1 : key == vk::UP ? -1 : 0;
  if (!s.open) {
    if (step != 0 && s.selection + step >= 0) select(window, s.selection + step);
    if (key == vk::RETURN || key == vk::SPACE || key == vk::F1 + 3) show_list(window, true);
    return;
  }
  if (step != 0) {
    s.lit = std::clamp(s.lit + step, 0, count_of(s) - 1);
    scroll_to(window, s, s.lit);
    invalidate_window(window);
  } else if (key == vk::RETURN) {
    int chosen = s.lit;
    show_list(window, false);
    select(window, chosen);
  } else if (key == vk::ESCAPE) {
    show_list(window, false);
  }
}

void on_stylus(WindowHandle window, unsigned message, Point p) {
  ComboState& s = state_of(window);
  int index = item_at(window, s, p);
  if (message == msg::LEFT_DOWN) {
    set_focus(window);
    if (!s.open) {
      show_list(window, true);
    } else if (index >= 0) {
      s.lit = index;
    } else {
      show_list(window, false);
    }
  } else if (s.open && index >= 0) {
    s.lit = index;
    if (message == msg::LEFT_UP) {
      show_list(window, false);
      select(window, index);
    }
  }
  invalidate_window(window);
}

void paint_field(WindowHandle window, const ComboState& s) {
  Canvas canvas = begin_paint(window);
  int width = client_rect(window).width();
  Rect field{0, 0, width, FIELD_HEIGHT};
  canvas.fill(field, is_enabled(window) ? color::WHITE : color::FACE);
  canvas.frame(field, color::BLACK);
  Rect text_box{2, 2, width - ARROW_WIDTH - 1, FIELD_HEIGHT - 2};
  bool focused = has_focus(window) && !s.open;
  if (focused) canvas.fill(text_box, color::HIGHLIGHT);
  if (s.selection >= 0) {
    Color ink = focused ? color::HIGHLIGHT_TEXT : ink_of(window);
    draw_aligned_text(canvas, {text_box.left + 2, 0, text_box.right, FIELD_HEIGHT},
                      s.items[s.selection], 0, ink);
  }
  Rect arrow{width - ARROW_WIDTH - 1, 1, width - 1, FIELD_HEIGHT - 1};
  canvas.fill(arrow, color::FACE);
  draw_aligned_text(canvas, arrow, u"\u25BE", 1, ink_of(window));
  end_paint(window);
}

void paint_list(WindowHandle window, const ComboState& s) {
  Canvas canvas = begin_paint(window);
  Rect list = list_rect(window, s);
  canvas.fill(list, color::WHITE);
  canvas.frame(list, color::BLACK);
  int shown = visible_items(window, s);
  for (int i = 0; i < shown && s.first_visible + i < count_of(s); ++i) {
    int index = s.first_visible + i;
    Rect row{list.left + 1, list.top + 1 + i * ITEM_HEIGHT, list.right - 1,
             list.top + 1 + (i + 1) * ITEM_HEIGHT};
    bool lit = index == s.lit;
    if (lit) canvas.fill(row, color::HIGHLIGHT);
    draw_aligned_text(canvas, {row.left + 3, row.top, row.right, row.bottom}, s.items[index], 0,
                      lit ? color::HIGHLIGHT_TEXT : color::BLACK);
  }
  end_paint(window);
}

LResult copy_item(const ComboState& s, WParam index, LParam buffer) {
  auto* out = reinterpret_cast<char16_t*>(buffer);
  if (out == nullptr || index >= s.items.size()) return -1;
  const std::u16string& item = s.items[index];
  std::copy(item.begin(), item.end(), out);  // items are kept shorter than COMBO_ITEM_CAPACITY
  out[item.size()] = 0;
  return static_cast<LResult>(item.size());
}

LResult list_message(WindowHandle window, unsigned message, WParam wparam, LParam lparam) {
  ComboState& s = state_of(window);
  switch (message) {
    case msg::COMBO_ADD_STRING: {
      auto* text = reinterpret_cast<const char16_t*>(lparam);
      if (text == nullptr || s.items.size() >= MAX_ITEMS) return -1;
      std::u16string item(text);
      item.resize(std::min<std::size_t>(item.size(), COMBO_ITEM_CAPACITY - 1));
      s.items.push_back(std::move(item));
      invalidate_window(window);
      return count_of(s) - 1;
    }
    case msg::COMBO_DELETE_STRING:
      if (wparam >= s.items.size()) return -1;
      s.items.erase(s.items.begin() + static_cast<std::ptrdiff_t>(wparam));
      if (s.selection >= count_of(s) || s.selection == static_cast<int>(wparam)) s.selection = -1;
      invalidate_window(window);
      return count_of(s);
    case msg::COMBO_GET_COUNT: return count_of(s);
    case msg::COMBO_GET_SELECTION: return s.selection;
    case msg::COMBO_SET_SELECTION: {
      bool valid = wparam < s.items.size();
      s.selection = valid ? static_cast<int>(wparam) : -1;
      invalidate_window(window);
      return valid ? s.selection : -1;
    }
    case msg::COMBO_GET_ITEM_TEXT: return copy_item(s, wparam, lparam);
    case msg::COMBO_GET_ITEM_LENGTH:
      return wparam < s.items.size() ? static_cast<LResult>(s.items[wparam].size()) : -1;
    case msg::COMBO_RESET:
      show_list(window, false);
      s = ComboState{};
      return 0;
    case msg::COMBO_SHOW_LIST: show_list(window, wparam != 0); return 1;
    case msg::COMBO_IS_OPEN: return s.open ? 1 : 0;
    default: return default_window_procedure(window, message, wparam, lparam);
  }
}

}  // namespace

LResult combo_procedure(WindowHandle window, unsigned message, WParam wparam, LParam lparam) {
  switch (message) {
    case msg::PAINT:
      if (wparam == 1) {
        paint_list(window, state_of(window));
      } else {
        paint_field(window, state_of(window));
      }
      return 0;
    case msg::HIT_TEST: {
      Point p = point_from_param(lparam);
      return p.y < FIELD_HEIGHT || state_of(window).open ? 1 : 0;
    }
    case msg::KEY_DOWN: on_key(window, wparam); return 0;
    case msg::LEFT_DOWN:
    case msg::LEFT_UP:
    case msg::MOUSE_MOVE: on_stylus(window, message, point_from_param(lparam)); return 0;
    case msg::KILL_FOCUS:
      if (state_of(window).open) show_list(window, false);
      return 0;
    case msg::DESTROY:
      if (state_of(window).open) show_list(window, false);
      return 0;
    default: return list_message(window, message, wparam, lparam);
  }
}
