#pragma once
// The console's buttons: KEYINPUT as the player holds them, and the keypad interrupt KEYCNT asks
// for, which is also what ends a stop.

#include <cstdint>

// Bits of KEYINPUT and KEYCNT, in the register's order (KEYINPUT holds them active low).
enum Button : std::uint32_t {
  BUTTON_A = 1u << 0,
  BUTTON_B = 1u << 1,
  BUTTON_SELECT = 1u << 2,
  BUTTON_START = 1u << 3,
  BUTTON_RIGHT = 1u << 4,
  BUTTON_LEFT = 1u << 5,
  BUTTON_UP = 1u << 6,
  BUTTON_DOWN = 1u << 7,
  BUTTON_R = 1u << 8,
  BUTTON_L = 1u << 9,
};
constexpr std::uint32_t ALL_BUTTONS = 0x3FF;
constexpr std::uint32_t INTERRUPT_KEYPAD = 1u << 12;

// Raises the keypad interrupt if KEYCNT asks for it given the pressed keys (bits 0-9, 1 = pressed).
void check_keypad_irq(std::uint32_t keys);

// The buttons held from now on (Button bits; others ignored). Stores KEYINPUT; a press that meets
// KEYCNT's condition raises the keypad interrupt and wakes a stopped CPU when IE lets the keypad
// through; a release raises nothing. Callable between frames and from the frame hook.
void set_held_buttons(std::uint32_t buttons);
