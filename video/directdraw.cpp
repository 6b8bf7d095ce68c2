#include "video/directdraw.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <new>

#include "core/report.h"

DisplayDriver* CDirectDraw::m_hDD = nullptr;

namespace {

constexpr int BITS_PER_PIXEL = 16;

}  // namespace

CDirectDraw::~CDirectDraw() { Destroy(); }

int CDirectDraw::LoadLibrary(DisplayDriver* driver) {
  ORVANE_CHECK(CDirectDraw::m_hDD == NULL, 0);
  m_hDD = driver;
  ORVANE_CHECK(CDirectDraw::m_hDD, 0);
  return 1;
}

void CDirectDraw::FreeLibrary() { m_hDD = nullptr; }

void CDirectDraw::ClearMembers() {
  graph = nullptr;
  m_pdd = nullptr;
  primary = nullptr;
  width = height = x_pitch = row_pitch = bits_per_pixel = 0;
  back_buffer = nullptr;
  surface_pixels = nullptr;
  back_buffer_bytes = 0;
}

int CDirectDraw::Init() {
  Destroy();
  this->graph = new (std::nothrow) CGraphics();
  ORVANE_CHECK(this->graph, 0);
  if (m_hDD != nullptr) m_hDD->TraceAlloc(graph, __FILE__, __LINE__, "CGraphics");
  return 1;
}

int CDirectDraw::Create(std::uint32_t hwnd) {
  ORVANE_CHECK(hwnd, 0);
  ORVANE_CHECK(this->m_pdd == NULL, 0);
  ORVANE_CHECK(CDirectDraw::m_hDD, 0);
  DisplayResult hr = m_hDD->CreateDevice(m_pdd);
  ORVANE_CHECK(hr == DD_OK, 0);
  hr = m_pdd->SetFullScreen(hwnd);
  ORVANE_CHECK(hr == DD_OK, 0);
  hr = m_pdd->CreatePrimarySurface(primary);
  ORVANE_CHECK(hr == DD_OK, 0);
  SurfaceDescription description;
  hr = primary->Lock(description);
  ORVANE_CHECK(hr == DD_OK, 0);
  width = static_cast<std::uint16_t>(description.width);
  height = static_cast<std::uint16_t>(description.height);
  row_pitch = description.row_pitch;
  x_pitch = description.x_pitch;
  bits_per_pixel = description.bits_per_pixel;
  surface_pixels = description.pixels;
  // The whole video path writes 5-6-5 pixels: any other depth would show garbage.
  if (bits_per_pixel != BITS_PER_PIXEL) primary->Unlock();
  ORVANE_CHECK(this->bits_per_pixel == 16, 0);
  back_buffer_bytes = width * height * 2;
  this->back_buffer = new (std::nothrow) std::uint16_t[static_cast<std::size_t>(width) * height]();
  if (this->back_buffer == nullptr) primary->Unlock();
  ORVANE_CHECK(this->back_buffer, 0);
  m_hDD->TraceAlloc(back_buffer, __FILE__, __LINE__, "pixel_type");
  if (graph != nullptr) {
    graph->SetVram(back_buffer);
    graph->SetSize(width, height);
    graph->SetSteps(1, width);
  }
  primary->Unlock();
  return 1;
}

void CDirectDraw::Release() {
  if (back_buffer != nullptr) {
    if (m_hDD != nullptr) m_hDD->TraceFree(back_buffer, __FILE__, __LINE__);
    delete[] back_buffer;
    back_buffer = nullptr;
  }
  back_buffer_bytes = 0;
  if (graph != nullptr) graph->Clear();
  if (primary != nullptr) {
    primary->Unlock();
    if (m_pdd != nullptr) m_pdd->ReleasePrimarySurface(primary);
    primary = nullptr;
  }
  if (m_pdd != nullptr) {
    if (m_hDD != nullptr) m_hDD->ReleaseDevice(m_pdd);
    m_pdd = nullptr;
  }
  surface_pixels = nullptr;
}

void CDirectDraw::Destroy() {
  Release();
  if (graph != nullptr) {
    if (m_hDD != nullptr) m_hDD->TraceFree(graph, __FILE__, __LINE__);
    delete graph;
  }
  ClearMembers();
}

DisplayResult CDirectDraw::Lock(SurfaceDescription& description) {
  if (primary == nullptr) return DD_FAILED;
  return primary->Lock(description);
}

void CDirectDraw::Unlock() {
  if (primary != nullptr) primary->Unlock();
}

void CDirectDraw::ClearBackBuffer() {
  if (back_buffer != nullptr)
    std::memset(back_buffer, 0, static_cast<std::size_t>(back_buffer_bytes));
}

int CDirectDraw::ShowBackBuffer() {
  SurfaceDescription description;
  DisplayResult hr = Lock(description);
  ORVANE_CHECK(hr == DD_OK, 0);
  if (back_buffer == nullptr || description.pixels == nullptr) {
    Unlock();
    return 0;
  }
  // The surface may have changed size since the back buffer was made: copy what both hold.
  int w = std::min(width, description.width), h = std::min(height, description.height);
  if (description.x_pitch == 2 && description.row_pitch == width * 2 && w == width && h == height) {
    std::memcpy(description.pixels, back_buffer, static_cast<std::size_t>(back_buffer_bytes));
  } else {
    int xp = (description.x_pitch & ~1) / 2, yp = (description.row_pitch & ~1) / 2;
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x) {
        description
            .pixels[static_cast<std::ptrdiff_t>(y) * yp + static_cast<std::ptrdiff_t>(x) * xp] =
            back_buffer[static_cast<std::size_t>(y) * width + x];
      }
    }
  }
  Unlock();
  return 1;
}
