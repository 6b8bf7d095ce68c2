#pragma once
// Input entering the window system: the stylus in device pixels, keys as virtual-key codes, and
// the display window's own events. Back ends and scripts call these.

void input_stylus_down(int x, int y);
void input_stylus_move(int x, int y);
void input_stylus_up(int x, int y);
void input_key_down(unsigned virtual_key);
void input_key_up(unsigned virtual_key);
// The display window lost or regained the focus.
void input_focus_changed(bool has_focus);
// The display window was closed: close (16) goes to the main window.
void input_close_requested();
