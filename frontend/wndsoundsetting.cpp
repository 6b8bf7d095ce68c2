#include "frontend/wndsoundsetting.h"

#include "frontend/assertion.h"
#include "frontend/gbaconfig.h"
#include "frontend/owned.h"

int CWndSoundSetting::BuildControls() {
  ckb_sound_open = ORVANE_NEW(CCheckBox);
  if (!MakeControl(ckb_sound_open.get(), Text(UiText::SOUND_ON), 0)) return 0;
  ckb_sound_open->SetCheck(g_config.sound_on != 0);
  SetDesignSize(281, 281);
  return 1;
}

LResult CWndSoundSetting::OnSize(WParam, LParam) {
  if (ckb_sound_open) Place(ckb_sound_open.get(), 35, 110, 211, 26);
  return 1;
}

void CWndSoundSetting::Confirm() {
  if (ckb_sound_open) g_config.sound_on = ckb_sound_open->GetCheck();
}

void CWndSoundSetting::ReleaseControls() { ORVANE_FREE(ckb_sound_open); }
