#include "frontend/wndvideosetting.h"

#include <climits>
#include <cstdlib>
#include <string>

#include "frontend/assertion.h"
#include "frontend/gbaconfig.h"
#include "frontend/owned.h"
#include "platform/messages.h"

namespace {

constexpr UiText SCALE_ITEMS[] = {UiText::SCALE_NONE, UiText::SCALE_DOUBLE, UiText::SCALE_STRETCH,
                                  UiText::SCALE_FIT};
constexpr int DELAY_TEXT_CAPACITY = 64;

std::u16string decimal_text(int value) {
  std::string digits = std::to_string(value);
  return std::u16string(digits.begin(), digits.end());
}

}  // namespace

int CWndVideoSetting::ScaleItemFor(int scale) { return scale >= 2 && scale <= 4 ? scale - 1 : 0; }

int CWndVideoSetting::ScaleForItem(int item) { return item >= 1 && item <= 3 ? item + 1 : 1; }

int CWndVideoSetting::DelayFromText(const std::u16string& text) {
  // The edit box holds UTF-16; digits, blanks and signs are ASCII, so anything else ends the
  // number as the runtime's conversion would.
  std::string narrow;
  for (char16_t c : text) narrow.push_back(c < 0x80 ? static_cast<char>(c) : '?');
  long value = std::strtol(narrow.c_str(), nullptr, 10);
  if (value > INT_MAX) return INT_MAX;
  if (value < INT_MIN) return INT_MIN;
  return static_cast<int>(value);
}

int CWndVideoSetting::BuildControls() {
  st_1 = ORVANE_NEW(CStatic);
  if (!MakeControl(st_1.get(), Text(UiText::FRAME_SKIP), 0)) return 0;
  cb_frame_skip = ORVANE_NEW(CCombBox);
  if (!MakeControl(cb_frame_skip.get(), u"", 0, 0)) return 0;
  st_3 = ORVANE_NEW(CStatic);
  if (!MakeControl(st_3.get(), Text(UiText::SCALE_MODE), 0)) return 0;
  cb_scale = ORVANE_NEW(CCombBox);
  if (!MakeControl(cb_scale.get(), u"", 0, 0)) return 0;
  ckb_use_2xsai = ORVANE_NEW(CCheckBox);
  if (!MakeControl(ckb_use_2xsai.get(), Text(UiText::USE_2XSAI), 0)) return 0;
  st_2 = ORVANE_NEW(CStatic);
  if (!MakeControl(st_2.get(), Text(UiText::DELAY_PER_FRAME), 0)) return 0;
  eb_delay = ORVANE_NEW(CEditBox);
  if (!MakeControl(eb_delay.get(), u"", style::BORDER | style::EDIT_AUTO_HSCROLL, 0)) return 0;
  pb_clear = ORVANE_NEW(CButton);
  if (!MakeControl(pb_clear.get(), Text(UiText::CLEAR), 0)) return 0;

  for (int i = 0; i < FRAME_SKIP_ITEMS; ++i) cb_frame_skip->AddString(decimal_text(i).c_str());
  cb_frame_skip->SetCurSel(g_config.frame_skip);
  ckb_use_2xsai->SetCheck(g_config.use_2xsai != 0);
  for (UiText item : SCALE_ITEMS) cb_scale->AddString(Text(item));
  cb_scale->SetCurSel(ScaleItemFor(g_config.scale));
  eb_delay->SetTitle(decimal_text(g_config.delay_per_frame).c_str());
  SetDesignSize(241, 321);
  return 1;
}

LResult CWndVideoSetting::OnSize(WParam, LParam) {
  if (!pb_clear) return 1;
  Place(st_1.get(), 15, 20, 191, 31);
  Place(cb_frame_skip.get(), 15, 55, 126, 120);
  Place(st_3.get(), 15, 85, 191, 21);
  Place(cb_scale.get(), 15, 120, 191, 120);
  Place(ckb_use_2xsai.get(), 15, 160, 186, 26);
  Place(st_2.get(), 15, 200, 191, 21);
  Place(eb_delay.get(), 15, 225, 126, 26);
  Place(pb_clear.get(), 150, 225, 86, 26);
  return 1;
}

void CWndVideoSetting::ControlCommand(WParam wparam) {
  if (pb_clear && low_word(wparam) == pb_clear->number && high_word(wparam) == notify::CLICKED) {
    eb_delay->SetTitle(u"0");
  }
}

void CWndVideoSetting::Confirm() {
  if (!pb_clear) return;
  // A frame skip outside the list shows no item; it stays as it was unless one is chosen.
  int frame_skip = cb_frame_skip->GetCurSel();
  if (frame_skip >= 0) g_config.frame_skip = frame_skip;
  g_config.scale = ScaleForItem(cb_scale->GetCurSel());
  g_config.use_2xsai = ckb_use_2xsai->GetCheck();
  std::u16string delay;
  eb_delay->GetText(delay, DELAY_TEXT_CAPACITY);
  g_config.delay_per_frame = DelayFromText(delay);
}

void CWndVideoSetting::ReleaseControls() {
  ORVANE_FREE(st_1);
  ORVANE_FREE(cb_frame_skip);
  ORVANE_FREE(st_3);
  ORVANE_FREE(cb_scale);
  ORVANE_FREE(ckb_use_2xsai);
  ORVANE_FREE(st_2);
  ORVANE_FREE(eb_delay);
  ORVANE_FREE(pb_clear);
}

std::vector<CWnd*> CWndVideoSetting::TabOrder() const {
  return {cb_frame_skip.get(), cb_scale.get(), ckb_use_2xsai.get(), eb_delay.get(), pb_clear.get()};
}
