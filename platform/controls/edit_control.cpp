// Single-line edit box: a caret, typing, backspace and delete, and horizontal scrolling that keeps
// the caret in view.
#include <algorithm>

#include "platform/controls/control_common.h"
#include "platform/font.h"
#include "platform/keys.h"
#include "platform/styles.h"

namespace {

constexpr int INSET = 3;

struct EditState : WindowExtra {
  std::size_t caret = 0;
  int scroll = 0;  // pixels of text hidden on the left
  std::size_t limit = MAX_WINDOW_TEXT;
};

EditState& state_of(WindowHandle window) {
  if (extra_of<EditState>(window) == nullptr)
    set_window_extra(window, std::make_unique<EditState>());
  return *extra_of<EditState>(window);
}

int caret_x(const std::u16string& text, std::size_t caret) {
  return text_width(std::u16string_view(text).substr(0, caret));
}

void keep_caret_visible(WindowHandle window, EditState& state, const std::u16string& text) {
  int visible = std::max(1, client_rect(window).width() - 2 * INSET);
  int x = caret_x(text, state.caret);
  if (x - state.scroll >= visible) state.scroll = x - visible + 1;
  if (x < state.scroll) state.scroll = x;
  state.scroll = std::max(0, std::min(state.scroll, std::max(0, text_width(text) - visible + 1)));
}

void replace_text(WindowHandle window, EditState& state, std::u16string text, std::size_t caret) {
  state.caret = std::min(caret, text.size());
  keep_caret_visible(window, state, text);
  default_window_procedure(window, msg::SET_TEXT, 0, reinterpret_cast<LParam>(text.c_str()));
  notify_parent(window, notify::EDIT_CHANGED);
}

void type_character(WindowHandle window, char16_t c) {
  EditState& state = state_of(window);
  std::u16string text = window_text(window);
  if (c == 8) {
    if (state.caret == 0) return;
    text.erase(state.caret - 1, 1);
    replace_text(window, state, std::move(text), state.caret - 1);
  } else if (c >= 0x20 && c != 0x7F) {
    if (text.size() >= state.limit) return;  // full: the character is refused
    text.insert(state.caret, 1, c);
    replace_text(window, state, std::move(text), state.caret + 1);
  }
}

void move_caret(WindowHandle window, WParam key) {
  EditState& state = state_of(window);
  std::u16string text = window_text(window);
  switch (key) {
    case vk::LEFT: state.caret -= state.caret > 0 ? 1 : 0; break;
    case vk::RIGHT: state.caret += state.caret < text.size() ? 1 : 0; break;
    case vk::HOME: state.caret = 0; break;
    case vk::END: state.caret = text.size(); break;
    case vk::DELETE_KEY:
      if (state.caret < text.size()) {
        text.erase(state.caret, 1);
        replace_text(window, state, std::move(text), state.caret);
      }
      return;
    default: return;
  }
  keep_caret_visible(window, state, text);
  invalidate_window(window);
}

// The caret goes to the character boundary nearest to the tap.
void place_caret(WindowHandle window, int x) {
  EditState& state = state_of(window);
  std::u16string text = window_text(window);
  int target = x - INSET + state.scroll;
  std::size_t best = 0;
  for (std::size_t i = 0; i <= text.size(); ++i) {
    if (std::abs(caret_x(text, i) - target) < std::abs(caret_x(text, best) - target)) best = i;
  }
  state.caret = best;
  keep_caret_visible(window, state, text);
  invalidate_window(window);
}

void paint(WindowHandle window) {
  Canvas canvas = begin_paint(window);
  const EditState& state = state_of(window);
  Rect r = client_rect(window);
  canvas.fill(r, is_enabled(window) ? color::WHITE : color::FACE);
  if (window_style(window) & style::BORDER)
    canvas.frame(r, has_focus(window) ? color::FOCUS : color::BLACK);
  Rect inner{INSET, 1, r.right - INSET, r.bottom - 1};
  Canvas text_area = canvas.clipped(inner);
  int y = (r.height() - FONT_HEIGHT) / 2;
  std::u16string text = window_text(window);
  text_area.text(INSET - state.scroll, y, text, ink_of(window));
  if (has_focus(window)) {
    int x = INSET + caret_x(text, state.caret) - state.scroll;
    text_area.fill({x, y, x + 1, y + FONT_HEIGHT}, color::BLACK);
  }
  end_paint(window);
}

LResult set_text(WindowHandle window, LParam lparam) {
  EditState& state = state_of(window);
  auto* given = reinterpret_cast<const char16_t*>(lparam);
  std::u16string text = given != nullptr ? std::u16string(given) : std::u16string();
  text.resize(std::min(text.size(), state.limit));  // longer than the box holds: cut
  state.caret = text.size();
  keep_caret_visible(window, state, text);
  return default_window_procedure(window, msg::SET_TEXT, 0, reinterpret_cast<LParam>(text.c_str()));
}

}  // namespace

LResult edit_procedure(WindowHandle window, unsigned message, WParam wparam, LParam lparam) {
  switch (message) {
    case msg::PAINT: paint(window); return 0;
    case msg::CHARACTER: type_character(window, static_cast<char16_t>(wparam)); return 0;
    case msg::KEY_DOWN: move_caret(window, wparam); return 0;
    case msg::LEFT_DOWN:
      set_focus(window);
      place_caret(window, point_from_param(lparam).x);
      return 0;
    case msg::SET_TEXT: return set_text(window, lparam);
    case msg::EDIT_GET_SELECTION: return static_cast<LResult>(state_of(window).caret);
    case msg::EDIT_SET_SELECTION: {
      EditState& state = state_of(window);
      std::u16string text = window_text(window);
      state.caret = std::min<std::size_t>(wparam, text.size());
      keep_caret_visible(window, state, text);
      invalidate_window(window);
      return 0;
    }
    case msg::EDIT_LIMIT_TEXT:
      state_of(window).limit = wparam == 0 || wparam > MAX_WINDOW_TEXT ? MAX_WINDOW_TEXT : wparam;
      return 0;
    default: return default_window_procedure(window, message, wparam, lparam);
  }
}
