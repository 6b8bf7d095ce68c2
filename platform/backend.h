#pragma once
// What a back end gives the window system: input, presentation of the device screen, and a way to
// feed scripted input as its own devices would deliver it.

#include "platform/surface.h"

class Backend {
 public:
  virtual ~Backend() = default;

  // Moves whatever input arrived since the last call into the window system (input.h).
  virtual void poll_input() = 0;
  // Shows the device screen; `changed` says whether its pixels changed since the last call.
  virtual void present(const Surface& screen, bool changed) = 0;
  // Lets the machine rest between cycles of an idle loop.
  virtual void idle() {}
  // Keeps keys from the desktop's own shortcuts while set.
  virtual void set_keyboard_grab(bool) {}

  // Scripted input. The headless back end hands it straight to the window system; a real display
  // turns it into its own mouse and keyboard events first.
  virtual void feed_stylus_down(int x, int y);
  virtual void feed_stylus_up(int x, int y);
  virtual void feed_key_down(unsigned virtual_key);
  virtual void feed_key_up(unsigned virtual_key);
};
