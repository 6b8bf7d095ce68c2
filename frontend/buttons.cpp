#include "frontend/buttons.h"

#include "frontend/gbaconfig.h"
#include "frontend/key_register.h"
#include "frontend/screenpad.h"
#include "platform/window_system.h"

CConsoleButtons g_buttons;

namespace {

constexpr int LEFT_UP = BUTTON_LEFT | BUTTON_UP;
constexpr int RIGHT_UP = BUTTON_RIGHT | BUTTON_UP;
constexpr int LEFT_DOWN = BUTTON_LEFT | BUTTON_DOWN;
constexpr int RIGHT_DOWN = BUTTON_RIGHT | BUTTON_DOWN;
constexpr int HIGHEST_KEY = 255;

// The order in which a touch looks for its button: the menu button is the stylus handler's.
constexpr int TOUCH_ORDER[] = {SCREEN_BTN_START,     SCREEN_BTN_SELECT,    SCREEN_BTN_A,
                               SCREEN_BTN_B,         SCREEN_BTN_L,         SCREEN_BTN_R,
                               SCREEN_BTN_UP,        SCREEN_BTN_DOWN,      SCREEN_BTN_LEFT,
                               SCREEN_BTN_RIGHT,     SCREEN_BTN_LEFT_UP,   SCREEN_BTN_RIGHT_UP,
                               SCREEN_BTN_LEFT_DOWN, SCREEN_BTN_RIGHT_DOWN};

bool key_held(std::int32_t bound_key) {
  if (bound_key <= 0 || bound_key > HIGHEST_KEY) return false;
  return async_key_state(static_cast<unsigned>(bound_key)) < 0;
}

}  // namespace

void CConsoleButtons::PressButtons(int mask) {
  key_state |= mask;
  send_buttons_to_console(static_cast<std::uint32_t>(key_state), true);
}

void CConsoleButtons::ReleaseButtons(int mask) {
  key_state &= ~mask;
  send_buttons_to_console(static_cast<std::uint32_t>(key_state), false);
}

void CConsoleButtons::ToggleButton(int mask) {
  if ((key_state & mask) != 0) {
    ReleaseButtons(mask);
  } else {
    PressButtons(mask);
  }
}

bool CConsoleButtons::Held(std::int32_t bound_key, int button) const {
  return key_held(bound_key) || (gamepad_state & button) != 0;
}

void CConsoleButtons::PressOrRelease(bool held, int mask) {
  if (held) {
    PressButtons(mask);
  } else {
    ReleaseButtons(mask);
  }
}

void CConsoleButtons::PollKeyboard() {
  const CGbaConfig& c = g_config;
  a_held = Held(c.vk_a, BUTTON_A) ? 1 : 0;
  PressOrRelease(a_held != 0, BUTTON_A);
  b_held = Held(c.vk_b, BUTTON_B) ? 1 : 0;
  PressOrRelease(b_held != 0, BUTTON_B);

  // The first held diagonal wins; the arms it sets are not released by their own keys below.
  int by_diagonal = 0;
  const std::pair<std::int32_t, int> diagonals[] = {{c.vk_left_up, LEFT_UP},
                                                    {c.vk_right_up, RIGHT_UP},
                                                    {c.vk_left_down, LEFT_DOWN},
                                                    {c.vk_right_down, RIGHT_DOWN}};
  for (const auto& [key, mask] : diagonals) {
    if (key_held(key)) {
      PressButtons(mask);
      by_diagonal = mask;
      break;
    }
    ReleaseButtons(mask);
  }

  PressOrRelease(Held(c.vk_l, BUTTON_L), BUTTON_L);
  PressOrRelease(Held(c.vk_r, BUTTON_R), BUTTON_R);
  const std::pair<std::int32_t, int> arms[] = {{c.vk_left, BUTTON_LEFT},
                                               {c.vk_right, BUTTON_RIGHT},
                                               {c.vk_up, BUTTON_UP},
                                               {c.vk_down, BUTTON_DOWN}};
  for (const auto& [key, mask] : arms) {
    if ((by_diagonal & mask) == 0) PressOrRelease(Held(key, mask), mask);
  }
  PressOrRelease(Held(c.vk_select, BUTTON_SELECT), BUTTON_SELECT);
  PressOrRelease(Held(c.vk_start, BUTTON_START), BUTTON_START);
  if (touch_x > 0) PadTouch(touch_x, touch_y, 1);
}

void CConsoleButtons::ApplyAutoFire() {
  if (g_config.auto_a && a_held) ToggleButton(BUTTON_A);
  if (g_config.auto_b && b_held) ToggleButton(BUTTON_B);
}

void CConsoleButtons::PadTouch(int x, int y, int pressed) {
  for (int index : TOUCH_ORDER) {
    if (!g_screen_pad.HitTest(x, y, index)) continue;
    int mask = ScreenButtonMask(index);
    if (mask == BUTTON_A) a_held = pressed;
    if (mask == BUTTON_B) b_held = pressed;
    PressOrRelease(pressed != 0, mask);
    return;
  }
}
