#include "frontend/screen_display.h"

#include <new>

#include "frontend/assertion.h"
#include "platform/window_system.h"

ScreenDisplayDriver g_screen_display_driver;
CDirectDraw g_display;

namespace {

constexpr int SCREEN_BITS_PER_PIXEL = 16;

class ScreenSurface : public DisplaySurface {
 public:
  DisplayResult Lock(SurfaceDescription& description) override {
    ScreenLock lock = lock_screen();
    if (lock.pixels == nullptr) return DD_FAILED;  // the window system was closed meanwhile
    locked_ = true;
    description.pixels = lock.pixels;
    description.width = lock.width;
    description.height = lock.height;
    description.x_pitch = 2;
    description.row_pitch = lock.pitch_bytes;
    description.bits_per_pixel = SCREEN_BITS_PER_PIXEL;
    return DD_OK;
  }

  void Unlock() override {
    if (!locked_) return;
    locked_ = false;
    unlock_screen();
  }

 private:
  bool locked_ = false;
};

class ScreenDevice : public DisplayDevice {
 public:
  DisplayResult SetFullScreen(std::uint32_t window) override {
    return is_window(window) ? DD_OK : DD_FAILED;
  }

  DisplayResult CreatePrimarySurface(DisplaySurface*& surface) override {
    if (!window_system_is_open()) return DD_FAILED;
    surface = new (std::nothrow) ScreenSurface();
    if (surface == nullptr) return DD_FAILED;
    ORVANE_TRACE_ALLOC(surface, "ScreenSurface");
    return DD_OK;
  }

  void ReleasePrimarySurface(DisplaySurface* surface) override {
    if (surface == nullptr) return;
    ORVANE_TRACE_FREE(surface);
    delete surface;
  }
};

}  // namespace

DisplayResult ScreenDisplayDriver::CreateDevice(DisplayDevice*& device) {
  device = new (std::nothrow) ScreenDevice();
  if (device == nullptr) return DD_FAILED;
  ORVANE_TRACE_ALLOC(device, "ScreenDevice");
  return DD_OK;
}

void ScreenDisplayDriver::ReleaseDevice(DisplayDevice* device) {
  if (device == nullptr) return;
  ORVANE_TRACE_FREE(device);
  delete device;
}

void ScreenDisplayDriver::TraceAlloc(const void* address, const char* file, int line,
                                     const char* type) {
  trace_alloc(address, file, line, type);
}

void ScreenDisplayDriver::TraceFree(const void* address, const char* file, int line) {
  trace_free(address, file, line);
}
