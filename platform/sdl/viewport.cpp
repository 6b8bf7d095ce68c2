#include "platform/sdl/viewport.h"

#include <algorithm>

Viewport fit_viewport(int window_width, int window_height, int device_width, int device_height) {
  if (window_width <= 0 || window_height <= 0 || device_width <= 0 || device_height <= 0) return {};
  int zoom = std::min(window_width / device_width, window_height / device_height);
  int width = device_width * zoom;
  int height = device_height * zoom;
  if (zoom == 0) {
    // Smaller than the screen itself: keep the shape.
    bool width_limits = static_cast<long long>(window_width) * device_height <=
                        static_cast<long long>(window_height) * device_width;
    width = width_limits ? window_width : window_height * device_width / device_height;
    height = width_limits ? window_width * device_height / device_width : window_height;
  }
  return {(window_width - width) / 2, (window_height - height) / 2, width, height};
}

bool window_to_device(const Viewport& view, int device_width, int device_height, Point window,
                      Point& device) {
  if (view.width <= 0 || view.height <= 0) return false;
  long long dx = static_cast<long long>(window.x - view.x) * device_width;
  long long dy = static_cast<long long>(window.y - view.y) * device_height;
  // Floor division, so that points left of or above the screen stay outside it.
  auto floor_div = [](long long a, long long b) { return a >= 0 ? a / b : -((-a + b - 1) / b); };
  int x = static_cast<int>(floor_div(dx, view.width));
  int y = static_cast<int>(floor_div(dy, view.height));
  bool inside = x >= 0 && y >= 0 && x < device_width && y < device_height;
  device = {std::clamp(x, 0, device_width - 1), std::clamp(y, 0, device_height - 1)};
  return inside;
}

Point device_to_window(const Viewport& view, int device_width, int device_height, Point device) {
  if (device_width <= 0 || device_height <= 0) return {};
  return {view.x + static_cast<int>((2LL * device.x + 1) * view.width / (2LL * device_width)),
          view.y + static_cast<int>((2LL * device.y + 1) * view.height / (2LL * device_height))};
}
