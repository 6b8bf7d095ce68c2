#pragma once
// The display driver over the window system's device screen: the "full-screen primary surface" is
// the device screen itself, locked through lock_screen, 16-bit 5-6-5 with pixels side by side.
// Heap objects of the display are traced in the front end's allocation log.

#include "video/directdraw.h"

class ScreenDisplayDriver : public DisplayDriver {
 public:
  DisplayResult CreateDevice(DisplayDevice*& device) override;
  void ReleaseDevice(DisplayDevice* device) override;
  void TraceAlloc(const void* address, const char* file, int line, const char* type) override;
  void TraceFree(const void* address, const char* file, int line) override;
};

// The process's display driver and display object.
extern ScreenDisplayDriver g_screen_display_driver;
extern CDirectDraw g_display;
