#pragma once
// The video settings dialog: frame skip, scaling mode, smoothing and the extra message-pump
// cycles per frame, written straight into g_config on confirm.

#include <memory>

#include "frontend/settings_dialog.h"

constexpr int FRAME_SKIP_ITEMS = 11;  // "0" to "10"

class CWndVideoSetting : public CSettingsDialog {
 public:
  LResult OnSize(WParam wparam, LParam lparam) override;

  // The scale item that shows a `scale` value, and the value an item stands for.
  static int ScaleItemFor(int scale);
  static int ScaleForItem(int item);
  // The delay edit box's text read as a decimal integer (no digits: 0), kept within 32 bits.
  static int DelayFromText(const std::u16string& text);

  std::unique_ptr<CStatic> st_1;
  std::unique_ptr<CCombBox> cb_frame_skip;
  std::unique_ptr<CStatic> st_3;
  std::unique_ptr<CCombBox> cb_scale;
  std::unique_ptr<CCheckBox> ckb_use_2xsai;
  std::unique_ptr<CStatic> st_2;
  std::unique_ptr<CEditBox> eb_delay;
  std::unique_ptr<CButton> pb_clear;

 protected:
  UiText Title() const override { return UiText::VIDEO_SETUP; }
  int BuildControls() override;
  void Confirm() override;
  void ControlCommand(WParam wparam) override;
  void ReleaseControls() override;
  std::vector<CWnd*> TabOrder() const override;
};
