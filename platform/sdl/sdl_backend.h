#pragma once
// The back end with a real display: a resizable SDL2 window titled "Orvane" that shows the device
// screen at an integer zoom, letterboxed, and turns the mouse and keyboard into stylus and keys.

#include <string>

#include "platform/backend.h"
#include "platform/sdl/viewport.h"

struct SDL_Window;
struct SDL_Renderer;
struct SDL_Texture;

constexpr int DEFAULT_ZOOM = 2;
constexpr int MAX_ZOOM = 8;

class SdlBackend : public Backend {
 public:
  SdlBackend() = default;
  ~SdlBackend() override;
  SdlBackend(const SdlBackend&) = delete;
  SdlBackend& operator=(const SdlBackend&) = delete;

  // Opens the window for a device screen of width x height; false with the reason in `error`
  // when there is no display or SDL cannot use it.
  bool open(int width, int height, int zoom, std::string& error);

  void poll_input() override;
  void present(const Surface& screen, bool changed) override;
  void idle() override;
  void set_keyboard_grab(bool grab) override;

  // Scripted input goes through SDL's own event queue, as the mouse and keyboard would send it.
  void feed_stylus_down(int x, int y) override;
  void feed_stylus_up(int x, int y) override;
  void feed_key_down(unsigned virtual_key) override;
  void feed_key_up(unsigned virtual_key) override;

 private:
  Viewport window_viewport() const;
  void handle_window_event(unsigned char event);
  void feed_button(bool down, int x, int y);
  void feed_key(bool down, unsigned virtual_key);

  SDL_Window* window_ = nullptr;
  SDL_Renderer* renderer_ = nullptr;
  SDL_Texture* texture_ = nullptr;
  int device_width_ = 0;
  int device_height_ = 0;
  bool window_needs_redraw_ = true;
  bool stylus_held_ = false;
};
