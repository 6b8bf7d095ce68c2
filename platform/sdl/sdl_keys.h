#pragma once
// SDL key codes to virtual-key codes and back.

#include <SDL.h>

// 0 for a key without a virtual-key code.
unsigned virtual_key_from_sdl(SDL_Keycode key);
// SDLK_UNKNOWN for a virtual-key code without an SDL key.
SDL_Keycode sdl_key_from_virtual(unsigned virtual_key);
