// The three settings dialogs, driven from the keys alone as a person with a phone's keypad would:
// their items, the private copy, key capture, auto-fire, the scale items, the delay text, confirm
// and cancel, and what the screen shows.
#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "frontend/wndkbsetup.h"
#include "frontend/wndsoundsetting.h"
#include "frontend/wndvideosetting.h"
#include "platform/keys.h"
#include "platform/menus.h"
#include "platform/messages.h"
#include "tests/frontend/shell_fixture.h"

namespace {

constexpr std::uint32_t BLACK = 0x000000;
constexpr std::uint32_t WHITE = 0xFFFFFF;

std::u16string text_of(const CWnd* control) { return window_text(control->hwnd); }

std::u16string combo_item(const CCombBox* combo, int index) {
  char16_t buffer[COMBO_ITEM_CAPACITY] = {};
  send_message(combo->hwnd, msg::COMBO_GET_ITEM_TEXT, static_cast<WParam>(index),
               reinterpret_cast<LParam>(buffer));
  return buffer;
}

using DialogsTest = ShellTest;

// Items, bindings (the settings' defaults) and where auto-fire applies, walked with the down key.
TEST_F(DialogsTest, KeySetupShowsEachItemsBindingAndOffersAutoFireOnlyForAAndB) {
  const struct {
    const char16_t* item;
    const char16_t* code;
    bool auto_fire;
  } items[KB_SETUP_ITEM_COUNT] = {
      {u"上", u"0x57", false},    {u"下", u"0x53", false},     {u"左", u"0x41", false},
      {u"右", u"0x44", false},    {u"A", u"0x4f", true},       {u"B", u"0x49", true},
      {u"L", u"0x4b", false},     {u"R", u"0x4c", false},      {u"选择键", u"0x8", false},
      {u"开始键", u"0xd", false}, {u"切换键", u"0x20", false}, {u"存档1", u"0x42", false},
      {u"读档1", u"0x4e", false}, {u"左上", u"0x51", false},   {u"右上", u"0x45", false},
      {u"左下", u"0x5a", false},  {u"右下", u"0x58", false},
  };
  g_config.auto_b = 1;
  CWndKbSetup dialog;
  ASSERT_EQ(dialog.Open(NO_WINDOW), 1);
  EXPECT_EQ(window_text(dialog.hwnd), u"按键设置");
  ASSERT_EQ(dialog.cb_select_key->GetCount(), KB_SETUP_ITEM_COUNT);
  EXPECT_EQ(focus_window(), dialog.cb_select_key->hwnd);  // the first control has the focus
  for (int i = 0; i < KB_SETUP_ITEM_COUNT; ++i) {
    SCOPED_TRACE(i);
    if (i > 0) press(vk::DOWN, &dialog);
    EXPECT_EQ(dialog.cb_select_key->GetCurSel(), i);
    EXPECT_EQ(combo_item(dialog.cb_select_key.get(), i), items[i].item);
    EXPECT_EQ(text_of(dialog.st_cur_value.get()), items[i].code);
    EXPECT_EQ(is_enabled(dialog.ckb_auto->hwnd), items[i].auto_fire);
    EXPECT_EQ(dialog.ckb_auto->GetCheck(), i == 5 ? 1 : 0);  // auto_b was on
  }
  EXPECT_EQ(dialog.Binding(KB_SETUP_ITEM_COUNT), nullptr);
  EXPECT_NE(reports.find("assertion fail \"pkey\""), std::string::npos);
}

TEST_F(DialogsTest, AutoFireForAIsStoredOnConfirmAndOtherItemsLeaveItAlone) {
  CWndKbSetup dialog;
  ASSERT_EQ(dialog.Open(NO_WINDOW), 1);
  for (int i = 0; i < 4; ++i) press(vk::DOWN, &dialog);  // "A"
  press(vk::TAB, &dialog);                               // pb_reset
  press(vk::TAB, &dialog);                               // ckb_auto
  ASSERT_EQ(focus_window(), dialog.ckb_auto->hwnd);
  press(vk::SPACE, &dialog);
  EXPECT_EQ(dialog.ckb_auto->GetCheck(), 1);
  // Back to "上": the box is unchecked and disabled, auto_a is kept.
  dialog.cb_select_key->SetFocus();
  for (int i = 0; i < 4; ++i) press(vk::UP, &dialog);
  EXPECT_EQ(dialog.cb_select_key->GetCurSel(), 0);
  EXPECT_EQ(dialog.ckb_auto->GetCheck(), 0);
  EXPECT_FALSE(is_enabled(dialog.ckb_auto->hwnd));
  EXPECT_EQ(g_config.auto_a, 0);  // nothing reaches the live settings before confirm
  press(vk::F1, &dialog);
  cycles(2, &dialog);
  EXPECT_FALSE(dialog.IsOpen());
  EXPECT_EQ(g_config.auto_a, 1);
  EXPECT_EQ(g_config.auto_b, 0);
}

TEST_F(DialogsTest, ACapturedKeyIsKeptOnlyOnConfirmAndTheGrabOnlyWhileAskedFor) {
  const struct {
    bool capture_all;
    unsigned confirm_key;  // F1 confirms, F2 cancels
    int expected_switch;
  } cases[] = {
      {false, vk::F2, 32},
      {false, vk::F1, 'P'},
      {true, vk::F2, 32},
      {true, vk::F1, 'P'},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.confirm_key == vk::F1 ? "confirm" : "cancel");
    g_config.Reset();
    g_config.use_kb_hook = c.capture_all ? 1 : 0;
    grab.installs = 0;
    CWndKbSetup dialog;
    ASSERT_EQ(dialog.Open(NO_WINDOW), 1);
    EXPECT_EQ(dialog.ckb_use_all_key->GetCheck(), c.capture_all ? 1 : 0);
    for (int i = 0; i < 10; ++i) press(vk::DOWN, &dialog);  // "切换键"
    press(vk::TAB, &dialog);
    ASSERT_EQ(focus_window(), dialog.pb_reset->hwnd);
    press(vk::SPACE, &dialog);  // start the capture
    EXPECT_EQ(dialog.IsCapturing(), 1);
    EXPECT_EQ(text_of(dialog.st_cur_value.get()), u"请按任意键");
    EXPECT_EQ(grab.installed, c.capture_all);
    press('P', &dialog);
    EXPECT_EQ(dialog.IsCapturing(), 0);
    EXPECT_EQ(text_of(dialog.st_cur_value.get()), u"0x50");
    EXPECT_FALSE(grab.installed);  // the capture ended and gave the keys back
    EXPECT_EQ(g_config.vk_switch, 32);
    press(c.confirm_key, &dialog);
    cycles(2, &dialog);
    EXPECT_FALSE(dialog.IsOpen());
    EXPECT_EQ(g_config.vk_switch, c.expected_switch);
    EXPECT_EQ(grab.installs, c.capture_all ? 1 : 0);
  }
}

TEST_F(DialogsTest, CheckingCaptureAllGrabsAtOnceAndClosingGivesTheKeysBack) {
  CWndKbSetup dialog;
  ASSERT_EQ(dialog.Open(NO_WINDOW), 1);
  dialog.ckb_use_all_key->SetFocus();
  press(vk::SPACE, &dialog);
  EXPECT_TRUE(grab.installed);
  press(vk::SPACE, &dialog);
  EXPECT_FALSE(grab.installed);
  press(vk::SPACE, &dialog);
  EXPECT_TRUE(grab.installed);
  dialog.ckb_show_screenkb->SetCheck(0);
  press(vk::F1, &dialog);
  cycles(2, &dialog);
  EXPECT_FALSE(grab.installed);  // the menu must hear its keys again
  EXPECT_EQ(g_config.use_kb_hook, 1);
  EXPECT_EQ(g_config.show_screen_pad, 0);
}

TEST_F(DialogsTest, ScaleItemsShowAndStoreTheirValues) {
  const struct {
    int scale_before;
    int item_shown;
    int item_chosen;
    int scale_after;
  } cases[] = {
      {1, 0, 3, 4}, {2, 1, 0, 1}, {3, 2, 1, 2}, {4, 3, 2, 3}, {7, 0, 3, 4}, {-1, 0, 0, 1},
  };
  const char16_t* names[] = {u"没有拉伸", u"2倍屏幕大小(VGA以上)", u"全屏拉伸", u"全屏等比拉伸"};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.scale_before);
    g_config.scale = c.scale_before;
    CWndVideoSetting dialog;
    ASSERT_EQ(dialog.Open(NO_WINDOW), 1);
    EXPECT_EQ(window_text(dialog.hwnd), u"显示设置");
    ASSERT_EQ(dialog.cb_scale->GetCount(), 4);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(combo_item(dialog.cb_scale.get(), i), names[i]);
    EXPECT_EQ(dialog.cb_scale->GetCurSel(), c.item_shown);
    press(vk::TAB, &dialog);
    ASSERT_EQ(focus_window(), dialog.cb_scale->hwnd);
    for (int i = c.item_shown; i < c.item_chosen; ++i) press(vk::DOWN, &dialog);
    for (int i = c.item_shown; i > c.item_chosen; --i) press(vk::UP, &dialog);
    press(vk::F1, &dialog);
    cycles(2, &dialog);
    EXPECT_EQ(g_config.scale, c.scale_after);
  }
}

TEST_F(DialogsTest, VideoSettingsReadBackFrameSkipSmoothingAndDelay) {
  g_config.frame_skip = 3;
  g_config.delay_per_frame = 7;
  CWndVideoSetting dialog;
  ASSERT_EQ(dialog.Open(NO_WINDOW), 1);
  ASSERT_EQ(dialog.cb_frame_skip->GetCount(), 11);
  for (int i = 0; i <= 10; ++i) {
    std::string digits = std::to_string(i);
    EXPECT_EQ(combo_item(dialog.cb_frame_skip.get(), i),
              std::u16string(digits.begin(), digits.end()));
  }
  EXPECT_EQ(dialog.cb_frame_skip->GetCurSel(), 3);
  EXPECT_EQ(text_of(dialog.eb_delay.get()), u"7");
  EXPECT_EQ(focus_window(), dialog.cb_frame_skip->hwnd);
  press(vk::DOWN, &dialog);   // frame skip 4
  press(vk::TAB, &dialog);    // cb_scale
  press(vk::TAB, &dialog);    // ckb_use_2xsai
  press(vk::SPACE, &dialog);  // smoothing on
  press(vk::TAB, &dialog);    // eb_delay
  press(vk::TAB, &dialog);    // pb_clear
  ASSERT_EQ(focus_window(), dialog.pb_clear->hwnd);
  press(vk::SPACE, &dialog);
  EXPECT_EQ(text_of(dialog.eb_delay.get()), u"0");
  press(vk::TAB, &dialog);  // round to the first control
  EXPECT_EQ(focus_window(), dialog.cb_frame_skip->hwnd);
  dialog.eb_delay->SetTitle(u"5");
  press(vk::F1, &dialog);
  cycles(2, &dialog);
  EXPECT_EQ(g_config.frame_skip, 4);
  EXPECT_EQ(g_config.use_2xsai, 1);
  EXPECT_EQ(g_config.delay_per_frame, 5);
}

TEST_F(DialogsTest, TheDelayTextReadsAsADecimalNumberAndNoDigitsGiveZero) {
  const struct {
    const char16_t* text;
    int expected;
  } cases[] = {
      {u"", 0},
      {u"abc", 0},
      {u"12", 12},
      {u"  12x", 12},
      {u"-1", -1},
      {u"+3", 3},
      {u"９", 0},
      {u"99999999999", INT_MAX},
      {u"-99999999999", INT_MIN},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(CWndVideoSetting::DelayFromText(c.text), c.expected);
  }
  // Through the dialog: an emptied box confirms as 0.
  g_config.delay_per_frame = 9;
  CWndVideoSetting dialog;
  ASSERT_EQ(dialog.Open(NO_WINDOW), 1);
  dialog.eb_delay->SetTitle(u"");
  press(vk::F1, &dialog);
  cycles(2, &dialog);
  EXPECT_EQ(g_config.delay_per_frame, 0);
}

TEST_F(DialogsTest, CancelLeavesEverySettingAndTheDialogCanBeOpenedAgain) {
  CGbaConfig before;
  CWndVideoSetting video;
  CWndSoundSetting sound;
  for (int round = 0; round < 2; ++round) {
    ASSERT_EQ(video.Open(NO_WINDOW), 1);
    press(vk::DOWN, &video);
    video.eb_delay->SetTitle(u"4");
    press(vk::F2, &video);
    cycles(2, &video);
    EXPECT_FALSE(video.IsOpen());
    ASSERT_EQ(sound.Open(NO_WINDOW), 1);
    EXPECT_EQ(window_text(sound.hwnd), u"声音设置");
    EXPECT_EQ(focus_window(), sound.ckb_sound_open->hwnd);
    press(vk::SPACE, &sound);
    press(vk::F2, &sound);
    cycles(2, &sound);
    EXPECT_EQ(g_config.Differs(&before), 0);
  }
  ASSERT_EQ(sound.Open(NO_WINDOW), 1);
  press(vk::SPACE, &sound);
  press(vk::F1, &sound);
  cycles(2, &sound);
  EXPECT_EQ(g_config.sound_on, 1);
  ASSERT_EQ(sound.Open(NO_WINDOW), 1);
  EXPECT_EQ(sound.ckb_sound_open->GetCheck(), 1);
  EXPECT_TRUE(reports.empty()) << reports;
}

// What a person sees: the title in the task bar, the labels where the design rectangles put them
// (scaled from 280 x 280 to the 240 x 268 client area below the 26-pixel task bar) and the two
// soft keys at the ends of the menu bar.
TEST_F(DialogsTest, TheKeySetupDialogShowsItsTextsAndSoftKeys) {
  if (!have_unifont()) GTEST_SKIP() << "unifont.hex is not installed";
  const struct {
    Language language;
    std::u32string title, label, ok, cancel;
  } cases[] = {
      {Language::CHINESE, U"按键设置", U"选择按键:", U"确定", U"取消"},
      {Language::ENGLISH, U"Keys", U"Button:", U"OK", U"Cancel"},
  };
  for (const auto& c : cases) {
    SetLanguage(c.language);
    CWndKbSetup dialog;
    ASSERT_EQ(dialog.Open(NO_WINDOW), 1);
    cycles(1, &dialog);
    Picture picture = photograph();
    EXPECT_EQ(text_mismatches(picture, 6, 5, c.title, WHITE), 0);
    // st_1 at design (10, 10): x 10 * 240 / 280 = 8, y 26 + 10 * 268 / 280 = 35, glyphs 2 down.
    EXPECT_EQ(text_mismatches(picture, 8, 35 + 2, c.label, BLACK), 0);
    EXPECT_EQ(text_mismatches(picture, 6, 320 - 26 + 5, c.ok, WHITE), 0);
    int cancel_x = 240 - 6 - unifont_text_width(c.cancel);
    EXPECT_EQ(text_mismatches(picture, cancel_x, 320 - 26 + 5, c.cancel, WHITE), 0);
    dialog.Close();
    cycles(1, &dialog);
  }
}

}  // namespace
