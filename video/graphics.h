#pragma once
// A drawing target over any 16-bit pixel memory (a back buffer, or the locked screen while a frame
// is presented): pixels addressed by x and y steps, so a rotated screen is drawn like an upright
// one, and the few line and rectangle primitives the on-screen pad needs.

#include <cstddef>
#include <cstdint>

class CGraphics {
 public:
  CGraphics() = default;
  virtual ~CGraphics() = default;

  void SetVram(std::uint16_t* pixels) { vram = pixels; }
  // Also resets the clip rectangle to the whole target.
  void SetSize(int width, int height);
  void SetSteps(int x_step_pixels, int y_step_pixels);
  // Negative corners become 0; corners at or beyond the size become the last column or row.
  void SetClip(int x1, int y1, int x2, int y2);

  // The pixel at (x, y), or null (reported) without memory or size. Nothing checks that (x, y)
  // lies inside: callers address their own pixels.
  std::uint16_t* GetPixelAddress(int x, int y) const;

  // Lines and outlines; the parts that fall outside the target are left out.
  void VLine(int x, int y, int count, std::uint16_t colour);
  void HLine(int x, int y, int count, std::uint16_t colour);
  void Rect(int x, int y, int width, int height, std::uint16_t colour);

  void Clear();

  std::uint16_t* vram = nullptr;
  int screen_width = 0;
  int screen_height = 0;
  int x_step = 0;
  int y_step = 0;
  int clip_x1 = 0, clip_y1 = 0, clip_x2 = 0, clip_y2 = 0;

 private:
  // `count` pixels from (x, y), all inside the target, `step` pixels of memory apart.
  void Run(int x, int y, int count, std::ptrdiff_t step, std::uint16_t colour);
};
