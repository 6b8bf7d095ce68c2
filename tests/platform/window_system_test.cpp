// The window system's rules: messages, focus and activation, key state, the game screen's hooks.
#include <gtest/gtest.h>

#include "platform/input.h"
#include "platform/keys.h"
#include "platform/menus.h"
#include "platform/messages.h"
#include "platform/styles.h"
#include "tests/platform/desktop_fixture.h"

namespace {

using WindowSystemTest = DesktopTest;

TEST_F(WindowSystemTest, CreationSendsCreateThenSizeAndPlacesDefaultsBetweenTheBars) {
  WindowHandle w = top_level();
  ASSERT_NE(w, NO_WINDOW);
  EXPECT_EQ(messages_to(w),
            (std::vector<unsigned>{msg::CREATE, msg::SIZE, msg::ACTIVATE, msg::SET_FOCUS}));
  EXPECT_EQ(window_rect(w), (Rect{0, 26, 240, 320 - 26}));
  EXPECT_EQ(system_metric(Metric::CAPTION_HEIGHT), 26);
  EXPECT_EQ(system_metric(Metric::MENU_BAR_HEIGHT), 26);
  EXPECT_EQ(main_window(), w);
  EXPECT_EQ(active_window(), w);
}

TEST_F(WindowSystemTest, PostedMessagesArriveInOrderAndSendIsImmediate) {
  WindowHandle w = top_level();
  received.clear();
  ASSERT_TRUE(post_message(w, msg::USER, 1, 0));
  ASSERT_TRUE(post_message(w, msg::USER, 2, 0));
  EXPECT_EQ(send_message(w, msg::GET_TEXT_LENGTH, 0, 0), 3);  // "top"
  Message m;
  ASSERT_TRUE(peek_message(m, false));
  EXPECT_EQ(m.wparam, 1u);  // not removed
  ASSERT_TRUE(peek_message(m, true));
  dispatch_message(m);
  ASSERT_TRUE(peek_message(m, true));
  dispatch_message(m);
  EXPECT_FALSE(peek_message(m, true));
  ASSERT_EQ(received.size(), 3u);
  EXPECT_EQ(received[0].message, msg::GET_TEXT_LENGTH);
  EXPECT_EQ(received[1].wparam, 1u);
  EXPECT_EQ(received[2].wparam, 2u);
}

TEST_F(WindowSystemTest, DeadAndNullHandlesAreRefused) {
  WindowHandle w = top_level();
  ASSERT_TRUE(post_message(w, msg::USER, 0, 0));
  ASSERT_TRUE(destroy_window(w));
  EXPECT_FALSE(post_message(w, msg::USER, 0, 0));
  EXPECT_FALSE(post_message(NO_WINDOW, msg::USER, 0, 0));
  EXPECT_EQ(send_message(NO_WINDOW, msg::SET_TEXT, 0, 0), 0);
  EXPECT_FALSE(destroy_window(w));
  EXPECT_FALSE(move_window(w, 0, 0, 1, 1, true));
  received.clear();
  Message m;
  ASSERT_TRUE(peek_message(m, true));  // queued before the window died
  EXPECT_EQ(dispatch_message(m), 0);
  EXPECT_TRUE(received.empty());
  EXPECT_TRUE(quit_requested());  // it was the main window
}

TEST_F(WindowSystemTest, TranslateTurnsKeysThatTypeIntoCharacters) {
  WindowHandle w = top_level();
  struct Case {
    unsigned key;
    bool shift;
    char16_t expected;  // 0: no character
  } cases[] = {{'A', false, u'a'},       {'A', true, u'A'},
               {'7', false, u'7'},       {'7', true, u'&'},
               {vk::SPACE, false, u' '}, {vk::BACK, false, 8},
               {vk::RETURN, false, 13},  {vk::NUMPAD0 + 5, false, u'5'},
               {vk::MINUS, false, u'-'}, {vk::LEFT, false, 0},
               {vk::F1, false, 0},       {vk::SHIFT, true, 0}};
  Message out;
  for (const Case& c : cases) {
    if (c.shift) input_key_down(vk::SHIFT);
    while (peek_message(out, true)) {
    }
    bool typed = translate_message({w, msg::KEY_DOWN, c.key, 1});
    out = {};
    WParam character = peek_message(out, true) && out.message == msg::CHARACTER ? out.wparam : 0;
    if (c.shift) input_key_up(vk::SHIFT);
    while (peek_message(out, true)) {
    }
    EXPECT_EQ(typed, c.expected != 0) << "key " << c.key;
    EXPECT_EQ(character, static_cast<WParam>(c.expected)) << "key " << c.key;
  }
}

TEST_F(WindowSystemTest, KeysGoToTheFocusAndHoldTheAsynchronousState) {
  WindowHandle w = top_level();
  WindowHandle edit = child(w, u"EDIT", 0, {0, 0, 100, 20}, 7);
  set_focus(edit);
  received.clear();
  EXPECT_EQ(async_key_state('Q'), 0);
  input_key_down('Q');
  EXPECT_LT(async_key_state('Q'), 0);  // top bit set while held
  input_key_up('Q');
  EXPECT_EQ(async_key_state('Q'), 0);
  Message m;
  ASSERT_TRUE(peek_message(m, true));
  EXPECT_EQ(m.window, edit);
  EXPECT_EQ(m.message, msg::KEY_DOWN);
  EXPECT_EQ(m.wparam, static_cast<WParam>('Q'));
  ASSERT_TRUE(peek_message(m, true));
  EXPECT_EQ(m.message, msg::KEY_UP);
  EXPECT_EQ(async_key_state(300), 0);  // out of range: nothing held
}

TEST_F(WindowSystemTest, FocusMovesWithKillAndSetAndActivatesTheTopLevel) {
  WindowHandle first = top_level(u"first");
  WindowHandle second = top_level(u"second");
  WindowHandle button = child(first, u"BUTTON", 0, {0, 0, 50, 20}, 1);
  EXPECT_EQ(active_window(), second);
  received.clear();
  EXPECT_EQ(set_focus(button), second);
  EXPECT_EQ(active_window(), first);
  EXPECT_EQ(focus_window(), button);
  std::vector<unsigned> to_second = messages_to(second);
  EXPECT_EQ(to_second, (std::vector<unsigned>{msg::ACTIVATE, msg::KILL_FOCUS}));
  ASSERT_TRUE(destroy_window(first));
  EXPECT_EQ(focus_window(), second);  // the remaining window took over
  EXPECT_EQ(active_window(), second);
}

TEST_F(WindowSystemTest, LosingTheDisplayFocusReachesTheMainWindowAndReleasesKeys) {
  WindowHandle w = top_level();
  input_key_down('A');
  Message m;
  while (peek_message(m, true)) {
  }
  input_focus_changed(false);
  EXPECT_EQ(async_key_state('A'), 0);
  ASSERT_TRUE(peek_message(m, true));
  EXPECT_EQ(m.window, w);
  EXPECT_EQ(m.message, msg::ACTIVATE);
  EXPECT_EQ(m.wparam, static_cast<WParam>(INACTIVE));
  EXPECT_EQ(m.lparam, 0);  // no window of ours took the activation
  input_close_requested();
  ASSERT_TRUE(peek_message(m, true));
  EXPECT_EQ(m.message, msg::CLOSE);
  dispatch_message(m);  // the default closes
  EXPECT_FALSE(is_window(w));
  EXPECT_TRUE(quit_requested());
}

TEST_F(WindowSystemTest, GameScreenCoversTheWholeScreenAndKeepsDirectPixels) {
  WindowHandle w = top_level();
  MenuHandle menu = create_menu();
  MenuHandle popup = create_popup_menu();
  append_menu_item(popup, 1, u"A");
  append_submenu(menu, popup, u"菜单");
  WindowHandle bar = create_menu_bar(w, menu);
  ASSERT_NE(bar, NO_WINDOW);
  // Entering: no task bar, no menu bar, the window at (0, 0) over the whole screen.
  show_task_bar(false);
  show_window(bar, false);
  move_window(w, 0, 0, system_metric(Metric::SCREEN_WIDTH), system_metric(Metric::SCREEN_HEIGHT),
              true);
  update_screen();
  EXPECT_EQ(screen().at(0, 0), color::WHITE);
  EXPECT_EQ(screen().at(239, 319), color::WHITE);
  EXPECT_FALSE(press_soft_key(0, true));  // no bar on screen: F1 is an ordinary key
  ScreenLock lock = lock_screen();
  ASSERT_NE(lock.pixels, nullptr);
  EXPECT_EQ(lock.pitch_bytes, 480);
  lock.pixels[5 * 240 + 7] = 0x1234;
  unlock_screen();
  int presented = backend.frames_presented();
  pump_cycle();
  EXPECT_EQ(screen().at(7, 5), 0x1234);  // nothing was redrawn over it
  EXPECT_EQ(backend.frames_presented(), presented + 1);
  // Leaving: the bars come back.
  show_task_bar(true);
  show_window(bar, true);
  update_screen();
  EXPECT_EQ(screen().at(0, 0), color::BAR);
  EXPECT_EQ(screen().at(0, 319), color::BAR);
}

TEST_F(WindowSystemTest, BadScreenSizesAndASecondOpenAreRefused) {
  HeadlessBackend other;
  EXPECT_FALSE(open_window_system(other, 240, 320));  // already open
  close_window_system();
  EXPECT_FALSE(open_window_system(other, 100, 320));
  EXPECT_FALSE(open_window_system(other, 240, 4096));
  EXPECT_TRUE(open_window_system(other, 480, 640));
  EXPECT_EQ(system_metric(Metric::SCREEN_WIDTH), 480);
}

TEST_F(WindowSystemTest, OverlongTextsAreCutAndUnknownClassesRefused) {
  WindowHandle w = top_level();
  std::u16string long_text(MAX_WINDOW_TEXT + 50, u'x');
  send_message(w, msg::SET_TEXT, 0, reinterpret_cast<LParam>(long_text.c_str()));
  EXPECT_EQ(window_text(w).size(), MAX_WINDOW_TEXT);
  char16_t small[4];
  EXPECT_EQ(send_message(w, msg::GET_TEXT, 4, reinterpret_cast<LParam>(small)), 3);
  EXPECT_EQ(std::u16string(small), u"xxx");
  EXPECT_EQ(
      create_window({u"NoSuchClass", u"", style::VISIBLE, 0, 0, 0, 10, 10, NO_WINDOW, 0, nullptr}),
      NO_WINDOW);
  EXPECT_EQ(create_window({u"BUTTON", u"", style::CHILD, 0, 0, 0, 10, 10, NO_WINDOW, 0, nullptr}),
            NO_WINDOW);  // a child needs a parent
  EXPECT_FALSE(register_window_class({u"recording", recording_procedure}));  // case-blind names
}

}  // namespace
