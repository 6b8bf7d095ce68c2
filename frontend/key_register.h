#pragma once
// The one way the front end tells the console which buttons are held.

#include <cstdint>

// Writes the console's key register for `held` (bits 0-9, set = held); with `check_interrupt`
// the keypad interrupt condition is checked against the new set first.
void send_buttons_to_console(std::uint32_t held, bool check_interrupt);
