#include "frontend/key_register.h"

#include "core/io/keypad.h"

void send_buttons_to_console(std::uint32_t held, bool check_interrupt) {
  // Every press is checked, also one of a button already held; the core itself checks only new
  // presses, and wakes a stopped CPU for them.
  if (check_interrupt) check_keypad_irq(held & ALL_BUTTONS);
  set_held_buttons(held);
}
