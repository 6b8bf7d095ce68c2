// The console's buttons from keys, the pad and auto-fire: the key register and the keypad
// interrupt check as the console sees them.

#include <gtest/gtest.h>

#include "frontend/buttons.h"
#include "platform/input.h"
#include "tests/frontend/game_screen_fixture.h"

namespace {

using InputTest = GameScreenTest;

// Default bindings: Q is Left+Up, D is Right, A (the key) is Left.
TEST_F(InputTest, DiagonalKeyAndArmKeyTogether) {
  input_key_down('Q');
  input_key_down('D');
  g_buttons.PollKeyboard();
  EXPECT_EQ(g_buttons.key_state, BUTTON_LEFT | BUTTON_UP | BUTTON_RIGHT);
  EXPECT_EQ(keyinput(), 0x3FFu & ~0x070u);  // held buttons read 0
  // Left's own key is up, but the diagonal set Left: the poll keeps it.
  input_key_up('D');
  g_buttons.PollKeyboard();
  EXPECT_EQ(g_buttons.key_state, BUTTON_LEFT | BUTTON_UP);
  input_key_up('Q');
  g_buttons.PollKeyboard();
  EXPECT_EQ(g_buttons.key_state, 0);
  EXPECT_EQ(keyinput(), 0x3FFu);
}

TEST_F(InputTest, AutoFireAlternatesEveryFrameWhileHeld) {
  g_config.auto_a = 1;
  input_key_down('O');  // A
  g_buttons.PollKeyboard();
  std::vector<int> a_bits;
  for (int frame = 0; frame < 4; ++frame) {
    g_buttons.ApplyAutoFire();
    a_bits.push_back(g_buttons.key_state & BUTTON_A);
  }
  EXPECT_EQ(a_bits, (std::vector<int>{0, 1, 0, 1}));
  input_key_up('O');
  g_buttons.PollKeyboard();
  g_buttons.ApplyAutoFire();
  g_buttons.ApplyAutoFire();
  EXPECT_EQ(g_buttons.key_state & BUTTON_A, 0);
  EXPECT_EQ(g_buttons.a_held, 0);
  // B without auto-fire is simply held.
  input_key_down('I');
  g_buttons.PollKeyboard();
  g_buttons.ApplyAutoFire();
  EXPECT_EQ(g_buttons.key_state, BUTTON_B);
}

TEST_F(InputTest, StylusHeldOnAOutlivesAKeyPoll) {
  PadRect target{0, 0, 240, 320};
  g_screen_pad.SetTarget(&target);
  g_screen_pad.LayoutFor(1, true);  // A spans (195, 215)-(231, 251)
  g_buttons.touch_x = 200;
  g_buttons.touch_y = 220;
  g_buttons.PadTouch(200, 220, 1);
  EXPECT_EQ(g_buttons.key_state, BUTTON_A);
  input_key_down('W');  // Up: a key event polls the whole keyboard
  g_buttons.PollKeyboard();
  EXPECT_EQ(g_buttons.key_state, BUTTON_A | BUTTON_UP);
  EXPECT_EQ(g_buttons.a_held, 1);
  g_buttons.PadTouch(200, 220, 0);
  EXPECT_EQ(g_buttons.key_state, BUTTON_UP);
  EXPECT_EQ(g_buttons.a_held, 0);
}

TEST_F(InputTest, TouchesOutsideEveryButtonDoNothing) {
  PadRect target{0, 0, 240, 320};
  g_screen_pad.SetTarget(&target);
  g_screen_pad.LayoutFor(1, true);
  for (auto [x, y] : {std::pair{-1, -1}, {120, 150}, {20, 20}}) {  // (20, 20): the menu button
    g_buttons.PadTouch(x, y, 1);
    EXPECT_EQ(g_buttons.key_state, 0) << x << "," << y;
  }
  // The joined cross: the point where Up's bottom meets Left's top belongs to Up first.
  g_buttons.PadTouch(40, 245, 1);
  EXPECT_EQ(g_buttons.key_state, BUTTON_UP);
}

// A pad that was never laid out has every rectangle at (0, 0): only that point hits, and Start is
// looked for first.
TEST_F(InputTest, UnlaidPadHitsOnlyTheOrigin) {
  g_buttons.PadTouch(0, 0, 1);
  EXPECT_EQ(g_buttons.key_state, BUTTON_START);
  g_buttons.PadTouch(1, 0, 1);
  EXPECT_EQ(g_buttons.key_state, BUTTON_START);
}

TEST_F(InputTest, EveryPressChecksTheKeypadInterruptAndReleasesDoNot) {
  io_store16(IO_KEYCNT, 0x4000 | BUTTON_A);  // interrupt when A is held
  g_buttons.PressButtons(BUTTON_A);
  EXPECT_TRUE(keypad_interrupt_requested());
  clear_interrupt_requests();
  g_buttons.PressButtons(BUTTON_A);  // already held: checked again
  EXPECT_TRUE(keypad_interrupt_requested());
  clear_interrupt_requests();
  g_buttons.PressButtons(BUTTON_B);  // A still held: the condition holds
  EXPECT_TRUE(keypad_interrupt_requested());
  clear_interrupt_requests();
  g_buttons.ReleaseButtons(BUTTON_B);
  EXPECT_FALSE(keypad_interrupt_requested());
  g_buttons.ToggleButton(BUTTON_A);  // held: released
  EXPECT_EQ(g_buttons.key_state, 0);
  EXPECT_FALSE(keypad_interrupt_requested());
  // A poll with A's key down presses A, and so checks.
  input_key_down('O');
  g_buttons.PollKeyboard();
  EXPECT_TRUE(keypad_interrupt_requested());
}

// A gamepad's buttons merge with the keys in the same poll: released only when neither holds.
TEST_F(InputTest, GamepadButtonsMergeWithKeys) {
  g_buttons.SetGamepadButtons(BUTTON_A | BUTTON_LEFT);
  input_key_down('A');  // Left from the keyboard too
  g_buttons.PollKeyboard();
  EXPECT_EQ(g_buttons.key_state, BUTTON_A | BUTTON_LEFT);
  EXPECT_EQ(g_buttons.a_held, 1);  // auto-fire sees the pad's A as held
  g_buttons.SetGamepadButtons(0);
  g_buttons.PollKeyboard();
  EXPECT_EQ(g_buttons.key_state, BUTTON_LEFT);
}

}  // namespace
