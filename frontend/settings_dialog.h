#pragma once
// What the three settings dialogs share: a top-level window opened on demand from the main
// window's menu, a menu bar whose two entries are the soft keys "确定" (left) and "取消" (right),
// confirm and cancel, release of the controls on close, and focus navigation over the controls.

#include <memory>
#include <vector>

#include "frontend/assertion.h"
#include "frontend/comnctls.h"
#include "frontend/language.h"
#include "frontend/wnd.h"

class CSettingsDialog : public CWnd {
 public:
  // Releases any old window and controls, then creates the window with fresh parameters; the
  // focus goes to the first control. Returns 1 when the window exists afterwards.
  int Open(WindowHandle parent);
  int IsOpen() const { return hwnd != NO_WINDOW; }

  // Key messages while the dialog has a window: 1 when the dialog took the message.
  virtual int PreTranslate(const Message& message);

  LResult OnCreate(WParam wparam, LParam lparam) override;
  LResult OnCommand(WParam wparam, LParam lparam) override;
  LResult OnClose(WParam wparam, LParam lparam) override;

  std::unique_ptr<CMenu> menu_bar;
  std::unique_ptr<CMenu> mitem_ok;
  std::unique_ptr<CMenu> mitem_cancel;

 protected:
  virtual UiText Title() const = 0;
  virtual UiText MenuText() const { return UiText::MENU; }
  // Builds the controls and fills them from the settings; 0 on the first failure.
  virtual int BuildControls() = 0;
  // Copies the dialog's values into g_config.
  virtual void Confirm() = 0;
  // A command from one of the dialog's own controls.
  virtual void ControlCommand(WParam) {}
  virtual void ReleaseControls() = 0;
  // The controls in focus order.
  virtual std::vector<CWnd*> TabOrder() const = 0;

  // Creates a control of this dialog with its text and style bits, in the system font unless
  // `system_font` is 0 (the lists and edit boxes keep the default). 0 when it cannot be created.
  template <class Control>
  int MakeControl(Control* control, const char16_t* text, std::uint32_t style_bits,
                  int system_font = 1) {
    if (!PrepareControl(control, text, style_bits)) return 0;
    ORVANE_CHECK(control->CreateControl(), 0);
    if (system_font) control->SetSystemFont();
    return 1;
  }

 private:
  int PrepareControl(CWnd* control, const char16_t* text, std::uint32_t style_bits);
  int BuildMenuBar();
  void ReleaseMenus();
};
