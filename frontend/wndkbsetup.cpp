#include "frontend/wndkbsetup.h"

#include <cstdio>
#include <string>

#include "frontend/assertion.h"
#include "frontend/keygrab.h"
#include "frontend/owned.h"
#include "platform/messages.h"

namespace {

constexpr int ITEM_A = 4;
constexpr int ITEM_B = 5;

struct KeyItem {
  UiText text;
  std::int32_t CGbaConfig::*binding;
};

constexpr KeyItem KEY_ITEMS[KB_SETUP_ITEM_COUNT] = {
    {UiText::KEY_UP, &CGbaConfig::vk_up},
    {UiText::KEY_DOWN, &CGbaConfig::vk_down},
    {UiText::KEY_LEFT, &CGbaConfig::vk_left},
    {UiText::KEY_RIGHT, &CGbaConfig::vk_right},
    {UiText::KEY_A, &CGbaConfig::vk_a},
    {UiText::KEY_B, &CGbaConfig::vk_b},
    {UiText::KEY_L, &CGbaConfig::vk_l},
    {UiText::KEY_R, &CGbaConfig::vk_r},
    {UiText::KEY_SELECT, &CGbaConfig::vk_select},
    {UiText::KEY_START, &CGbaConfig::vk_start},
    {UiText::KEY_SWITCH, &CGbaConfig::vk_switch},
    {UiText::KEY_SAVE_1, &CGbaConfig::vk_save1},
    {UiText::KEY_LOAD_1, &CGbaConfig::vk_load1},
    {UiText::KEY_LEFT_UP, &CGbaConfig::vk_left_up},
    {UiText::KEY_RIGHT_UP, &CGbaConfig::vk_right_up},
    {UiText::KEY_LEFT_DOWN, &CGbaConfig::vk_left_down},
    {UiText::KEY_RIGHT_DOWN, &CGbaConfig::vk_right_down},
};

std::u16string hex_text(std::int32_t value) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "0x%x", static_cast<unsigned>(value));
  return std::u16string(buffer, buffer + std::char_traits<char>::length(buffer));
}

}  // namespace

int CWndKbSetup::BuildControls() {
  cb_select_key = ORVANE_NEW(CCombBox);
  if (!MakeControl(cb_select_key.get(), u"", 0, 0)) return 0;
  st_1 = ORVANE_NEW(CStatic);
  if (!MakeControl(st_1.get(), Text(UiText::SELECT_KEY), 0)) return 0;
  st_2 = ORVANE_NEW(CStatic);
  if (!MakeControl(st_2.get(), Text(UiText::CURRENT_VALUE), 0)) return 0;
  st_cur_value = ORVANE_NEW(CStatic);
  if (!MakeControl(st_cur_value.get(), u"0x0", 0)) return 0;
  pb_reset = ORVANE_NEW(CButton);
  if (!MakeControl(pb_reset.get(), Text(UiText::CLEAR), 0)) return 0;
  ckb_auto = ORVANE_NEW(CCheckBox);
  if (!MakeControl(ckb_auto.get(), Text(UiText::AUTO_FIRE), 0)) return 0;
  ckb_show_screenkb = ORVANE_NEW(CCheckBox);
  if (!MakeControl(ckb_show_screenkb.get(), Text(UiText::SHOW_SCREEN_PAD), 0)) return 0;
  ckb_use_all_key = ORVANE_NEW(CCheckBox);
  if (!MakeControl(ckb_use_all_key.get(), Text(UiText::CAPTURE_ALL_KEYS), 0)) return 0;
  tmp_config = ORVANE_NEW(CGbaConfig);
  ORVANE_CHECK(this->tmp_config, 0);

  tmp_config->CopyFrom(&g_config);
  ckb_show_screenkb->SetCheck(g_config.show_screen_pad != 0);
  ckb_use_all_key->SetCheck(g_config.use_kb_hook != 0);
  for (const KeyItem& item : KEY_ITEMS) cb_select_key->AddString(Text(item.text));
  cb_select_key->SetCurSel(0);
  ShowSelection();
  SetDesignSize(280, 280);
  return 1;
}

LResult CWndKbSetup::OnSize(WParam, LParam) {
  if (!ckb_use_all_key) return 1;  // creation stopped early: nothing to place
  Place(cb_select_key.get(), 10, 45, 201, 120);
  Place(st_1.get(), 10, 10, 146, 26);
  Place(st_2.get(), 10, 80, 81, 26);
  Place(st_cur_value.get(), 100, 80, 86, 26);
  Place(pb_reset.get(), 195, 80, 71, 26);
  Place(ckb_auto.get(), 10, 120, 116, 26);
  Place(ckb_show_screenkb.get(), 10, 160, 161, 26);
  Place(ckb_use_all_key.get(), 10, 200, 161, 26);
  return 1;
}

std::int32_t* CWndKbSetup::Binding(int index) {
  std::int32_t* pkey = nullptr;
  if (tmp_config && index >= 0 && index < KB_SETUP_ITEM_COUNT) {
    pkey = &(tmp_config.get()->*KEY_ITEMS[index].binding);
  }
  ORVANE_CHECK(pkey, nullptr);
  return pkey;
}

int CWndKbSetup::SelectedAutoFire(std::int32_t** flag) {
  int index = cb_select_key->GetCurSel();
  *flag = index == ITEM_A ? &tmp_config->auto_a : index == ITEM_B ? &tmp_config->auto_b : nullptr;
  return *flag != nullptr;
}

void CWndKbSetup::ShowSelection() {
  if (!cb_select_key || !tmp_config) return;
  is_capturing = 0;
  std::int32_t* auto_flag = nullptr;
  ckb_auto->SetCheck(0);
  ckb_auto->Enable(SelectedAutoFire(&auto_flag));
  if (auto_flag != nullptr) ckb_auto->SetCheck(*auto_flag != 0);
  if (std::int32_t* binding = Binding(cb_select_key->GetCurSel())) {
    st_cur_value->SetTitle(hex_text(*binding).c_str());
  }
  RemoveKbHook();
}

void CWndKbSetup::StartCapture() {
  RemoveKbHook();
  if (ckb_use_all_key->GetCheck()) InstallKbHookForced();
  st_cur_value->SetTitle(Text(UiText::PRESS_ANY_KEY));
  is_capturing = 1;
}

void CWndKbSetup::TakeKey(unsigned virtual_key) {
  if (std::int32_t* binding = Binding(cb_select_key->GetCurSel())) {
    *binding = static_cast<std::int32_t>(virtual_key);
  }
  ShowSelection();
}

void CWndKbSetup::ControlCommand(WParam wparam) {
  if (!tmp_config) return;  // creation stopped early
  unsigned from = low_word(wparam);
  unsigned code = high_word(wparam);
  if (from == cb_select_key->number && code == notify::SELECTION_CHANGED) {
    ShowSelection();
  } else if (from == pb_reset->number && code == notify::CLICKED) {
    StartCapture();
  } else if (from == ckb_auto->number && code == notify::CLICKED) {
    std::int32_t* auto_flag = nullptr;
    if (SelectedAutoFire(&auto_flag)) *auto_flag = ckb_auto->GetCheck();
  } else if (from == ckb_use_all_key->number && code == notify::CLICKED) {
    if (ckb_use_all_key->GetCheck()) {
      InstallKbHookForced();
    } else {
      RemoveKbHook();
    }
  }
}

void CWndKbSetup::Confirm() {
  if (!tmp_config) return;
  tmp_config->show_screen_pad = ckb_show_screenkb->GetCheck();
  tmp_config->use_kb_hook = ckb_use_all_key->GetCheck();
  g_config.CopyFrom(tmp_config.get());
}

int CWndKbSetup::PreTranslate(const Message& message) {
  if (is_capturing && tmp_config && message.message == msg::KEY_DOWN) {
    TakeKey(static_cast<unsigned>(message.wparam));
    return 1;
  }
  return CSettingsDialog::PreTranslate(message);
}

void CWndKbSetup::ReleaseControls() {
  // Keys go back to the window system with the dialog (a capture or a checked box may hold the
  // grab); the game screen installs it again when the settings ask for it.
  RemoveKbHook();
  is_capturing = 0;
  ORVANE_FREE(cb_select_key);
  ORVANE_FREE(st_1);
  ORVANE_FREE(st_2);
  ORVANE_FREE(st_cur_value);
  ORVANE_FREE(pb_reset);
  ORVANE_FREE(ckb_auto);
  ORVANE_FREE(ckb_show_screenkb);
  ORVANE_FREE(ckb_use_all_key);
  ORVANE_FREE(tmp_config);
}

std::vector<CWnd*> CWndKbSetup::TabOrder() const {
  return {cb_select_key.get(), pb_reset.get(), ckb_auto.get(), ckb_show_screenkb.get(),
          ckb_use_all_key.get()};
}
