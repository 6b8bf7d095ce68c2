#pragma once
// Where the device screen lies in the display window: the largest whole zoom that fits, centred
// with black bars; a window smaller than the screen gets the largest fitting fraction instead.

#include "platform/types.h"

struct Viewport {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
};

Viewport fit_viewport(int window_width, int window_height, int device_width, int device_height);
// A window point to device pixels; false when it lies on a bar outside the screen (`device` is
// then clamped to the nearest pixel).
bool window_to_device(const Viewport& view, int device_width, int device_height, Point window,
                      Point& device);
// The window point at the centre of a device pixel.
Point device_to_window(const Viewport& view, int device_width, int device_height, Point device);
