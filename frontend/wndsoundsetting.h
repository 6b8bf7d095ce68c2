#pragma once
// The sound settings dialog: sound on or off, taking effect when the game screen is entered next.

#include <memory>

#include "frontend/settings_dialog.h"

class CWndSoundSetting : public CSettingsDialog {
 public:
  LResult OnSize(WParam wparam, LParam lparam) override;

  std::unique_ptr<CCheckBox> ckb_sound_open;

 protected:
  UiText Title() const override { return UiText::SOUND_SETUP; }
  UiText MenuText() const override { return UiText::SOUND_MENU; }
  int BuildControls() override;
  void Confirm() override;
  void ReleaseControls() override;
  std::vector<CWnd*> TabOrder() const override { return {ckb_sound_open.get()}; }
};
