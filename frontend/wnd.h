#pragma once
// The window framework: a CWnd owns one window and receives its messages through virtual handlers;
// the one registered window class routes every message to the object through wnd_map.

#include <cstdint>
#include <memory>
#include <string>

#include "platform/styles.h"
#include "platform/types.h"
#include "platform/window_system.h"

class CMenu;

constexpr char16_t DEF_WND_CLASS[] = u"DEF_WND_CLASS";
constexpr unsigned FIRST_OBJECT_NUMBER = 1000;

// Windows, controls and menu entries take their numbers from one process-wide counter.
unsigned TakeObjectNumber();
unsigned PeekObjectNumber();

// Everything a window is created from.
struct CreateParams {
  std::u16string title;
  int x = USE_DEFAULT;
  int y = USE_DEFAULT;
  int width = USE_DEFAULT;
  int height = USE_DEFAULT;
  std::uint32_t style = style::VISIBLE;
  std::uint32_t ex_style = 0;
  std::u16string class_name = DEF_WND_CLASS;
  WindowHandle parent = NO_WINDOW;
  void* instance = nullptr;
  unsigned number = 0;
};

// What the object's window procedure is inside.
enum WndState { WND_IDLE = 0, WND_IN_CREATE = 1, WND_IN_CLOSE = 2 };

class CWnd {
 public:
  CWnd();
  virtual ~CWnd();
  CWnd(const CWnd&) = delete;
  CWnd& operator=(const CWnd&) = delete;

  // The handlers, each with the message's two parameters. Defaults do nothing and return 1;
  // close releases the window, paint begins and ends painting.
  virtual LResult WindowProc(unsigned message, WParam wparam, LParam lparam);
  virtual LResult OnClose(WParam wparam, LParam lparam);
  virtual LResult OnPaint(WParam wparam, LParam lparam);
  virtual LResult OnCreate(WParam wparam, LParam lparam);
  virtual LResult OnSize(WParam wparam, LParam lparam);
  virtual LResult OnCommand(WParam wparam, LParam lparam);
  virtual LResult OnNotify(WParam wparam, LParam lparam);
  virtual LResult OnLButtonDown(WParam wparam, LParam lparam);
  virtual LResult OnLButtonUp(WParam wparam, LParam lparam);
  virtual LResult OnRButtonDown(WParam wparam, LParam lparam);
  virtual LResult OnRButtonUp(WParam wparam, LParam lparam);
  virtual LResult OnScroll(WParam wparam, LParam lparam);
  virtual LResult OnMouseMove(WParam wparam, LParam lparam);
  virtual LResult OnChar(WParam wparam, LParam lparam);
  virtual LResult OnKeyDown(WParam wparam, LParam lparam);
  virtual LResult OnKeyUp(WParam wparam, LParam lparam);
  virtual LResult OnWindowPosChanged(WParam wparam, LParam lparam);
  virtual LResult OnUserMessage(WParam wparam, LParam lparam);

  // The framework's window class, registered once per window system.
  static int RegisterWndClass();
  static LResult DispatchProc(WindowHandle hwnd, unsigned message, WParam wparam, LParam lparam);

  // Fresh creation parameters with the defaults and the next number.
  int InitBasic();
  int Create();
  int CreateControl(const char16_t* class_name);
  // Takes over an existing window, which is then not destroyed with the object.
  int Attach(WindowHandle window);
  int Release();

  int SetTitle(const char16_t* title);
  int GetText(char16_t* buffer, int capacity) const;
  int SetParent(WindowHandle parent);
  int SetDesignSize(int width, int height);
  int AddStyle(std::uint32_t bits);
  int SetSystemFont();
  int Enable(int enable);
  int SetFocus();
  int Close();

  // Puts `control` at a rectangle of design units scaled to this window's client area.
  int Place(CWnd* control, int x, int y, int width, int height);
  // The dialogs' direction and tab keys: returns 1 when the key moved the focus (consumed).
  int NavigateFocus(const Message* message, CWnd* const* tab_list, int count);
  // Creates the menu bar from `menu` and fits the window between the caption and the bar.
  int CreateMenuBar(CMenu* menu);

  unsigned number = 0;
  WindowHandle hwnd = NO_WINDOW;
  int is_attached = 0;
  std::unique_ptr<CreateParams> params;
  int design_width = 0;
  int design_height = 0;
  int state = WND_IDLE;

 protected:
  int ScaleRect(Rect* vr) const;
};
