#pragma once
// The map from window handles to the objects that own them, through which the one window class
// routes each message to the right object.

#include "platform/types.h"

class CWnd;

constexpr int WND_MAP_SIZE = 256;

class CWndMap {
 public:
  // Enters the pair in the first free slot: 1, or 0 when the handle or object is null or every
  // slot is taken.
  int Add(WindowHandle hwnd, CWnd* wnd);
  CWnd* Find(WindowHandle hwnd) const;
  int Remove(WindowHandle hwnd);
  int Count() const;
  void Clear();

  // The object whose window is being created: its first messages arrive before the handle is known.
  CWnd* temp_ptr = nullptr;

 private:
  WindowHandle hwnd_table_[WND_MAP_SIZE] = {};
  CWnd* wnd_table_[WND_MAP_SIZE] = {};
};

extern CWndMap wnd_map;
