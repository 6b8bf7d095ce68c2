#include "platform/sdl/sdl_keys.h"

#include "platform/keys.h"

namespace {

struct KeyPair {
  SDL_Keycode sdl;
  unsigned virtual_key;
};

constexpr KeyPair named_keys[] = {
    {SDLK_BACKSPACE, vk::BACK},
    {SDLK_TAB, vk::TAB},
    {SDLK_RETURN, vk::RETURN},
    {SDLK_KP_ENTER, vk::RETURN},
    {SDLK_LSHIFT, vk::SHIFT},
    {SDLK_RSHIFT, vk::SHIFT},
    {SDLK_LCTRL, vk::CONTROL},
    {SDLK_RCTRL, vk::CONTROL},
    {SDLK_LALT, vk::MENU},
    {SDLK_RALT, vk::MENU},
    {SDLK_PAUSE, vk::PAUSE},
    {SDLK_CAPSLOCK, vk::CAPITAL},
    {SDLK_ESCAPE, vk::ESCAPE},
    {SDLK_SPACE, vk::SPACE},
    {SDLK_PAGEUP, vk::PRIOR},
    {SDLK_PAGEDOWN, vk::NEXT},
    {SDLK_END, vk::END},
    {SDLK_HOME, vk::HOME},
    {SDLK_LEFT, vk::LEFT},
    {SDLK_UP, vk::UP},
    {SDLK_RIGHT, vk::RIGHT},
    {SDLK_DOWN, vk::DOWN},
    {SDLK_INSERT, vk::INSERT},
    {SDLK_DELETE, vk::DELETE_KEY},
    {SDLK_KP_MULTIPLY, vk::MULTIPLY},
    {SDLK_KP_PLUS, vk::ADD},
    {SDLK_KP_MINUS, vk::SUBTRACT},
    {SDLK_KP_PERIOD, vk::DECIMAL},
    {SDLK_KP_DIVIDE, vk::DIVIDE},
    {SDLK_NUMLOCKCLEAR, vk::NUMLOCK},
    {SDLK_SCROLLLOCK, vk::SCROLL},
    {SDLK_SEMICOLON, vk::SEMICOLON},
    {SDLK_EQUALS, vk::EQUALS},
    {SDLK_COMMA, vk::COMMA},
    {SDLK_MINUS, vk::MINUS},
    {SDLK_PERIOD, vk::PERIOD},
    {SDLK_SLASH, vk::SLASH},
    {SDLK_BACKQUOTE, vk::GRAVE},
    {SDLK_LEFTBRACKET, vk::LEFT_BRACKET},
    {SDLK_BACKSLASH, vk::BACKSLASH},
    {SDLK_RIGHTBRACKET, vk::RIGHT_BRACKET},
    {SDLK_QUOTE, vk::APOSTROPHE},
};

constexpr SDL_Keycode keypad_digits[] = {SDLK_KP_0, SDLK_KP_1, SDLK_KP_2, SDLK_KP_3, SDLK_KP_4,
                                         SDLK_KP_5, SDLK_KP_6, SDLK_KP_7, SDLK_KP_8, SDLK_KP_9};
constexpr SDL_Keycode function_keys[] = {SDLK_F1, SDLK_F2, SDLK_F3, SDLK_F4,  SDLK_F5,  SDLK_F6,
                                         SDLK_F7, SDLK_F8, SDLK_F9, SDLK_F10, SDLK_F11, SDLK_F12};

}  // namespace

unsigned virtual_key_from_sdl(SDL_Keycode key) {
  if (key >= SDLK_a && key <= SDLK_z) return static_cast<unsigned>('A' + (key - SDLK_a));
  if (key >= SDLK_0 && key <= SDLK_9) return static_cast<unsigned>('0' + (key - SDLK_0));
  for (unsigned i = 0; i < 10; ++i) {
    if (keypad_digits[i] == key) return vk::NUMPAD0 + i;
  }
  for (unsigned i = 0; i < 12; ++i) {
    if (function_keys[i] == key) return vk::F1 + i;
  }
  for (const KeyPair& pair : named_keys) {
    if (pair.sdl == key) return pair.virtual_key;
  }
  return 0;
}

SDL_Keycode sdl_key_from_virtual(unsigned virtual_key) {
  if (virtual_key >= 'A' && virtual_key <= 'Z') return SDLK_a + static_cast<int>(virtual_key - 'A');
  if (virtual_key >= '0' && virtual_key <= '9') return SDLK_0 + static_cast<int>(virtual_key - '0');
  if (virtual_key >= vk::NUMPAD0 && virtual_key < vk::NUMPAD0 + 10) {
    return keypad_digits[virtual_key - vk::NUMPAD0];
  }
  if (virtual_key >= vk::F1 && virtual_key <= vk::F12) return function_keys[virtual_key - vk::F1];
  for (const KeyPair& pair : named_keys) {
    if (pair.virtual_key == virtual_key) return pair.sdl;
  }
  return SDLK_UNKNOWN;
}
