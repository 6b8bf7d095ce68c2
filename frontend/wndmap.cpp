#include "frontend/wndmap.h"

CWndMap wnd_map;

int CWndMap::Add(WindowHandle hwnd, CWnd* wnd) {
  if (hwnd == NO_WINDOW || wnd == nullptr) return 0;
  for (int i = 0; i < WND_MAP_SIZE; ++i) {
    if (hwnd_table_[i] == NO_WINDOW) {
      hwnd_table_[i] = hwnd;
      wnd_table_[i] = wnd;
      return 1;
    }
  }
  return 0;
}

CWnd* CWndMap::Find(WindowHandle hwnd) const {
  if (hwnd == NO_WINDOW) return nullptr;
  for (int i = 0; i < WND_MAP_SIZE; ++i) {
    if (hwnd_table_[i] == hwnd) return wnd_table_[i];
  }
  return nullptr;
}

int CWndMap::Remove(WindowHandle hwnd) {
  if (hwnd == NO_WINDOW) return 0;
  for (int i = 0; i < WND_MAP_SIZE; ++i) {
    if (hwnd_table_[i] == hwnd) {
      hwnd_table_[i] = NO_WINDOW;
      wnd_table_[i] = nullptr;
      return 1;
    }
  }
  return 0;
}

int CWndMap::Count() const {
  int count = 0;
  for (WindowHandle hwnd : hwnd_table_) count += hwnd != NO_WINDOW ? 1 : 0;
  return count;
}

void CWndMap::Clear() {
  for (int i = 0; i < WND_MAP_SIZE; ++i) {
    hwnd_table_[i] = NO_WINDOW;
    wnd_table_[i] = nullptr;
  }
  temp_ptr = nullptr;
}
