#include "platform/sdl/sdl_gamepad.h"

#include <SDL.h>

#include <algorithm>

namespace {

// Past about half way the stick counts as a direction.
constexpr Sint16 STICK_THRESHOLD = 16384;

struct ButtonBit {
  SDL_GameControllerButton button;
  std::uint32_t bit;
};

constexpr ButtonBit BUTTON_BITS[] = {
    {SDL_CONTROLLER_BUTTON_DPAD_UP, PAD_UP},
    {SDL_CONTROLLER_BUTTON_DPAD_DOWN, PAD_DOWN},
    {SDL_CONTROLLER_BUTTON_DPAD_LEFT, PAD_LEFT},
    {SDL_CONTROLLER_BUTTON_DPAD_RIGHT, PAD_RIGHT},
    {SDL_CONTROLLER_BUTTON_A, PAD_SOUTH},
    {SDL_CONTROLLER_BUTTON_B, PAD_EAST},
    {SDL_CONTROLLER_BUTTON_LEFTSHOULDER, PAD_LEFT_SHOULDER},
    {SDL_CONTROLLER_BUTTON_RIGHTSHOULDER, PAD_RIGHT_SHOULDER},
    {SDL_CONTROLLER_BUTTON_START, PAD_START},
    {SDL_CONTROLLER_BUTTON_BACK, PAD_BACK},
};

std::uint32_t stick_directions(SDL_GameController* pad) {
  Sint16 x = SDL_GameControllerGetAxis(pad, SDL_CONTROLLER_AXIS_LEFTX);
  Sint16 y = SDL_GameControllerGetAxis(pad, SDL_CONTROLLER_AXIS_LEFTY);
  std::uint32_t held = 0;
  if (x <= -STICK_THRESHOLD) held |= PAD_LEFT;
  if (x >= STICK_THRESHOLD) held |= PAD_RIGHT;
  if (y <= -STICK_THRESHOLD) held |= PAD_UP;
  if (y >= STICK_THRESHOLD) held |= PAD_DOWN;
  return held;
}

}  // namespace

SdlGamepads::~SdlGamepads() { close(); }

bool SdlGamepads::open() {
  if (open_) return true;
  if (SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) != 0) return false;
  open_ = true;
  return true;
}

void SdlGamepads::close() {
  if (!open_) return;
  for (SDL_GameController* pad : pads_) SDL_GameControllerClose(pad);
  pads_.clear();
  SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
  open_ = false;
}

void SdlGamepads::drop_gone_pads() {
  auto gone = [](SDL_GameController* pad) {
    if (SDL_GameControllerGetAttached(pad)) return false;
    SDL_GameControllerClose(pad);
    return true;
  };
  pads_.erase(std::remove_if(pads_.begin(), pads_.end(), gone), pads_.end());
}

void SdlGamepads::take_new_pads() {
  int count = SDL_NumJoysticks();
  for (int i = 0; i < count; ++i) {
    if (!SDL_IsGameController(i)) continue;
    SDL_JoystickID id = SDL_JoystickGetDeviceInstanceID(i);
    bool known = std::any_of(pads_.begin(), pads_.end(), [id](SDL_GameController* pad) {
      return SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(pad)) == id;
    });
    if (known) continue;
    if (SDL_GameController* pad = SDL_GameControllerOpen(i)) pads_.push_back(pad);
  }
}

std::uint32_t SdlGamepads::poll() {
  if (!open_) return 0;
  // Also when no window pumps SDL's events (headless): the pads' state is read afresh.
  SDL_JoystickUpdate();
  SDL_GameControllerUpdate();
  drop_gone_pads();
  take_new_pads();
  std::uint32_t held = 0;
  for (SDL_GameController* pad : pads_) {
    for (const ButtonBit& b : BUTTON_BITS) {
      if (SDL_GameControllerGetButton(pad, b.button)) held |= b.bit;
    }
    held |= stick_directions(pad);
  }
  return held;
}
