#pragma once
// The controls (button, check box, static text, edit box, combo box) and the menus, as objects of
// the window framework.

#include <string>

#include "frontend/wnd.h"

// Child, visible, tab stop.
constexpr std::uint32_t CONTROL_STYLE = 0x50010000;
// Child, visible, border, vertical scroll, tab stop, drop-down.
constexpr std::uint32_t COMBO_STYLE = 0x50A10002;

class CButton : public CWnd {
 public:
  using CWnd::CreateControl;
  virtual int CreateControl();
  int SetCheck(int checked);
  int GetCheck() const;
};

class CCheckBox : public CButton {
 public:
  using CWnd::CreateControl;
  int CreateControl() override;
};

class CStatic : public CWnd {
 public:
  using CWnd::CreateControl;
  virtual int CreateControl();
};

class CEditBox : public CWnd {
 public:
  using CWnd::CreateControl;
  virtual int CreateControl();
  // The text, cut to `capacity` - 1 characters.
  int GetText(std::u16string& text, int capacity = static_cast<int>(MAX_WINDOW_TEXT)) const;
  int SetLimit(int characters);
};

class CCombBox : public CWnd {
 public:
  using CWnd::CreateControl;
  virtual int CreateControl();
  // The new item's index, or -1.
  int AddString(const char16_t* text);
  int GetCurSel() const;
  int SetCurSel(int index);
  int GetCount() const;
  int ResetContent();
};

// A menu, or an entry of one: every object takes a number; entries need no handle of their own.
class CMenu {
 public:
  CMenu();
  virtual ~CMenu();
  CMenu(const CMenu&) = delete;
  CMenu& operator=(const CMenu&) = delete;

  virtual int Create();
  int Destroy();
  int SetText(const char16_t* text);  // only before the menu exists
  int AppendItem(const CMenu* item);
  int AppendSubMenu(CMenu* submenu);
  int AppendSeparator();
  int IsMyCommand(WParam wparam) const;

  MenuHandle hmenu = NO_MENU;
  MenuHandle parent_hmenu = NO_MENU;
  std::u16string text;
  unsigned number = 0;
  WindowHandle owner = NO_WINDOW;
};

class CPopupMenu : public CMenu {
 public:
  int Create() override;
  int SetOwner(WindowHandle window);
};
