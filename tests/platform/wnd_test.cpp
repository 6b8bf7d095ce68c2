// The window framework: dispatch through the map, its re-entrancy state, the handlers' defaults,
// placement, focus navigation, menus, and its answers to bad input.
#include <gtest/gtest.h>

#include <memory>

#include "frontend/comnctls.h"
#include "frontend/wnd.h"
#include "frontend/wndmap.h"
#include "platform/desktop.h"
#include "platform/input.h"
#include "platform/keys.h"
#include "platform/menus.h"
#include "platform/messages.h"
#include "tests/platform/desktop_fixture.h"

namespace {

// Counts the handlers it sees and can misbehave on purpose.
class CProbe : public CWnd {
 public:
  LResult OnCreate(WParam, LParam) override {
    ++creates;
    if (send_during_create) send_message(hwnd, msg::USER_HANDLER, 0, 0);
    return 1;
  }
  LResult OnClose(WParam, LParam lparam) override {
    ++closes;
    close_lparam = lparam;
    if (post_close_during_close) {
      post_message(hwnd, msg::CLOSE, 0, 0);
      pump_cycle();  // a nested loop inside the handler, as a shell's would be
    }
    return CWnd::OnClose(0, 0);
  }
  LResult OnUserMessage(WParam, LParam) override { return ++user_messages; }
  LResult OnCommand(WParam wparam, LParam) override {
    commands.push_back(wparam);
    return 1;
  }

  int creates = 0, closes = 0, user_messages = 0;
  LParam close_lparam = 0;
  bool send_during_create = false, post_close_during_close = false;
  std::vector<WParam> commands;
};

using WndTest = DesktopTest;

TEST_F(WndTest, PlacementScalesDesignUnitsToTheClientArea) {
  const struct {
    int design_w, design_h, client_w, client_h;
    Rect design;
    Rect expected;
  } cases[] = {
      {280, 280, 240, 240, {45, 20, 45 + 161, 20 + 31}, {38, 17, 176, 43}},
      {241, 321, 240, 320, {15, 225, 15 + 126, 225 + 26}, {14, 224, 140, 250}},
      {0, 0, 240, 240, {45, 20, 45 + 161, 20 + 31}, {45, 20, 206, 51}},  // no design size
  };
  for (const auto& c : cases) {
    CProbe dialog;
    dialog.params->x = 0;
    dialog.params->y = 0;
    dialog.params->width = c.client_w;
    dialog.params->height = c.client_h;
    ASSERT_EQ(dialog.Create(), 1);
    dialog.SetDesignSize(c.design_w, c.design_h);
    CStatic label;
    label.SetParent(dialog.hwnd);
    ASSERT_EQ(label.CreateControl(), 1);
    ASSERT_EQ(
        dialog.Place(&label, c.design.left, c.design.top, c.design.width(), c.design.height()), 1);
    EXPECT_EQ(window_rect(label.hwnd), c.expected) << c.design_w << " " << c.client_w;
  }
  CProbe dialog;
  EXPECT_EQ(dialog.Place(nullptr, 0, 0, 1, 1), 0);
  EXPECT_NE(reports.find("assertion fail \"control\""), std::string::npos);
}

TEST_F(WndTest, NumbersComeFromOneCounterInConstructionOrder) {
  unsigned next = PeekObjectNumber();
  EXPECT_GE(next, FIRST_OBJECT_NUMBER);
  CProbe window;
  CMenu entry;
  CStatic label;
  EXPECT_EQ(window.params->number, next);
  EXPECT_EQ(entry.number, next + 1);
  EXPECT_EQ(label.params->number, next + 2);
  ASSERT_EQ(window.Create(), 1);
  EXPECT_EQ(window.number, next);
  EXPECT_EQ(window.params->class_name, u"DEF_WND_CLASS");
  EXPECT_EQ(window.params->style, 0x10000000u);
}

TEST_F(WndTest, MessagesDuringCreationGoOnlyToTheDefaultProcessing) {
  CProbe probe;
  probe.send_during_create = true;
  ASSERT_EQ(probe.Create(), 1);
  EXPECT_EQ(probe.creates, 1);
  EXPECT_EQ(probe.user_messages, 0);
  EXPECT_EQ(probe.state, WND_IDLE);
  send_message(probe.hwnd, msg::USER_HANDLER, 0, 0);
  EXPECT_EQ(probe.user_messages, 1);
  EXPECT_EQ(wnd_map.Find(probe.hwnd), &probe);
  EXPECT_EQ(wnd_map.temp_ptr, nullptr);
}

TEST_F(WndTest, ACloseNotedDuringTheCloseHandlerGoesOnlyToTheDefaultProcessing) {
  CProbe probe;
  ASSERT_EQ(probe.Create(), 1);
  WindowHandle window = probe.hwnd;
  probe.post_close_during_close = true;
  ASSERT_EQ(probe.Close(), 1);
  pump_cycle();
  EXPECT_EQ(probe.closes, 1);
  EXPECT_EQ(probe.close_lparam, reinterpret_cast<LParam>(&probe));  // Close names the object
  EXPECT_FALSE(is_window(window));
  EXPECT_EQ(probe.hwnd, NO_WINDOW);
  EXPECT_EQ(wnd_map.Find(window), nullptr);
  EXPECT_EQ(probe.params, nullptr);  // released
  EXPECT_TRUE(reports.empty()) << reports;
}

TEST_F(WndTest, AReleasedObjectCanBeCreatedAgainWithFreshParameters) {
  CProbe probe;
  ASSERT_EQ(probe.Create(), 1);
  EXPECT_EQ(probe.Create(), 0);
  EXPECT_NE(reports.find("assertion fail \"this->hwnd == NULL\""), std::string::npos);
  probe.Release();
  reports.clear();
  EXPECT_EQ(probe.Create(), 0);
  EXPECT_NE(reports.find("assertion fail \"this->params\""), std::string::npos);
  probe.InitBasic();
  EXPECT_EQ(probe.Create(), 1);
  EXPECT_EQ(probe.creates, 2);
}

TEST_F(WndTest, TheWindowAfterAFullMapGetsItsFirstMessageThenReports) {
  std::vector<std::unique_ptr<CProbe>> windows;
  for (int i = 0; i < WND_MAP_SIZE; ++i) {
    windows.push_back(std::make_unique<CProbe>());
    ASSERT_EQ(windows.back()->Create(), 1);
  }
  EXPECT_EQ(wnd_map.Count(), WND_MAP_SIZE);
  EXPECT_TRUE(reports.empty());
  CProbe extra;
  extra.Create();
  EXPECT_EQ(extra.creates, 1);
  EXPECT_NE(extra.hwnd, NO_WINDOW);
  reports.clear();
  EXPECT_EQ(send_message(extra.hwnd, msg::USER_HANDLER, 0, 0), 0);
  EXPECT_EQ(extra.user_messages, 0);
  EXPECT_NE(reports.find("assertion fail \"wnd_map.temp_ptr\""), std::string::npos);
  // The others are untouched.
  EXPECT_EQ(send_message(windows.front()->hwnd, msg::USER_HANDLER, 0, 0), 0);
  EXPECT_EQ(windows.front()->user_messages, 1);
}

TEST_F(WndTest, BadInputIsReportedAndChangesNothing) {
  CProbe probe;
  EXPECT_EQ(CWnd::DispatchProc(12345, msg::USER_HANDLER, 0, 0), 0);
  EXPECT_NE(reports.find("\"wnd_map.temp_ptr\""), std::string::npos);
  EXPECT_EQ(probe.NavigateFocus(nullptr, nullptr, 0), 0);
  EXPECT_NE(reports.find("\"msg && tab_list\""), std::string::npos);
  ASSERT_EQ(probe.Create(), 1);
  EXPECT_EQ(probe.CreateMenuBar(nullptr), 0);
  EXPECT_NE(reports.find("\"menu\""), std::string::npos);
  CMenu never_created;
  EXPECT_EQ(probe.CreateMenuBar(&never_created), 0);
  EXPECT_NE(reports.find("\"hwnd_cb\""), std::string::npos);
  EXPECT_EQ(probe.SetTitle(nullptr), 0);
  CMenu menu, sub;
  menu.Create();
  EXPECT_EQ(menu.AppendSubMenu(&sub), 0);
  EXPECT_NE(reports.find("\"submenu->hmenu\""), std::string::npos);
  EXPECT_EQ(menu.SetText(u"late"), 0);
  EXPECT_TRUE(menu.text.empty());
  EXPECT_EQ(is_window(probe.hwnd), true);
  // A control's text longer than the caller's buffer is cut to it.
  CEditBox edit;
  edit.SetParent(probe.hwnd);
  edit.SetTitle(u"0123456789");
  ASSERT_EQ(edit.CreateControl(), 1);
  std::u16string text;
  edit.GetText(text, 4);
  EXPECT_EQ(text, u"012");
}

class NavigationTest : public DesktopTest {
 protected:
  void SetUp() override {
    DesktopTest::SetUp();
    ASSERT_EQ(dialog.Create(), 1);
    for (CWnd* control : list) control->SetParent(dialog.hwnd);
    ASSERT_EQ(pb_first.CreateControl(), 1);
    ASSERT_EQ(ckb_off.CreateControl(), 1);
    ASSERT_EQ(eb_edit.CreateControl(), 1);
    ASSERT_EQ(pb_last.CreateControl(), 1);
    ASSERT_EQ(cb_off.CreateControl(), 1);
    ckb_off.Enable(0);
    cb_off.Enable(0);
  }

  int press(unsigned key) {
    Message m{focus_window(), msg::KEY_DOWN, key, 1};
    return dialog.NavigateFocus(&m, list, 5);
  }

  CProbe dialog;
  CButton pb_first, pb_last;
  CCheckBox ckb_off;
  CEditBox eb_edit;
  CCombBox cb_off;
  CWnd* list[5] = {&pb_first, &ckb_off, &eb_edit, &pb_last, &cb_off};
};

TEST_F(NavigationTest, KeysMoveTheFocusCyclicallyOverEnabledControls) {
  const struct {
    CWnd* from;  // null: the dialog itself
    unsigned key;
    int handled;
    CWnd* to;
  } cases[] = {
      {nullptr, vk::UP, 1, &pb_first},     // from the dialog: the first control
      {&pb_first, vk::UP, 1, &pb_last},    // backward from the first: the last enabled one
      {&pb_first, vk::DOWN, 1, &eb_edit},  // the disabled check box is skipped
      {&pb_first, vk::RIGHT, 1, &eb_edit}, {&pb_last, vk::DOWN, 1, &pb_first},
      {&pb_last, vk::TAB, 1, &pb_first},   {&eb_edit, vk::LEFT, 0, &eb_edit},  // the edit box's own
      {&eb_edit, vk::RIGHT, 0, &eb_edit},  {&eb_edit, vk::UP, 1, &pb_first},
      {&eb_edit, vk::TAB, 1, &pb_last},    {&pb_first, 'A', 0, &pb_first},
  };
  for (const auto& c : cases) {
    set_focus(c.from != nullptr ? c.from->hwnd : dialog.hwnd);
    EXPECT_EQ(press(c.key), c.handled) << "key " << c.key;
    EXPECT_EQ(focus_window(), c.to->hwnd) << "key " << c.key;
  }
}

TEST_F(NavigationTest, TheFocusedPushButtonIsTheDefaultOne) {
  set_focus(pb_first.hwnd);
  press(vk::UP);
  EXPECT_EQ(window_style(pb_last.hwnd) & style::BUTTON_KIND_MASK, style::DEFAULT_PUSH_BUTTON);
  press(vk::DOWN);
  EXPECT_EQ(window_style(pb_last.hwnd) & style::BUTTON_KIND_MASK, style::PUSH_BUTTON);
  EXPECT_EQ(window_style(pb_first.hwnd) & style::BUTTON_KIND_MASK, style::DEFAULT_PUSH_BUTTON);
  EXPECT_EQ(window_style(ckb_off.hwnd) & style::BUTTON_KIND_MASK, style::AUTO_CHECK_BOX);
}

TEST_F(NavigationTest, AComboBoxKeepsUpAndDownAndNothingMovesWhenAllAreDisabled) {
  cb_off.Enable(1);
  set_focus(cb_off.hwnd);
  EXPECT_EQ(press(vk::UP), 0);
  EXPECT_EQ(press(vk::RIGHT), 1);
  EXPECT_EQ(focus_window(), pb_first.hwnd);
  for (CWnd* control : list) control->Enable(0);
  set_focus(dialog.hwnd);
  EXPECT_EQ(press(vk::TAB), 1);
  EXPECT_EQ(focus_window(), dialog.hwnd);
  Message up{dialog.hwnd, msg::KEY_UP, vk::TAB, 1};
  EXPECT_EQ(dialog.NavigateFocus(&up, list, 5), 0);
}

TEST_F(NavigationTest, OnlyTheActiveDialogNavigates) {
  CProbe other;
  ASSERT_EQ(other.Create(), 1);  // now active
  set_focus(pb_first.hwnd);      // activates the dialog again
  set_active_window(other.hwnd);
  Message m{pb_first.hwnd, msg::KEY_DOWN, vk::DOWN, 1};
  EXPECT_EQ(dialog.NavigateFocus(&m, list, 5), 0);
}

// A window with a menu bar built from the framework's menu objects.
class CMenuForm : public CProbe {
 public:
  LResult OnCreate(WParam, LParam) override {
    menu_left.SetText(u"菜单");
    mitem_one.SetText(u"继续");
    mitem_two.SetText(u"退出");
    menu_bar.Create();
    menu_left.Create();
    menu_left.SetOwner(hwnd);
    menu_left.AppendItem(&mitem_one);
    menu_left.AppendSeparator();
    menu_left.AppendItem(&mitem_two);
    menu_bar.AppendSubMenu(&menu_left);
    return CreateMenuBar(&menu_bar);
  }
  CMenu menu_bar;
  CPopupMenu menu_left;
  CMenu mitem_one, mitem_two;
};

TEST_F(WndTest, ASoftKeyPopupAndAStylusChoiceReachTheCommandHandler) {
  CMenuForm form;
  form.params->x = 0;
  form.params->y = 0;
  form.params->width = 240;
  form.params->height = 320;
  ASSERT_EQ(form.Create(), 1);
  EXPECT_EQ(window_rect(form.hwnd), (Rect{0, 26, 240, 294}));  // fitted between the bars
  input_key_down(vk::F1);
  input_key_up(vk::F1);
  pump_cycle();
  ASSERT_TRUE(menu_is_open());
  Rect entry = popup_entry_rect(*desktop(), desktop()->popups.back(), 2);
  input_stylus_down(entry.left + 5, entry.top + 5);
  input_stylus_up(entry.left + 5, entry.top + 5);
  pump_cycle();
  ASSERT_EQ(form.commands.size(), 1u);
  EXPECT_EQ(low_word(form.commands[0]), form.mitem_two.number);
  EXPECT_EQ(form.mitem_two.IsMyCommand(form.commands[0]), 1);
  EXPECT_EQ(form.mitem_one.IsMyCommand(form.commands[0]), 0);
}

}  // namespace
