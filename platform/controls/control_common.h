#pragma once
// What the built-in controls share: notifying the parent, text colours, the focus test.

#include <string_view>

#include "platform/desktop.h"
#include "platform/messages.h"

// Sends command (273) to the parent with the control's number and `code` in the high word.
void notify_parent(WindowHandle control, unsigned code);
Color ink_of(WindowHandle control);
bool has_focus(WindowHandle control);
// Draws `text` vertically centred in `box`, aligned left (0), centred (1) or right (2).
void draw_aligned_text(Canvas& canvas, const Rect& box, std::u16string_view text, int alignment,
                       Color ink);

LResult static_procedure(WindowHandle window, unsigned message, WParam wparam, LParam lparam);
LResult button_procedure(WindowHandle window, unsigned message, WParam wparam, LParam lparam);
LResult edit_procedure(WindowHandle window, unsigned message, WParam wparam, LParam lparam);
LResult combo_procedure(WindowHandle window, unsigned message, WParam wparam, LParam lparam);
