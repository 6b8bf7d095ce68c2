#pragma once
// The key setup dialog: binds a key to each console button and hot key, chooses auto-fire for A
// and B, the screen pad and the keyboard grab. It edits a private copy of the settings that
// replaces g_config only on confirm.

#include <cstdint>
#include <memory>

#include "frontend/gbaconfig.h"
#include "frontend/settings_dialog.h"

constexpr int KB_SETUP_ITEM_COUNT = 17;

class CWndKbSetup : public CSettingsDialog {
 public:
  LResult OnSize(WParam wparam, LParam lparam) override;
  int PreTranslate(const Message& message) override;

  // The binding that item `index` of cb_select_key selects in tmp_config; null ("pkey") for any
  // other index.
  std::int32_t* Binding(int index);
  // Shows the selected item's binding and auto-fire state; ends a capture.
  void ShowSelection();
  // Waits for the next key (pb_reset).
  void StartCapture();
  int IsCapturing() const { return is_capturing; }

  std::unique_ptr<CCombBox> cb_select_key;
  std::unique_ptr<CStatic> st_1;
  std::unique_ptr<CStatic> st_2;
  std::unique_ptr<CStatic> st_cur_value;
  std::unique_ptr<CButton> pb_reset;
  std::unique_ptr<CCheckBox> ckb_auto;
  std::unique_ptr<CCheckBox> ckb_show_screenkb;
  std::unique_ptr<CCheckBox> ckb_use_all_key;
  std::unique_ptr<CGbaConfig> tmp_config;
  int is_capturing = 0;

 protected:
  UiText Title() const override { return UiText::KEY_SETUP; }
  int BuildControls() override;
  void Confirm() override;
  void ControlCommand(WParam wparam) override;
  void ReleaseControls() override;
  std::vector<CWnd*> TabOrder() const override;

 private:
  int SelectedAutoFire(std::int32_t** flag);
  void TakeKey(unsigned virtual_key);
};
