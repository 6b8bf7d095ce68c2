// The display window's mapping: integer zoom with black bars, window points to device pixels and
// back, and SDL keys to virtual-key codes.
#include <gtest/gtest.h>

#include "platform/keys.h"
#include "platform/sdl/sdl_keys.h"
#include "platform/sdl/viewport.h"

namespace {

TEST(ViewportTest, TheLargestWholeZoomIsCentred) {
  const struct {
    int window_w, window_h, device_w, device_h;
    Viewport expected;
  } cases[] = {
      {480, 640, 240, 320, {0, 0, 480, 640}},     // zoom 2 exactly
      {800, 700, 240, 320, {160, 30, 480, 640}},  // still 2, bars on all sides
      {1000, 1000, 320, 240, {20, 140, 960, 720}},
      {200, 320, 240, 320, {0, 27, 200, 266}},  // smaller than the screen: a fraction, same shape
      {0, 100, 240, 320, {0, 0, 0, 0}},
  };
  for (const auto& c : cases) {
    Viewport v = fit_viewport(c.window_w, c.window_h, c.device_w, c.device_h);
    EXPECT_EQ(v.x, c.expected.x) << c.window_w << "x" << c.window_h;
    EXPECT_EQ(v.y, c.expected.y) << c.window_w << "x" << c.window_h;
    EXPECT_EQ(v.width, c.expected.width) << c.window_w << "x" << c.window_h;
    EXPECT_EQ(v.height, c.expected.height) << c.window_w << "x" << c.window_h;
  }
}

TEST(ViewportTest, WindowPointsMapToDevicePixelsAndBack) {
  Viewport v{160, 30, 480, 640};  // zoom 2 in an 800 x 700 window
  const struct {
    Point window;
    bool inside;
    Point device;
  } cases[] = {
      {{160, 30}, true, {0, 0}},      {{161, 31}, true, {0, 0}},  {{162, 30}, true, {1, 0}},
      {{639, 669}, true, {239, 319}}, {{159, 30}, false, {0, 0}}, {{640, 100}, false, {239, 35}},
      {{10, 10}, false, {0, 0}},
  };
  for (const auto& c : cases) {
    Point device;
    EXPECT_EQ(window_to_device(v, 240, 320, c.window, device), c.inside) << c.window.x;
    EXPECT_EQ(device.x, c.device.x) << c.window.x;
    EXPECT_EQ(device.y, c.device.y) << c.window.x;
  }
  for (Point p : {Point{0, 0}, Point{17, 200}, Point{239, 319}}) {
    Point device;
    ASSERT_TRUE(window_to_device(v, 240, 320, device_to_window(v, 240, 320, p), device));
    EXPECT_EQ(device.x, p.x);
    EXPECT_EQ(device.y, p.y);
  }
}

TEST(SdlKeysTest, KeysMapToVirtualKeyCodesAndBack) {
  const struct {
    SDL_Keycode sdl;
    unsigned virtual_key;
  } cases[] = {
      {SDLK_a, 'A'},          {SDLK_z, 'Z'},      {SDLK_0, '0'},       {SDLK_9, '9'},
      {SDLK_BACKSPACE, 0x08}, {SDLK_TAB, 0x09},   {SDLK_RETURN, 0x0D}, {SDLK_LSHIFT, 0x10},
      {SDLK_LCTRL, 0x11},     {SDLK_SPACE, 0x20}, {SDLK_LEFT, 0x25},   {SDLK_UP, 0x26},
      {SDLK_RIGHT, 0x27},     {SDLK_DOWN, 0x28},  {SDLK_F1, 0x70},     {SDLK_F12, 0x7B},
      {SDLK_ESCAPE, 0x1B},    {SDLK_KP_5, 0x65},  {SDLK_DELETE, 0x2E}, {SDLK_PAGEUP, 0x21},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(virtual_key_from_sdl(c.sdl), c.virtual_key) << c.sdl;
    EXPECT_EQ(virtual_key_from_sdl(sdl_key_from_virtual(c.virtual_key)), c.virtual_key);
  }
  EXPECT_EQ(virtual_key_from_sdl(SDLK_F13), 0u);
  EXPECT_EQ(sdl_key_from_virtual(0xFF), SDLK_UNKNOWN);
}

}  // namespace
