#include "tests/platform/desktop_fixture.h"

#include "frontend/assertion.h"
#include "frontend/wnd.h"
#include "frontend/wndmap.h"
#include "platform/styles.h"

std::vector<Received> received;
std::string reports;

namespace {

void keep_report(const char* text) { reports += text; }

}  // namespace

LResult recording_procedure(WindowHandle window, unsigned message, WParam wparam, LParam lparam) {
  received.push_back({window, message, wparam, lparam});
  return default_window_procedure(window, message, wparam, lparam);
}

void DesktopTest::SetUp() {
  received.clear();
  reports.clear();
  set_assertion_sink(keep_report);
  ASSERT_TRUE(open_window_system(backend, 240, 320));
  ASSERT_TRUE(register_window_class({RECORDING_CLASS, recording_procedure, color::WHITE}));
  ASSERT_EQ(CWnd::RegisterWndClass(), 1);
  wnd_map.Clear();
}

void DesktopTest::TearDown() {
  close_window_system();
  wnd_map.Clear();
  set_assertion_sink(nullptr);
}

WindowHandle DesktopTest::top_level(std::u16string_view title, bool visible) {
  return create_window({RECORDING_CLASS, title, visible ? style::VISIBLE : 0u, 0, USE_DEFAULT,
                        USE_DEFAULT, USE_DEFAULT, USE_DEFAULT, NO_WINDOW, 0, nullptr});
}

WindowHandle DesktopTest::child(WindowHandle parent, std::u16string_view window_class,
                                std::uint32_t style, Rect rect, unsigned number,
                                std::u16string_view text) {
  return create_window({window_class, text, style | style::CHILD | style::VISIBLE, 0, rect.left,
                        rect.top, rect.width(), rect.height(), parent, number, nullptr});
}

std::vector<unsigned> DesktopTest::messages_to(WindowHandle window) const {
  std::vector<unsigned> list;
  for (const Received& r : received) {
    if (r.window == window) list.push_back(r.message);
  }
  return list;
}
