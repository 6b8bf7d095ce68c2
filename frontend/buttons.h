#pragma once
// The console's ten buttons as the player holds them: one mask fed by the keys, the on-screen pad
// and gamepads, written to the console on every change; auto-fire and the diagonal keys.

#include <cstdint>

#include "core/io/keypad.h"  // the Button bits

class CConsoleButtons {
 public:
  virtual ~CConsoleButtons() = default;

  // Every press checks the keypad interrupt, even of a button already held.
  void PressButtons(int mask);
  void ReleaseButtons(int mask);
  void ToggleButton(int mask);
  // Reads every bound key (and the gamepads' buttons) and presses or releases accordingly; a
  // stylus held on the pad presses its button again afterwards.
  void PollKeyboard();
  // Once per presented frame: toggles A and B while held with auto-fire on.
  void ApplyAutoFire();
  // Presses (1) or releases (0) the pad button under (x, y), if any.
  void PadTouch(int x, int y, int pressed);
  // The buttons the gamepads hold now; the next poll merges them.
  void SetGamepadButtons(int mask) { gamepad_state = mask; }

  int key_state = 0;
  int a_held = 0;
  int b_held = 0;
  // The stylus point held on the pad: only an x above 0 counts as held.
  int touch_x = 0;
  int touch_y = 0;
  int gamepad_state = 0;

 private:
  bool Held(std::int32_t bound_key, int button) const;
  void PressOrRelease(bool held, int mask);
};

extern CConsoleButtons g_buttons;
