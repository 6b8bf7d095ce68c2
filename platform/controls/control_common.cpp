#include "platform/controls/control_common.h"

#include "platform/font.h"

void notify_parent(WindowHandle control, unsigned code) {
  send_message(parent_window(control), msg::COMMAND,
               make_command_param(window_number(control), code), static_cast<LParam>(control));
}

Color ink_of(WindowHandle control) {
  return is_enabled(control) ? color::BLACK : color::DISABLED_TEXT;
}

bool has_focus(WindowHandle control) { return control != NO_WINDOW && focus_window() == control; }

void draw_aligned_text(Canvas& canvas, const Rect& box, std::u16string_view text, int alignment,
                       Color ink) {
  int width = text_width(text);
  int x = box.left;
  if (alignment == 1) x = box.left + (box.width() - width) / 2;
  if (alignment == 2) x = box.right - width;
  int y = box.top + (box.height() - FONT_HEIGHT) / 2;
  canvas.clipped(box).text(x, y, text, ink);
}

void register_control_classes() {
  register_window_class({u"STATIC", static_procedure, color::WHITE});
  register_window_class({u"BUTTON", button_procedure, NO_BACKGROUND});
  register_window_class({u"EDIT", edit_procedure, NO_BACKGROUND});
  register_window_class({u"COMBOBOX", combo_procedure, NO_BACKGROUND});
}
