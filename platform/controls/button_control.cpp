// Push buttons (normal and default looks, pressed while the stylus holds them) and automatic check
// boxes. A click notifies the parent with the clicked code.
#include "platform/controls/control_common.h"
#include "platform/font.h"
#include "platform/keys.h"
#include "platform/styles.h"

namespace {

constexpr int BOX_SIDE = 13;
constexpr int BOX_GAP = 5;

struct ButtonState : WindowExtra {
  bool pressed = false;
  bool checked = false;
};

ButtonState& state_of(WindowHandle window) {
  if (extra_of<ButtonState>(window) == nullptr) {
    set_window_extra(window, std::make_unique<ButtonState>());
  }
  return *extra_of<ButtonState>(window);
}

std::uint32_t kind_of(WindowHandle window) {
  return window_style(window) & style::BUTTON_KIND_MASK;
}
bool is_check_box(WindowHandle window) {
  std::uint32_t kind = kind_of(window);
  return kind == style::CHECK_BOX || kind == style::AUTO_CHECK_BOX;
}

void click(WindowHandle window) {
  ButtonState& state = state_of(window);
  if (kind_of(window) == style::AUTO_CHECK_BOX) state.checked = !state.checked;
  invalidate_window(window);
  notify_parent(window, notify::CLICKED);
}

void paint_push_button(WindowHandle window, Canvas& canvas, const ButtonState& state) {
  Rect r = client_rect(window);
  canvas.fill(r, state.pressed ? color::SHADOW : color::FACE);
  canvas.frame(r, color::BLACK);
  if (kind_of(window) == style::DEFAULT_PUSH_BUTTON) {
    canvas.frame({r.left + 1, r.top + 1, r.right - 1, r.bottom - 1}, color::BLACK);
  }
  Color ink = state.pressed ? color::WHITE : ink_of(window);
  draw_aligned_text(canvas, r, window_text(window), 1, ink);
  if (has_focus(window)) {
    canvas.dotted_frame({r.left + 3, r.top + 3, r.right - 3, r.bottom - 3}, color::BLACK);
  }
}

void paint_check_box(WindowHandle window, Canvas& canvas, const ButtonState& state) {
  Rect r = client_rect(window);
  canvas.fill(r, color::WHITE);
  int top = (r.height() - BOX_SIDE) / 2;
  Rect box{1, top, 1 + BOX_SIDE, top + BOX_SIDE};
  canvas.fill(box, state.pressed || !is_enabled(window) ? color::FACE : color::WHITE);
  canvas.frame(box, ink_of(window));
  if (state.checked) {
    canvas.text(box.left + (BOX_SIDE - 8) / 2 - 1, top + (BOX_SIDE - FONT_HEIGHT) / 2, u"\u2714",
                ink_of(window));
  }
  Rect label{box.right + BOX_GAP, 0, r.right, r.bottom};
  draw_aligned_text(canvas, label, window_text(window), 0, ink_of(window));
  if (has_focus(window)) {
    int width = std::min(text_width(window_text(window)) + 4, label.width());
    int text_top = (r.height() - FONT_HEIGHT) / 2 - 1;
    canvas.dotted_frame(
        {label.left - 2, text_top, label.left - 2 + width, text_top + FONT_HEIGHT + 2},
        color::BLACK);
  }
}

LResult on_stylus(WindowHandle window, unsigned message, LParam lparam) {
  ButtonState& state = state_of(window);
  bool inside = client_rect(window).contains(point_from_param(lparam));
  if (message == msg::LEFT_DOWN) {
    set_focus(window);
    state.pressed = true;
  } else if (message == msg::MOUSE_MOVE) {
    state.pressed = inside;
  } else {
    bool clicked = state.pressed && inside;
    state.pressed = false;
    if (clicked) click(window);
  }
  invalidate_window(window);
  return 0;
}

LResult set_button_kind(WindowHandle window, WParam kind) {
  std::uint32_t rest = window_style(window) & ~style::BUTTON_KIND_MASK;
  set_window_style(window, rest | (static_cast<std::uint32_t>(kind) & style::BUTTON_KIND_MASK));
  return 0;
}

}  // namespace

LResult button_procedure(WindowHandle window, unsigned message, WParam wparam, LParam lparam) {
  switch (message) {
    case msg::PAINT: {
      Canvas canvas = begin_paint(window);
      const ButtonState& state = state_of(window);
      if (is_check_box(window)) {
        paint_check_box(window, canvas, state);
      } else {
        paint_push_button(window, canvas, state);
      }
      end_paint(window);
      return 0;
    }
    case msg::LEFT_DOWN:
    case msg::MOUSE_MOVE:
    case msg::LEFT_UP: return on_stylus(window, message, lparam);
    case msg::KEY_DOWN:
      if (wparam == vk::SPACE || wparam == vk::RETURN) click(window);
      return 0;
    case msg::GET_CHECK: return state_of(window).checked ? CHECKED : UNCHECKED;
    case msg::SET_CHECK:
      state_of(window).checked = wparam == CHECKED;
      invalidate_window(window);
      return 0;
    case msg::SET_BUTTON_STYLE: return set_button_kind(window, wparam);
    default: return default_window_procedure(window, message, wparam, lparam);
  }
}
