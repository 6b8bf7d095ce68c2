#include "platform/sdl/sdl_backend.h"

#include <SDL.h>

#include <cstdlib>

#include "platform/input.h"
#include "platform/sdl/sdl_keys.h"

namespace {

bool has_display_variable() {
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "SDL_VIDEODRIVER"}) {
    const char* value = std::getenv(name);
    if (value != nullptr && value[0] != '\0') return true;
  }
  return false;
}

}  // namespace

SdlBackend::~SdlBackend() {
  if (texture_ != nullptr) SDL_DestroyTexture(texture_);
  if (renderer_ != nullptr) SDL_DestroyRenderer(renderer_);
  if (window_ != nullptr) SDL_DestroyWindow(window_);
  if (window_ != nullptr || renderer_ != nullptr) SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

bool SdlBackend::open(int width, int height, int zoom, std::string& error) {
  if (!has_display_variable()) {
    error =
        "no display to open a window on (neither DISPLAY nor WAYLAND_DISPLAY is set); "
        "run with --headless";
    return false;
  }
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
    error = std::string("cannot open a display (") + SDL_GetError() + "); run with --headless";
    return false;
  }
  device_width_ = width;
  device_height_ = height;
  window_ = SDL_CreateWindow("Orvane", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, width * zoom,
                             height * zoom, SDL_WINDOW_RESIZABLE);
  if (window_ != nullptr) renderer_ = SDL_CreateRenderer(window_, -1, 0);
  if (renderer_ == nullptr && window_ != nullptr) {
    renderer_ = SDL_CreateRenderer(window_, -1, SDL_RENDERER_SOFTWARE);
  }
  if (renderer_ != nullptr) {
    texture_ = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_RGB565, SDL_TEXTUREACCESS_STREAMING,
                                 width, height);
  }
  if (texture_ == nullptr) {
    error = std::string("cannot open the window (") + SDL_GetError() + "); run with --headless";
    return false;
  }
  return true;
}

Viewport SdlBackend::window_viewport() const {
  int w = 0, h = 0;
  SDL_GetWindowSize(window_, &w, &h);
  return fit_viewport(w, h, device_width_, device_height_);
}

void SdlBackend::handle_window_event(unsigned char event) {
  switch (event) {
    case SDL_WINDOWEVENT_CLOSE: input_close_requested(); break;
    case SDL_WINDOWEVENT_FOCUS_LOST: input_focus_changed(false); break;
    case SDL_WINDOWEVENT_FOCUS_GAINED: input_focus_changed(true); break;
    default: window_needs_redraw_ = true; break;  // exposed, resized, shown ...
  }
}

void SdlBackend::poll_input() {
  SDL_Event event;
  while (SDL_PollEvent(&event)) {
    Point p;
    switch (event.type) {
      case SDL_QUIT: input_close_requested(); break;
      case SDL_WINDOWEVENT: handle_window_event(event.window.event); break;
      case SDL_MOUSEBUTTONDOWN:
        if (event.button.button != SDL_BUTTON_LEFT) break;
        if (!window_to_device(window_viewport(), device_width_, device_height_,
                              {event.button.x, event.button.y}, p)) {
          break;  // on a black bar
        }
        stylus_held_ = true;
        input_stylus_down(p.x, p.y);
        break;
      case SDL_MOUSEBUTTONUP:
        if (event.button.button != SDL_BUTTON_LEFT || !stylus_held_) break;
        window_to_device(window_viewport(), device_width_, device_height_,
                         {event.button.x, event.button.y}, p);
        stylus_held_ = false;
        input_stylus_up(p.x, p.y);
        break;
      case SDL_MOUSEMOTION:
        if (!stylus_held_) break;
        window_to_device(window_viewport(), device_width_, device_height_,
                         {event.motion.x, event.motion.y}, p);
        input_stylus_move(p.x, p.y);
        break;
      case SDL_KEYDOWN:
      case SDL_KEYUP: {
        unsigned key = virtual_key_from_sdl(event.key.keysym.sym);
        if (key == 0) break;
        if (event.type == SDL_KEYDOWN) input_key_down(key);
        if (event.type == SDL_KEYUP) input_key_up(key);
        break;
      }
      default: break;
    }
  }
}

void SdlBackend::present(const Surface& screen, bool changed) {
  if (changed) SDL_UpdateTexture(texture_, nullptr, screen.pixels(), screen.pitch_bytes());
  if (!changed && !window_needs_redraw_) return;
  window_needs_redraw_ = false;
  int w = 0, h = 0;
  SDL_GetRendererOutputSize(renderer_, &w, &h);
  Viewport view = fit_viewport(w, h, device_width_, device_height_);
  SDL_Rect target{view.x, view.y, view.width, view.height};
  SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
  SDL_RenderClear(renderer_);
  SDL_RenderCopy(renderer_, texture_, nullptr, &target);
  SDL_RenderPresent(renderer_);
}

void SdlBackend::idle() { SDL_Delay(1); }

void SdlBackend::set_keyboard_grab(bool grab) {
  SDL_SetWindowKeyboardGrab(window_, grab ? SDL_TRUE : SDL_FALSE);
}

void SdlBackend::feed_button(bool down, int x, int y) {
  Point at = device_to_window(window_viewport(), device_width_, device_height_, {x, y});
  SDL_Event event{};
  event.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
  event.button.windowID = SDL_GetWindowID(window_);
  event.button.button = SDL_BUTTON_LEFT;
  event.button.state = down ? SDL_PRESSED : SDL_RELEASED;
  event.button.clicks = 1;
  event.button.x = at.x;
  event.button.y = at.y;
  SDL_PushEvent(&event);
}

void SdlBackend::feed_key(bool down, unsigned virtual_key) {
  SDL_Keycode key = sdl_key_from_virtual(virtual_key);
  if (key == SDLK_UNKNOWN) {
    // No such key on an SDL keyboard: it goes straight in.
    if (down) input_key_down(virtual_key);
    if (!down) input_key_up(virtual_key);
    return;
  }
  SDL_Event event{};
  event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
  event.key.windowID = SDL_GetWindowID(window_);
  event.key.state = down ? SDL_PRESSED : SDL_RELEASED;
  event.key.keysym.sym = key;
  event.key.keysym.scancode = SDL_GetScancodeFromKey(key);
  SDL_PushEvent(&event);
}

void SdlBackend::feed_stylus_down(int x, int y) { feed_button(true, x, y); }
void SdlBackend::feed_stylus_up(int x, int y) { feed_button(false, x, y); }
void SdlBackend::feed_key_down(unsigned virtual_key) { feed_key(true, virtual_key); }
void SdlBackend::feed_key_up(unsigned virtual_key) { feed_key(false, virtual_key); }
