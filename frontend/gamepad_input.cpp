#include "frontend/gamepad_input.h"

#include "frontend/buttons.h"
#include "platform/sdl/sdl_gamepad.h"

namespace {

struct PadToConsole {
  std::uint32_t pad;
  int console;
};

constexpr PadToConsole MAPPING[] = {
    {PAD_UP, BUTTON_UP},           {PAD_DOWN, BUTTON_DOWN},        {PAD_LEFT, BUTTON_LEFT},
    {PAD_RIGHT, BUTTON_RIGHT},     {PAD_SOUTH, BUTTON_A},          {PAD_EAST, BUTTON_B},
    {PAD_LEFT_SHOULDER, BUTTON_L}, {PAD_RIGHT_SHOULDER, BUTTON_R}, {PAD_START, BUTTON_START},
    {PAD_BACK, BUTTON_SELECT},
};

SdlGamepads gamepads;

}  // namespace

int ConsoleButtonsForPad(std::uint32_t pad_buttons) {
  int held = 0;
  for (const PadToConsole& m : MAPPING) {
    if (pad_buttons & m.pad) held |= m.console;
  }
  return held;
}

int OpenGamepads() { return gamepads.open() ? 1 : 0; }

void CloseGamepads() {
  gamepads.close();
  if (g_buttons.gamepad_state != 0) {
    g_buttons.SetGamepadButtons(0);
    g_buttons.PollKeyboard();
  }
}

void PollGamepads() {
  if (!gamepads.is_open()) return;
  int held = ConsoleButtonsForPad(gamepads.poll());
  if (held == g_buttons.gamepad_state) return;
  g_buttons.SetGamepadButtons(held);
  g_buttons.PollKeyboard();
}
