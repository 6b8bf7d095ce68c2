#pragma once
// A message for the person: a window with the message's lines and one soft key "确定" that
// closes it. It does not wait; the program goes on while it shows.

#include <memory>
#include <string>
#include <vector>

#include "frontend/comnctls.h"

class CMessageBox : public CWnd {
 public:
  // Shows `text` (UTF-8), wrapped to the screen's width, under `title`. A message already shown is
  // replaced.
  int Show(const char16_t* title, const std::string& text);
  int IsOpen() const { return hwnd != NO_WINDOW; }
  // The lines shown, for the message's readers and tests.
  const std::vector<std::u16string>& Lines() const { return lines; }

  LResult OnCreate(WParam wparam, LParam lparam) override;
  LResult OnCommand(WParam wparam, LParam lparam) override;
  LResult OnClose(WParam wparam, LParam lparam) override;

  // Cuts `text` into lines of at most `columns` columns (a wide character takes two).
  static std::vector<std::u16string> Wrap(const std::u16string& text, int columns);

 private:
  std::vector<std::u16string> lines;
  std::vector<std::unique_ptr<CStatic>> st_lines;
  std::unique_ptr<CMenu> menu_bar;
  std::unique_ptr<CMenu> mitem_ok;
};
