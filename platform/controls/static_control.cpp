// Static text: left, centred or right, drawn on the parent's white; the stylus passes through it.
#include "platform/controls/control_common.h"
#include "platform/font.h"
#include "platform/styles.h"

LResult static_procedure(WindowHandle window, unsigned message, WParam wparam, LParam lparam) {
  switch (message) {
    case msg::PAINT: {
      Canvas canvas = begin_paint(window);
      Rect box = client_rect(window);
      box.top = 0;
      box.bottom = std::min(box.bottom, FONT_HEIGHT + 4);  // one line at the top, as labels sit
      int alignment = static_cast<int>(window_style(window) & 3);
      draw_aligned_text(canvas, box, window_text(window), alignment == 3 ? 0 : alignment,
                        ink_of(window));
      end_paint(window);
      return 0;
    }
    case msg::HIT_TEST: return 0;
    default: return default_window_procedure(window, message, wparam, lparam);
  }
}
