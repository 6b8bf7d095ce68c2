#include "frontend/wnd.h"

#include <algorithm>
#include <cwctype>

#include "frontend/assertion.h"
#include "frontend/comnctls.h"
#include "frontend/wndmap.h"
#include "platform/keys.h"
#include "platform/menus.h"
#include "platform/messages.h"

// Reports a condition that cannot be written as the C++ test it stands for.
#define ORVANE_REPORT(text) report_assertion(text, __FILE__, __LINE__)

namespace {

unsigned object_counter = FIRST_OBJECT_NUMBER;

void free_params(std::unique_ptr<CreateParams>& params) {
  if (params) ORVANE_TRACE_FREE(params.get());
  params.reset();
}

LResult handler_for(CWnd& wnd, unsigned message, WParam wparam, LParam lparam) {
  switch (message) {
    case msg::PAINT: return wnd.OnPaint(wparam, lparam);
    case msg::SIZE: return wnd.OnSize(wparam, lparam);
    case msg::COMMAND: return wnd.OnCommand(wparam, lparam);
    case msg::NOTIFY: return wnd.OnNotify(wparam, lparam);
    case msg::LEFT_DOWN: return wnd.OnLButtonDown(wparam, lparam);
    case msg::LEFT_UP: return wnd.OnLButtonUp(wparam, lparam);
    case msg::RIGHT_DOWN: return wnd.OnRButtonDown(wparam, lparam);
    case msg::RIGHT_UP: return wnd.OnRButtonUp(wparam, lparam);
    case msg::HSCROLL:
    case msg::VSCROLL: return wnd.OnScroll(wparam, lparam);
    case msg::MOUSE_MOVE: return wnd.OnMouseMove(wparam, lparam);
    case msg::CHARACTER: return wnd.OnChar(wparam, lparam);
    case msg::KEY_DOWN: return wnd.OnKeyDown(wparam, lparam);
    case msg::KEY_UP: return wnd.OnKeyUp(wparam, lparam);
    case msg::POSITION_CHANGED: return wnd.OnWindowPosChanged(wparam, lparam);
    case msg::USER_HANDLER: return wnd.OnUserMessage(wparam, lparam);
    default: return 0;
  }
}

}  // namespace

unsigned TakeObjectNumber() { return object_counter++; }
unsigned PeekObjectNumber() { return object_counter; }

CWnd::CWnd() { InitBasic(); }

CWnd::~CWnd() { Release(); }

LResult CWnd::WindowProc(unsigned message, WParam wparam, LParam lparam) {
  if (state == WND_IN_CREATE || state == WND_IN_CLOSE) {
    return default_window_procedure(hwnd, message, wparam, lparam);
  }
  WindowHandle self = hwnd;
  if (message == msg::CREATE) {
    state = WND_IN_CREATE;
    OnCreate(wparam, lparam);
    state = WND_IDLE;
    return default_window_procedure(self, message, wparam, lparam);
  }
  if (message == msg::CLOSE) {
    state = WND_IN_CLOSE;
    OnClose(wparam, lparam);
    state = WND_IDLE;
    return 1;
  }
  handler_for(*this, message, wparam, lparam);
  return default_window_procedure(self, message, wparam, lparam);
}

LResult CWnd::OnClose(WParam, LParam) { return Release(); }

LResult CWnd::OnPaint(WParam, LParam) {
  begin_paint(hwnd);
  end_paint(hwnd);
  return 1;
}

LResult CWnd::OnCreate(WParam, LParam) { return 1; }
LResult CWnd::OnSize(WParam, LParam) { return 1; }
LResult CWnd::OnCommand(WParam, LParam) { return 1; }
LResult CWnd::OnNotify(WParam, LParam) { return 1; }
LResult CWnd::OnLButtonDown(WParam, LParam) { return 1; }
LResult CWnd::OnLButtonUp(WParam, LParam) { return 1; }
LResult CWnd::OnRButtonDown(WParam, LParam) { return 1; }
LResult CWnd::OnRButtonUp(WParam, LParam) { return 1; }
LResult CWnd::OnScroll(WParam, LParam) { return 1; }
LResult CWnd::OnMouseMove(WParam, LParam) { return 1; }
LResult CWnd::OnChar(WParam, LParam) { return 1; }
LResult CWnd::OnKeyDown(WParam, LParam) { return 1; }
LResult CWnd::OnKeyUp(WParam, LParam) { return 1; }
LResult CWnd::OnWindowPosChanged(WParam, LParam) { return 1; }
LResult CWnd::OnUserMessage(WParam, LParam) { return 1; }

int CWnd::RegisterWndClass() {
  return register_window_class({DEF_WND_CLASS, &CWnd::DispatchProc, color::WHITE}) ? 1 : 0;
}

LResult CWnd::DispatchProc(WindowHandle window, unsigned message, WParam wparam, LParam lparam) {
  CWnd* wnd = wnd_map.Find(window);
  if (wnd == nullptr) {
    ORVANE_CHECK(wnd_map.temp_ptr, 0);
    wnd = wnd_map.temp_ptr;
    wnd_map.Add(window, wnd);  // a full map leaves the window without later messages
    wnd->hwnd = window;
    wnd_map.temp_ptr = nullptr;
  }
  LResult result = wnd->WindowProc(message, wparam, lparam);
  if (message == msg::DESTROY) {
    // However the window went (its parent destroyed, the system closed), the slot is free again
    // and the object knows it has no window.
    if (wnd_map.Find(window) == wnd) wnd_map.Remove(window);
    if (wnd->hwnd == window) wnd->hwnd = NO_WINDOW;
  }
  return result;
}

int CWnd::InitBasic() {
  free_params(params);
  params = std::make_unique<CreateParams>();
  ORVANE_TRACE_ALLOC(params.get(), "CreateParams");
  params->number = TakeObjectNumber();
  return 1;
}

int CWnd::Create() {
  if (hwnd != NO_WINDOW) {
    ORVANE_REPORT("this->hwnd == NULL");
    return 0;
  }
  ORVANE_CHECK(this->params, 0);
  wnd_map.temp_ptr = this;
  WindowHandle created =
      create_window({params->class_name, params->title, params->style, params->ex_style, params->x,
                     params->y, params->width, params->height, NO_WINDOW, 0, params->instance});
  if (wnd_map.temp_ptr == this) wnd_map.temp_ptr = nullptr;  // never left for another window
  hwnd = created;
  ORVANE_CHECK(this->hwnd, 0);
  is_attached = 0;
  number = params->number;
  return 1;
}

int CWnd::CreateControl(const char16_t* class_name) {
  if (hwnd != NO_WINDOW) {
    ORVANE_REPORT("this->hwnd == NULL");
    return 0;
  }
  ORVANE_CHECK(this->params, 0);
  ORVANE_CHECK(class_name, 0);
  hwnd = create_window({class_name, params->title, params->style, params->ex_style, params->x,
                        params->y, params->width, params->height, params->parent, params->number,
                        params->instance});
  ORVANE_CHECK(this->hwnd, 0);
  is_attached = 0;
  number = params->number;
  return 1;
}

int CWnd::Attach(WindowHandle window) {
  if (hwnd != NO_WINDOW) {
    ORVANE_REPORT("this->hwnd == NULL");
    return 0;
  }
  ORVANE_CHECK(is_window(window), 0);
  hwnd = window;
  is_attached = 1;
  number = window_number(window);
  return 1;
}

int CWnd::Release() {
  free_params(params);
  WindowHandle window = hwnd;
  if (!is_attached && window != NO_WINDOW) {
    destroy_window(window);
    wnd_map.Remove(window);
  }
  hwnd = NO_WINDOW;
  is_attached = 0;
  design_width = 0;
  design_height = 0;
  return 1;
}

int CWnd::SetTitle(const char16_t* title) {
  ORVANE_CHECK(title, 0);
  if (params) params->title = std::u16string(title).substr(0, MAX_WINDOW_TEXT);
  if (hwnd != NO_WINDOW) send_message(hwnd, msg::SET_TEXT, 0, reinterpret_cast<LParam>(title));
  return 1;
}

int CWnd::GetText(char16_t* buffer, int capacity) const {
  ORVANE_CHECK(buffer && capacity > 0, 0);
  buffer[0] = 0;
  ORVANE_CHECK(this->hwnd, 0);
  return static_cast<int>(send_message(hwnd, msg::GET_TEXT, static_cast<WParam>(capacity),
                                       reinterpret_cast<LParam>(buffer)));
}

int CWnd::SetParent(WindowHandle parent) {
  ORVANE_CHECK(this->params, 0);
  params->parent = parent;
  return 1;
}

int CWnd::SetDesignSize(int width, int height) {
  ORVANE_CHECK(width >= 0 && height >= 0, 0);
  design_width = width;
  design_height = height;
  return 1;
}

int CWnd::AddStyle(std::uint32_t bits) {
  if (hwnd != NO_WINDOW) return set_window_style(hwnd, window_style(hwnd) | bits) ? 1 : 0;
  ORVANE_CHECK(this->params, 0);
  params->style |= bits;
  return 1;
}

int CWnd::SetSystemFont() {
  ORVANE_CHECK(this->hwnd, 0);
  send_message(hwnd, msg::SET_FONT, 0, 1);
  invalidate_window(hwnd);
  return 1;
}

int CWnd::Enable(int enable) {
  ORVANE_CHECK(this->hwnd, 0);
  enable_window(hwnd, enable != 0);
  return 1;
}

int CWnd::SetFocus() {
  ORVANE_CHECK(this->hwnd, 0);
  set_focus(hwnd);
  return 1;
}

int CWnd::Close() {
  ORVANE_CHECK(this->hwnd, 0);
  return post_message(hwnd, msg::CLOSE, 0, reinterpret_cast<LParam>(this)) ? 1 : 0;
}

int CWnd::ScaleRect(Rect* vr) const {
  ORVANE_CHECK(vr, 0);
  Rect client = client_rect(hwnd);
  if (client.empty() || design_width <= 0 || design_height <= 0) return 1;
  // Product first, then the division, so that small design sizes keep their precision.
  vr->left = vr->left * client.width() / design_width;
  vr->right = vr->right * client.width() / design_width;
  vr->top = vr->top * client.height() / design_height;
  vr->bottom = vr->bottom * client.height() / design_height;
  return 1;
}

int CWnd::Place(CWnd* control, int x, int y, int width, int height) {
  ORVANE_CHECK(control, 0);
  Rect r{x, y, x + width, y + height};
  if (!ScaleRect(&r)) return 0;
  ORVANE_CHECK(is_window(control->hwnd), 0);
  move_window(control->hwnd, r.left, r.top, r.width(), r.height(), true);
  return 1;
}

int CWnd::CreateMenuBar(CMenu* menu) {
  ORVANE_CHECK(menu, 0);
  ORVANE_CHECK(this->hwnd, 0);
  WindowHandle hwnd_cb = create_menu_bar(hwnd, menu->hmenu);
  ORVANE_CHECK(hwnd_cb, 0);
  Rect outer = window_rect(hwnd);
  int top = std::max(outer.top, system_metric(Metric::CAPTION_HEIGHT));
  int bottom = std::min(outer.bottom, window_rect(hwnd_cb).top);
  move_window(hwnd, outer.left, top, outer.width(), std::max(0, bottom - top), true);
  return 1;
}

namespace {

bool same_class(WindowHandle window, std::u16string_view name) {
  std::u16string actual = window_class_name(window);
  return actual.size() == name.size() &&
         std::equal(actual.begin(), actual.end(), name.begin(), [](char16_t a, char16_t b) {
           return std::towlower(static_cast<wint_t>(a)) == std::towlower(static_cast<wint_t>(b));
         });
}

bool is_push_button(WindowHandle window) {
  return same_class(window, u"BUTTON") && (window_style(window) & style::BUTTON_KIND_MASK) <= 1;
}

bool is_edit(WindowHandle window) { return same_class(window, u"EDIT"); }

bool is_multiline_edit(WindowHandle window) {
  return is_edit(window) && (window_style(window) & style::EDIT_MULTILINE) != 0;
}

// Controls that use up and down themselves.
bool uses_vertical_keys(WindowHandle window) {
  return is_multiline_edit(window) || same_class(window, u"LISTBOX") ||
         same_class(window, u"SysListView32") || same_class(window, u"COMBOBOX");
}

bool is_disabled(const CWnd* control) {
  return control == nullptr || !is_window(control->hwnd) ||
         (window_style(control->hwnd) & style::DISABLED) != 0;
}

// +1 forward, -1 backward, 0 for a key the navigation leaves alone.
int direction_of(WParam key, WindowHandle focused) {
  switch (key) {
    case vk::LEFT: return is_edit(focused) ? 0 : -1;
    case vk::RIGHT: return is_edit(focused) ? 0 : 1;
    case vk::UP: return uses_vertical_keys(focused) ? 0 : -1;
    case vk::DOWN: return uses_vertical_keys(focused) ? 0 : 1;
    case vk::TAB: return 1;
    default: return 0;
  }
}

void move_focus(WindowHandle from, WindowHandle to) {
  if (is_push_button(from)) send_message(from, msg::SET_BUTTON_STYLE, style::PUSH_BUTTON, 1);
  set_focus(to);
  if (is_push_button(to)) send_message(to, msg::SET_BUTTON_STYLE, style::DEFAULT_PUSH_BUTTON, 1);
}

}  // namespace

int CWnd::NavigateFocus(const Message* message, CWnd* const* tab_list, int count) {
  if (message == nullptr || tab_list == nullptr) {
    ORVANE_REPORT("msg && tab_list");
    return 0;
  }
  if (message->message != msg::KEY_DOWN || hwnd == NO_WINDOW || active_window() != hwnd) return 0;
  WindowHandle focused = focus_window();
  int direction = direction_of(message->wparam, focused);
  if (direction == 0 || count <= 0) return 0;
  int current = -1;
  if (focused == hwnd) {
    current = count - 1;  // the search below starts at the first control
    direction = 1;
  } else {
    for (int i = 0; i < count; ++i) {
      if (tab_list[i] != nullptr && tab_list[i]->hwnd == focused) current = i;
    }
    if (current < 0) return 0;
  }
  for (int step = 1; step <= count; ++step) {
    int index = ((current + direction * step) % count + count) % count;
    if (!is_disabled(tab_list[index])) {
      if (tab_list[index]->hwnd != focused) move_focus(focused, tab_list[index]->hwnd);
      return 1;
    }
  }
  return 1;  // every control disabled: the focus stays, the key is still the navigation's
}
