#include "video/graphics.h"

#include <algorithm>

#include "core/report.h"

void CGraphics::SetSize(int width, int height) {
  screen_width = width;
  screen_height = height;
  clip_x1 = 0;
  clip_y1 = 0;
  clip_x2 = width - 1;
  clip_y2 = height - 1;
}

void CGraphics::SetSteps(int x_step_pixels, int y_step_pixels) {
  x_step = x_step_pixels;
  y_step = y_step_pixels;
}

void CGraphics::SetClip(int x1, int y1, int x2, int y2) {
  auto clamp_to = [](int value, int size) { return std::clamp(value, 0, std::max(size - 1, 0)); };
  clip_x1 = clamp_to(x1, screen_width);
  clip_y1 = clamp_to(y1, screen_height);
  clip_x2 = clamp_to(x2, screen_width);
  clip_y2 = clamp_to(y2, screen_height);
}

std::uint16_t* CGraphics::GetPixelAddress(int x, int y) const {
  ORVANE_CHECK(this->vram, nullptr);
  ORVANE_CHECK(this->screen_width > 0 && this->screen_height > 0, nullptr);
  return vram + static_cast<std::ptrdiff_t>(x) * x_step + static_cast<std::ptrdiff_t>(y) * y_step;
}

// A line drawn past the target's edge would write into whatever memory follows it, so a line is
// cut to the target first; the pixels left are then reached by stepping, not addressed one by one.
void CGraphics::Run(int x, int y, int count, std::ptrdiff_t step, std::uint16_t colour) {
  if (count <= 0) return;
  std::uint16_t* p = GetPixelAddress(x, y);
  if (p == nullptr) return;
  for (int i = 0; i < count; ++i, p += step) *p = colour;
}

void CGraphics::VLine(int x, int y, int count, std::uint16_t colour) {
  if (x < 0 || x >= screen_width) return;
  int first = std::max(y, 0);
  auto end = std::min<std::int64_t>(std::int64_t{y} + count, screen_height);
  Run(x, first, static_cast<int>(end - first), y_step, colour);
}

void CGraphics::HLine(int x, int y, int count, std::uint16_t colour) {
  if (y < 0 || y >= screen_height) return;
  int first = std::max(x, 0);
  auto end = std::min<std::int64_t>(std::int64_t{x} + count, screen_width);
  Run(first, y, static_cast<int>(end - first), x_step, colour);
}

void CGraphics::Rect(int x, int y, int width, int height, std::uint16_t colour) {
  HLine(x, y, width, colour);
  HLine(x, y + height - 1, width, colour);
  VLine(x, y, height, colour);
  VLine(x + width - 1, y, height, colour);
}

void CGraphics::Clear() { *this = CGraphics(); }
