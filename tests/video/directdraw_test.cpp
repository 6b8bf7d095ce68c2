// The display surface over a scripted display: geometry taken from the lock, the back buffer and
// its drawing target, each failure's report, and a release that undoes any partial state.

#include "video/directdraw.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/report.h"

namespace {

std::string reports;
void collect(const char* text) { reports += text; }

// A display whose every step can be made to fail; it counts what is still held.
struct FakeDisplay : DisplayDriver, DisplayDevice, DisplaySurface {
  enum Step { NONE, CREATE_DEVICE, FULL_SCREEN, CREATE_SURFACE, LOCK };
  Step failing = NONE;
  int devices = 0, surfaces = 0, locks = 0;
  int bits = 16;
  int x_pitch = 2;
  int row_pitch = 8 * 2;
  std::vector<std::uint16_t> memory = std::vector<std::uint16_t>(16 * 6, 0);

  DisplayResult CreateDevice(DisplayDevice*& device) override {
    if (failing == CREATE_DEVICE) return DD_FAILED;
    ++devices;
    device = this;
    return DD_OK;
  }
  void ReleaseDevice(DisplayDevice*) override { --devices; }
  DisplayResult SetFullScreen(std::uint32_t) override {
    return failing == FULL_SCREEN ? DD_FAILED : DD_OK;
  }
  DisplayResult CreatePrimarySurface(DisplaySurface*& surface) override {
    if (failing == CREATE_SURFACE) return DD_FAILED;
    ++surfaces;
    surface = this;
    return DD_OK;
  }
  void ReleasePrimarySurface(DisplaySurface*) override { --surfaces; }
  DisplayResult Lock(SurfaceDescription& d) override {
    if (failing == LOCK) return DD_FAILED;
    ++locks;
    d = {memory.data(), 8, 6, x_pitch, row_pitch, bits};
    return DD_OK;
  }
  void Unlock() override {
    if (locks > 0) --locks;
  }
};

class DirectDrawTest : public ::testing::Test {
 protected:
  void SetUp() override {
    reports.clear();
    set_assertion_sink(collect);
    ASSERT_EQ(CDirectDraw::LoadLibrary(&display), 1);
    ASSERT_EQ(dd.Init(), 1);
  }
  void TearDown() override {
    dd.Destroy();
    CDirectDraw::FreeLibrary();
    set_assertion_sink(nullptr);
  }
  FakeDisplay display;
  CDirectDraw dd;
};

TEST_F(DirectDrawTest, CreateRecordsTheLockedGeometryAndPointsTheTargetAtTheBackBuffer) {
  ASSERT_EQ(dd.Create(7), 1);
  EXPECT_EQ(dd.Width(), 8);
  EXPECT_EQ(dd.Height(), 6);
  EXPECT_EQ(dd.x_pitch, 2);
  EXPECT_EQ(dd.row_pitch, 16);
  EXPECT_EQ(dd.surface_pixels, display.memory.data());
  EXPECT_EQ(dd.back_buffer_bytes, 8 * 6 * 2);
  ASSERT_TRUE(dd.HasBackBuffer());
  EXPECT_EQ(dd.graph->vram, dd.back_buffer);
  EXPECT_EQ(dd.graph->x_step, 1);
  EXPECT_EQ(dd.graph->y_step, 8);
  EXPECT_EQ(display.locks, 0);  // unlocked again
  // A second create on the same object is refused.
  EXPECT_EQ(dd.Create(7), 0);
  EXPECT_NE(reports.find("\"this->m_pdd == NULL\""), std::string::npos);
  dd.Release();
  EXPECT_EQ(display.devices, 0);
  EXPECT_EQ(display.surfaces, 0);
  EXPECT_FALSE(dd.HasBackBuffer());
  EXPECT_EQ(dd.graph->vram, nullptr);
}

// Each failing step reports its text; what was obtained before it is undone by Release.
TEST_F(DirectDrawTest, EveryFailureReportsAndReleaseUndoesWhatWasMade) {
  const struct {
    FakeDisplay::Step step;
    std::uint32_t window;
    int bits;
    const char* text;
  } cases[] = {
      {FakeDisplay::NONE, 0, 16, "\"hwnd\""},
      {FakeDisplay::CREATE_DEVICE, 7, 16, "\"hr == DD_OK\""},
      {FakeDisplay::FULL_SCREEN, 7, 16, "\"hr == DD_OK\""},
      {FakeDisplay::CREATE_SURFACE, 7, 16, "\"hr == DD_OK\""},
      {FakeDisplay::LOCK, 7, 16, "\"hr == DD_OK\""},
      {FakeDisplay::NONE, 7, 32, "\"this->bits_per_pixel == 16\""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    reports.clear();
    display.failing = c.step;
    display.bits = c.bits;
    EXPECT_EQ(dd.Create(c.window), 0);
    EXPECT_NE(reports.find(c.text), std::string::npos) << reports;
    EXPECT_NE(reports.find("directdraw"), std::string::npos);
    dd.Release();
    EXPECT_EQ(display.devices, 0);
    EXPECT_EQ(display.surfaces, 0);
    EXPECT_EQ(display.locks, 0);
  }
}

TEST_F(DirectDrawTest, LibraryLoadsOnceAndCreateNeedsIt) {
  EXPECT_EQ(CDirectDraw::LoadLibrary(&display), 0);
  EXPECT_NE(reports.find("\"CDirectDraw::m_hDD == NULL\""), std::string::npos);
  CDirectDraw::FreeLibrary();
  reports.clear();
  EXPECT_EQ(dd.Create(7), 0);
  EXPECT_NE(reports.find("\"CDirectDraw::m_hDD\""), std::string::npos);
  EXPECT_EQ(CDirectDraw::LoadLibrary(nullptr), 0);
  ASSERT_EQ(CDirectDraw::LoadLibrary(&display), 1);
}

// A surface with gaps between pixels and rows gets the back buffer pixel by pixel.
TEST_F(DirectDrawTest, ShowBackBufferFollowsThePitches) {
  ASSERT_EQ(dd.Create(7), 1);
  for (int i = 0; i < 8 * 6; ++i) dd.back_buffer[i] = static_cast<std::uint16_t>(i + 1);
  ASSERT_EQ(dd.ShowBackBuffer(), 1);
  EXPECT_EQ(display.memory[0], 1);
  EXPECT_EQ(display.memory[8 * 6 - 1], 8 * 6);
  display.memory.assign(display.memory.size(), 0);
  display.x_pitch = 4;  // a gap after every pixel, rows of 16 pixels' room
  display.row_pitch = 32;
  ASSERT_EQ(dd.ShowBackBuffer(), 1);
  EXPECT_EQ(display.memory[2], 2);             // (1, 0)
  EXPECT_EQ(display.memory[1], 0);             // between two pixels
  EXPECT_EQ(display.memory[16 + 2], 10);       // (1, 1)
  EXPECT_EQ(display.memory[5 * 16 + 14], 48);  // (7, 5)
  dd.ClearBackBuffer();
  EXPECT_EQ(dd.back_buffer[5], 0);
  display.failing = FakeDisplay::LOCK;
  reports.clear();
  EXPECT_EQ(dd.ShowBackBuffer(), 0);
  EXPECT_NE(reports.find("\"hr == DD_OK\""), std::string::npos);
}

}  // namespace
