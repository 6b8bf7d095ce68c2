#pragma once
// A headless window system of 240 x 320 for one test, with a recording window class and the
// framework's class registered.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/headless/headless_backend.h"
#include "platform/window_system.h"

// Every message the recording class's windows receive, in order.
struct Received {
  WindowHandle window;
  unsigned message;
  WParam wparam;
  LParam lparam;
};
extern std::vector<Received> received;
LResult recording_procedure(WindowHandle window, unsigned message, WParam wparam, LParam lparam);
constexpr char16_t RECORDING_CLASS[] = u"Recording";

// Assertion reports collected while a test runs.
extern std::string reports;

class DesktopTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  WindowHandle top_level(std::u16string_view title = u"top", bool visible = true);
  WindowHandle child(WindowHandle parent, std::u16string_view window_class, std::uint32_t style,
                     Rect rect, unsigned number, std::u16string_view text = u"");
  std::vector<unsigned> messages_to(WindowHandle window) const;

  HeadlessBackend backend;
};
