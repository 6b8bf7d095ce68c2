#pragma once
// The display surface: a full-screen 16-bit 5-6-5 surface of the device screen that presentation
// locks once per frame for direct pixel access, and a back buffer of the screen's size. The screen
// itself is reached through DisplayDriver, which the front end implements over its window system:
// video/ knows nothing of windows.

#include <cstdint>

#include "video/graphics.h"

// The results of the display interface's operations.
enum DisplayResult : int { DD_OK = 0, DD_FAILED = 1 };

// What a lock gives: the first pixel and the surface's geometry. Pitches are in bytes.
struct SurfaceDescription {
  std::uint16_t* pixels = nullptr;
  int width = 0;
  int height = 0;
  int x_pitch = 0;
  int row_pitch = 0;
  int bits_per_pixel = 0;
};

class DisplaySurface {
 public:
  virtual ~DisplaySurface() = default;
  virtual DisplayResult Lock(SurfaceDescription& description) = 0;
  // Harmless when not locked.
  virtual void Unlock() = 0;
};

// One display opened for one window.
class DisplayDevice {
 public:
  virtual ~DisplayDevice() = default;
  virtual DisplayResult SetFullScreen(std::uint32_t window) = 0;
  // The surface stays owned by the device until ReleasePrimarySurface.
  virtual DisplayResult CreatePrimarySurface(DisplaySurface*& surface) = 0;
  virtual void ReleasePrimarySurface(DisplaySurface* surface) = 0;
};

// Opens display devices; one per process, installed at start-up.
class DisplayDriver {
 public:
  virtual ~DisplayDriver() = default;
  virtual DisplayResult CreateDevice(DisplayDevice*& device) = 0;
  virtual void ReleaseDevice(DisplayDevice* device) = 0;
  // The allocation trace of the display's heap objects (the front end's log); silent by default.
  virtual void TraceAlloc(const void*, const char*, int, const char*) {}
  virtual void TraceFree(const void*, const char*, int) {}
};

class CDirectDraw {
 public:
  CDirectDraw() = default;
  ~CDirectDraw();
  CDirectDraw(const CDirectDraw&) = delete;
  CDirectDraw& operator=(const CDirectDraw&) = delete;

  // The driver stands for the display library: installed once, removed at exit.
  static int LoadLibrary(DisplayDriver* driver);
  static void FreeLibrary();

  int Init();
  // Opens the full-screen surface for `hwnd` and a back buffer of its size. On failure what was
  // obtained so far stays, for Release to undo.
  int Create(std::uint32_t hwnd);
  void Release();
  void Destroy();

  // Locks the primary surface for a frame.
  DisplayResult Lock(SurfaceDescription& description);
  void Unlock();

  void ClearBackBuffer();
  int ShowBackBuffer();
  int Width() const { return width; }
  int Height() const { return height; }
  bool HasBackBuffer() const { return back_buffer != nullptr; }

  CGraphics* graph = nullptr;
  DisplayDevice* m_pdd = nullptr;
  DisplaySurface* primary = nullptr;
  int width = 0;
  int height = 0;
  int x_pitch = 0;    // bytes
  int row_pitch = 0;  // bytes
  int bits_per_pixel = 0;
  std::uint16_t* back_buffer = nullptr;
  std::uint16_t* surface_pixels = nullptr;  // as seen when the surface was created
  int back_buffer_bytes = 0;

  static DisplayDriver* m_hDD;

 private:
  void ClearMembers();
};
