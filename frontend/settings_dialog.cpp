#include "frontend/settings_dialog.h"

#include "frontend/assertion.h"
#include "frontend/owned.h"
#include "platform/messages.h"

int CSettingsDialog::Open(WindowHandle parent) {
  if (hwnd != NO_WINDOW) OnClose(0, 0);
  InitBasic();
  SetTitle(Text(Title()));
  SetParent(parent);
  if (!Create()) return 0;
  std::vector<CWnd*> order = TabOrder();
  if (!order.empty() && order.front() != nullptr && order.front()->hwnd != NO_WINDOW) {
    order.front()->SetFocus();
  }
  return hwnd != NO_WINDOW ? 1 : 0;
}

int CSettingsDialog::PreTranslate(const Message& message) {
  std::vector<CWnd*> order = TabOrder();
  return NavigateFocus(&message, order.data(), static_cast<int>(order.size()));
}

LResult CSettingsDialog::OnCreate(WParam, LParam) {
  if (!BuildControls()) return 0;
  if (!BuildMenuBar()) return 0;
  OnSize(0, 0);
  return 1;
}

LResult CSettingsDialog::OnCommand(WParam wparam, LParam) {
  if (mitem_ok && mitem_ok->IsMyCommand(wparam)) {
    Confirm();
    Close();
  } else if (mitem_cancel && mitem_cancel->IsMyCommand(wparam)) {
    Close();
  } else {
    ControlCommand(wparam);
  }
  return 1;
}

LResult CSettingsDialog::OnClose(WParam, LParam) {
  ReleaseControls();
  int released = Release();
  ReleaseMenus();  // after the window, whose menu bar shows them until it goes
  return released;
}

int CSettingsDialog::PrepareControl(CWnd* control, const char16_t* text, std::uint32_t style_bits) {
  ORVANE_CHECK(control, 0);
  control->SetParent(hwnd);
  control->SetTitle(text);
  control->AddStyle(style_bits);
  return 1;
}

int CSettingsDialog::BuildMenuBar() {
  menu_bar = ORVANE_NEW(CMenu);
  mitem_ok = ORVANE_NEW(CMenu);
  mitem_cancel = ORVANE_NEW(CMenu);
  menu_bar->SetText(Text(MenuText()));
  mitem_ok->SetText(Text(UiText::OK));
  mitem_cancel->SetText(Text(UiText::CANCEL));
  ORVANE_CHECK(this->menu_bar->Create(), 0);
  // The bar shows its first two entries as the soft keys: confirm on the left, cancel on the right.
  ORVANE_CHECK(this->mitem_ok && menu_bar->AppendItem(mitem_ok.get()), 0);
  ORVANE_CHECK(this->mitem_cancel && menu_bar->AppendItem(mitem_cancel.get()), 0);
  return CreateMenuBar(menu_bar.get());
}

void CSettingsDialog::ReleaseMenus() {
  ORVANE_FREE(mitem_cancel);
  ORVANE_FREE(mitem_ok);
  ORVANE_FREE(menu_bar);
}
