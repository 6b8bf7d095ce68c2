#pragma once
// Gamepads through SDL's GameController API: every connected pad is opened as it appears and
// closed as it goes; their buttons are read together as one set.

#include <cstdint>
#include <vector>

struct _SDL_GameController;

// What the pads hold, as bits.
enum GamepadButton : std::uint32_t {
  PAD_UP = 1u << 0,
  PAD_DOWN = 1u << 1,
  PAD_LEFT = 1u << 2,
  PAD_RIGHT = 1u << 3,
  PAD_SOUTH = 1u << 4,
  PAD_EAST = 1u << 5,
  PAD_LEFT_SHOULDER = 1u << 6,
  PAD_RIGHT_SHOULDER = 1u << 7,
  PAD_START = 1u << 8,
  PAD_BACK = 1u << 9,
};

class SdlGamepads {
 public:
  SdlGamepads() = default;
  ~SdlGamepads();
  SdlGamepads(const SdlGamepads&) = delete;
  SdlGamepads& operator=(const SdlGamepads&) = delete;

  // Starts SDL's game controller support; false when SDL cannot.
  bool open();
  void close();
  bool is_open() const { return open_; }

  // Takes in pads that were plugged in, lets go of pads that were pulled out, and returns the
  // buttons held on any of them (the d-pad and the left stick both give directions).
  std::uint32_t poll();
  int connected() const { return static_cast<int>(pads_.size()); }

 private:
  void take_new_pads();
  void drop_gone_pads();

  bool open_ = false;
  std::vector<_SDL_GameController*> pads_;
};
