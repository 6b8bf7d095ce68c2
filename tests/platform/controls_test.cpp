// The controls we draw: what taps and keys do to them and what their parent is told.
#include <gtest/gtest.h>

#include "platform/input.h"
#include "platform/keys.h"
#include "platform/messages.h"
#include "platform/styles.h"
#include "tests/platform/desktop_fixture.h"

namespace {

class ControlsTest : public DesktopTest {
 protected:
  void SetUp() override {
    DesktopTest::SetUp();
    dialog = top_level();
    received.clear();
  }

  // The client area starts below the task bar.
  void tap(WindowHandle control, int x, int y) {
    Point origin = client_origin(control);
    input_stylus_down(origin.x + x, origin.y + y);
    input_stylus_up(origin.x + x, origin.y + y);
    pump_cycle();
  }
  void key(unsigned virtual_key) {
    input_key_down(virtual_key);
    input_key_up(virtual_key);
    pump_cycle();
  }
  // The notifications the dialog received, as the command's first parameter.
  std::vector<WParam> notifications() {
    std::vector<WParam> list;
    for (const Received& r : received) {
      if (r.window == dialog && r.message == msg::COMMAND) list.push_back(r.wparam);
    }
    received.clear();
    return list;
  }
  void type(WindowHandle edit, std::u16string_view text) {
    for (char16_t c : text) send_message(edit, msg::CHARACTER, c, 0);
  }

  WindowHandle dialog = NO_WINDOW;
};

TEST_F(ControlsTest, EditBoxTypesErasesAndMovesTheCaret) {
  WindowHandle edit = child(dialog, u"EDIT", style::BORDER, {10, 10, 150, 32}, 5);
  const struct {
    unsigned key;        // a key-down, or 0
    char16_t character;  // a typed character, or 0
    const char16_t* expected;
  } steps[] = {
      {0, u'a', u"a"},      {0, u'b', u"ab"},     {0, 8, u"a"},          {0, u'c', u"ac"},
      {vk::LEFT, 0, u"ac"}, {0, u'x', u"axc"},    {vk::HOME, 0, u"axc"}, {vk::DELETE_KEY, 0, u"xc"},
      {vk::END, 0, u"xc"},  {0, u'!', u"xc!"},    {0, 13, u"xc!"},       {0, 8, u"xc"},
      {vk::LEFT, 0, u"xc"}, {vk::LEFT, 0, u"xc"}, {vk::LEFT, 0, u"xc"},  {0, 8, u"xc"},
  };
  for (const auto& step : steps) {
    if (step.key != 0) send_message(edit, msg::KEY_DOWN, step.key, 0);
    if (step.character != 0) send_message(edit, msg::CHARACTER, step.character, 0);
    EXPECT_EQ(window_text(edit), step.expected);
  }
  EXPECT_EQ(send_message(edit, msg::EDIT_GET_SELECTION, 0, 0), 0);
  std::vector<WParam> changes = notifications();
  EXPECT_EQ(changes.size(), 8u);  // every change of the text, nothing else
  EXPECT_EQ(changes.front(), make_command_param(5, notify::EDIT_CHANGED));
}

TEST_F(ControlsTest, EditBoxKeepsItsLimit) {
  WindowHandle edit = child(dialog, u"EDIT", 0, {10, 10, 150, 32}, 5);
  send_message(edit, msg::EDIT_LIMIT_TEXT, 3, 0);
  type(edit, u"12345");
  EXPECT_EQ(window_text(edit), u"123");
  send_message(edit, msg::SET_TEXT, 0, reinterpret_cast<LParam>(u"abcdef"));
  EXPECT_EQ(window_text(edit), u"abc");  // cut, never written past
  send_message(edit, msg::SET_TEXT, 0, 0);
  EXPECT_EQ(window_text(edit), u"");
}

TEST_F(ControlsTest, CheckBoxTogglesOnTapAndSpaceButNotWhenDisabled) {
  WindowHandle box =
      child(dialog, u"BUTTON", style::AUTO_CHECK_BOX, {10, 10, 150, 30}, 9, u"连射开启");
  EXPECT_EQ(send_message(box, msg::GET_CHECK, 0, 0), UNCHECKED);
  tap(box, 5, 10);
  EXPECT_EQ(send_message(box, msg::GET_CHECK, 0, 0), CHECKED);
  EXPECT_EQ(focus_window(), box);
  key(vk::SPACE);
  EXPECT_EQ(send_message(box, msg::GET_CHECK, 0, 0), UNCHECKED);
  EXPECT_EQ(notifications(), (std::vector<WParam>{make_command_param(9, notify::CLICKED),
                                                  make_command_param(9, notify::CLICKED)}));
  enable_window(box, false);
  tap(box, 5, 10);
  EXPECT_EQ(send_message(box, msg::GET_CHECK, 0, 0), UNCHECKED);
  EXPECT_TRUE(notifications().empty());
  send_message(box, msg::SET_CHECK, CHECKED, 0);
  EXPECT_EQ(send_message(box, msg::GET_CHECK, 0, 0), CHECKED);
}

TEST_F(ControlsTest, PushButtonClicksOnlyWhenReleasedOverIt) {
  WindowHandle button = child(dialog, u"BUTTON", style::PUSH_BUTTON, {10, 10, 80, 36}, 4, u"清除");
  tap(button, 10, 10);
  EXPECT_EQ(notifications(), (std::vector<WParam>{make_command_param(4, notify::CLICKED)}));
  Point origin = client_origin(button);
  input_stylus_down(origin.x + 10, origin.y + 10);
  input_stylus_move(origin.x + 200, origin.y + 10);
  input_stylus_up(origin.x + 200, origin.y + 10);
  pump_cycle();
  EXPECT_TRUE(notifications().empty());
}

TEST_F(ControlsTest, ComboBoxOpensOnTapAndNotifiesTheChosenItem) {
  WindowHandle combo = child(dialog, u"COMBOBOX", style::COMBO_DROPDOWN, {10, 10, 150, 110}, 6);
  for (const char16_t* item : {u"0", u"1", u"2", u"3"}) {
    send_message(combo, msg::COMBO_ADD_STRING, 0, reinterpret_cast<LParam>(item));
  }
  send_message(combo, msg::COMBO_SET_SELECTION, 0, 0);
  tap(combo, 20, 10);
  ASSERT_EQ(send_message(combo, msg::COMBO_IS_OPEN, 0, 0), 1);
  tap(combo, 20, 22 + 1 + 18 * 2 + 9);  // the third row of the list below the field
  EXPECT_EQ(send_message(combo, msg::COMBO_IS_OPEN, 0, 0), 0);
  EXPECT_EQ(send_message(combo, msg::COMBO_GET_SELECTION, 0, 0), 2);
  EXPECT_EQ(notifications(),
            (std::vector<WParam>{make_command_param(6, notify::SELECTION_CHANGED)}));
}

TEST_F(ControlsTest, ComboBoxFollowsKeysOpenAndClosed) {
  WindowHandle combo = child(dialog, u"COMBOBOX", style::COMBO_DROPDOWN, {10, 10, 150, 110}, 6);
  for (const char16_t* item : {u"上", u"下", u"左"}) {
    send_message(combo, msg::COMBO_ADD_STRING, 0, reinterpret_cast<LParam>(item));
  }
  send_message(combo, msg::COMBO_SET_SELECTION, 0, 0);
  set_focus(combo);
  const struct {
    unsigned key;
    int selection;
    int open;
  } steps[] = {{vk::DOWN, 1, 0}, {vk::DOWN, 2, 0},   {vk::DOWN, 2, 0},   {vk::RETURN, 2, 1},
               {vk::UP, 2, 1},   {vk::ESCAPE, 2, 0}, {vk::RETURN, 2, 1}, {vk::UP, 2, 1},
               {vk::UP, 2, 1},   {vk::RETURN, 0, 0}};
  for (const auto& step : steps) {
    key(step.key);
    EXPECT_EQ(send_message(combo, msg::COMBO_GET_SELECTION, 0, 0), step.selection) << step.key;
    EXPECT_EQ(send_message(combo, msg::COMBO_IS_OPEN, 0, 0), step.open) << step.key;
  }
  EXPECT_EQ(notifications().size(), 3u);  // 0 -> 1, 1 -> 2, 2 -> 0
}

TEST_F(ControlsTest, ComboBoxRefusesBadIndexesAndCutsLongItems) {
  WindowHandle combo = child(dialog, u"COMBOBOX", style::COMBO_DROPDOWN, {10, 10, 150, 110}, 6);
  EXPECT_EQ(send_message(combo, msg::COMBO_ADD_STRING, 0, 0), -1);
  std::u16string long_item(1000, u'y');
  EXPECT_EQ(
      send_message(combo, msg::COMBO_ADD_STRING, 0, reinterpret_cast<LParam>(long_item.c_str())),
      0);
  EXPECT_EQ(send_message(combo, msg::COMBO_GET_ITEM_LENGTH, 0, 0), COMBO_ITEM_CAPACITY - 1);
  EXPECT_EQ(send_message(combo, msg::COMBO_SET_SELECTION, 5, 0), -1);
  EXPECT_EQ(send_message(combo, msg::COMBO_GET_SELECTION, 0, 0), -1);
  EXPECT_EQ(send_message(combo, msg::COMBO_GET_ITEM_TEXT, 3, 0), -1);
  tap(combo, 20, 10);  // an empty selection still opens
  EXPECT_EQ(send_message(combo, msg::COMBO_IS_OPEN, 0, 0), 1);
  input_stylus_down(230, 300);  // outside: closes, goes nowhere
  input_stylus_up(230, 300);
  EXPECT_EQ(send_message(combo, msg::COMBO_IS_OPEN, 0, 0), 0);
}

TEST_F(ControlsTest, StylusPassesThroughStaticTextAndBelowAClosedList) {
  WindowHandle label = child(dialog, u"STATIC", 0, {0, 0, 100, 20}, 1, u"x");
  WindowHandle combo = child(dialog, u"COMBOBOX", style::COMBO_DROPDOWN, {0, 40, 100, 140}, 2);
  received.clear();
  tap(label, 5, 5);
  tap(combo, 5, 80);  // inside the list's room, but the list is closed
  std::vector<unsigned> to_dialog = messages_to(dialog);
  EXPECT_EQ(std::count(to_dialog.begin(), to_dialog.end(), msg::LEFT_DOWN), 2);
}

}  // namespace
