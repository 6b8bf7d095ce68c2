// Menus on the bar: soft keys, keyboard walk through popups and submenus, stylus choice.
#include <gtest/gtest.h>

#include "platform/desktop.h"
#include "platform/input.h"
#include "platform/keys.h"
#include "platform/menus.h"
#include "platform/messages.h"
#include "tests/platform/desktop_fixture.h"

namespace {

constexpr unsigned ENTRY_A = 11, ENTRY_B = 12, SUB_1 = 21, SUB_2 = 22, RIGHT_ENTRY = 31;

class MenuTest : public DesktopTest {
 protected:
  void SetUp() override {
    DesktopTest::SetUp();
    owner = top_level();
    MenuHandle bar_menu = create_menu();
    left = create_popup_menu();
    sub = create_popup_menu();
    append_menu_item(sub, SUB_1, u"S1");
    append_menu_item(sub, SUB_2, u"S2");
    append_menu_item(left, ENTRY_A, u"A");
    append_menu_separator(left);
    append_submenu(left, sub, u"Sub");
    append_menu_separator(left);
    append_menu_item(left, ENTRY_B, u"B");
    append_submenu(bar_menu, left, u"菜单");
    append_menu_item(bar_menu, RIGHT_ENTRY, u"确定");
    ASSERT_NE(create_menu_bar(owner, bar_menu), NO_WINDOW);
    drain();
  }

  void drain() {
    Message m;
    while (peek_message(m, true)) {
    }
  }

  // The commands the menus posted, as (window, number, notification).
  std::vector<WParam> commands() {
    std::vector<WParam> numbers;
    Message m;
    while (peek_message(m, true)) {
      if (m.message == msg::COMMAND && m.window == owner) numbers.push_back(m.wparam);
    }
    return numbers;
  }

  int lit() const { return desktop()->popups.back().highlighted; }
  Point centre_of_entry(int level, int index) const {
    Rect r = popup_entry_rect(*desktop(), desktop()->popups[level], index);
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  }

  WindowHandle owner = NO_WINDOW;
  MenuHandle left = NO_MENU, sub = NO_MENU;
};

TEST_F(MenuTest, KeysWalkThePopupSkippingSeparators) {
  input_key_down(vk::F1);
  ASSERT_TRUE(menu_is_open());
  EXPECT_EQ(desktop()->popups.back().menu, left);
  EXPECT_EQ(lit(), 0);  // opened by a key: the first entry is lit
  const struct {
    unsigned key;
    int expected;
  } walk[] = {{vk::DOWN, 2}, {vk::DOWN, 4}, {vk::DOWN, 0}, {vk::UP, 4}, {vk::UP, 2}};
  for (const auto& step : walk) {
    input_key_down(step.key);
    input_key_up(step.key);
    EXPECT_EQ(lit(), step.expected) << "after key " << step.key;
  }
  input_key_up(vk::F1);
  Message m;
  EXPECT_FALSE(peek_message(m, false));  // the window saw none of these keys
}

TEST_F(MenuTest, RightOpensASubmenuAndReturnChoosesItsEntry) {
  for (unsigned key : {vk::F1, vk::DOWN, vk::RIGHT}) input_key_down(key);
  ASSERT_EQ(desktop()->popups.size(), 2u);
  EXPECT_EQ(desktop()->popups.back().menu, sub);
  EXPECT_EQ(lit(), 0);
  input_key_down(vk::DOWN);
  input_key_down(vk::RETURN);
  EXPECT_FALSE(menu_is_open());
  EXPECT_EQ(commands(), (std::vector<WParam>{make_command_param(SUB_2, 0)}));
}

TEST_F(MenuTest, LeftAndEscapeCloseOneLevelEach) {
  for (unsigned key : {vk::F1, vk::DOWN, vk::RIGHT}) input_key_down(key);
  input_key_down(vk::LEFT);
  ASSERT_EQ(desktop()->popups.size(), 1u);
  EXPECT_EQ(lit(), 2);  // back on the submenu's entry
  input_key_down(vk::ESCAPE);
  EXPECT_FALSE(menu_is_open());
  EXPECT_TRUE(commands().empty());
}

TEST_F(MenuTest, StylusOpensTheSoftKeyAndChoosesAnEntry) {
  input_stylus_down(10, 310);  // the left soft key
  input_stylus_up(10, 310);
  ASSERT_TRUE(menu_is_open());
  EXPECT_EQ(lit(), -1);  // opened by the stylus: nothing lit
  Point b = centre_of_entry(0, 4);
  input_stylus_down(b.x, b.y);
  input_stylus_up(b.x, b.y);
  EXPECT_FALSE(menu_is_open());
  EXPECT_EQ(commands(), (std::vector<WParam>{make_command_param(ENTRY_B, 0)}));
}

TEST_F(MenuTest, StylusOnASubmenuEntryOpensItsPopup) {
  press_soft_key(0, false);
  Point s = centre_of_entry(0, 2);
  input_stylus_down(s.x, s.y);
  input_stylus_up(s.x, s.y);
  ASSERT_EQ(desktop()->popups.size(), 2u);
  Point s1 = centre_of_entry(1, 0);
  input_stylus_down(s1.x, s1.y);
  input_stylus_up(s1.x, s1.y);
  EXPECT_EQ(commands(), (std::vector<WParam>{make_command_param(SUB_1, 0)}));
}

TEST_F(MenuTest, ATapOutsideClosesTheMenusAndGoesNoFurther) {
  press_soft_key(0, true);
  input_stylus_down(200, 100);
  input_stylus_up(200, 100);
  EXPECT_FALSE(menu_is_open());
  Message m;
  EXPECT_FALSE(peek_message(m, false));
}

TEST_F(MenuTest, APlainSoftKeyEntryPostsItsCommandAndASecondPressCloses) {
  input_key_down(vk::F2);
  EXPECT_EQ(commands(), (std::vector<WParam>{make_command_param(RIGHT_ENTRY, 0)}));
  EXPECT_TRUE(press_soft_key(0, true));
  EXPECT_TRUE(press_soft_key(0, true));
  EXPECT_FALSE(menu_is_open());
}

TEST_F(MenuTest, APopupWithoutEntriesIsRefused) {
  WindowHandle other = top_level(u"other");
  MenuHandle bar_menu = create_menu();
  MenuHandle empty = create_popup_menu();
  append_menu_separator(empty);
  append_submenu(bar_menu, empty, u"菜单");
  ASSERT_NE(create_menu_bar(other, bar_menu), NO_WINDOW);
  EXPECT_EQ(create_menu_bar(other, bar_menu), NO_WINDOW);  // one bar per window
  EXPECT_FALSE(press_soft_key(0, true));
  EXPECT_FALSE(menu_is_open());
  EXPECT_FALSE(append_submenu(bar_menu, 9999, u"x"));
  EXPECT_FALSE(append_menu_item(9999, 1, u"x"));
  EXPECT_TRUE(destroy_menu(empty));
  EXPECT_FALSE(destroy_menu(empty));
}

TEST_F(MenuTest, PopupsOpenUpwardFromTheBarAndStayOnScreen) {
  press_soft_key(0, true);
  const OpenPopup& popup = desktop()->popups.back();
  EXPECT_EQ(popup.rect.bottom, 320 - 26);
  EXPECT_EQ(popup.rect.left, 0);
  input_key_down(vk::DOWN);
  input_key_down(vk::RIGHT);
  const OpenPopup& submenu = desktop()->popups.back();
  EXPECT_GE(submenu.rect.top, 0);
  EXPECT_LE(submenu.rect.right, 240);
  EXPECT_LE(submenu.rect.bottom, 320 - 26);
}

}  // namespace
