#include "frontend/comnctls.h"

#include "frontend/assertion.h"
#include "platform/menus.h"
#include "platform/messages.h"

int CButton::CreateControl() {
  ORVANE_CHECK(this->params, 0);
  params->style |= CONTROL_STYLE;
  return CWnd::CreateControl(u"BUTTON");
}

int CButton::SetCheck(int checked) {
  ORVANE_CHECK(this->hwnd, 0);
  send_message(hwnd, msg::SET_CHECK, checked ? CHECKED : UNCHECKED, 0);
  return 1;
}

int CButton::GetCheck() const {
  ORVANE_CHECK(this->hwnd, 0);
  return send_message(hwnd, msg::GET_CHECK, 0, 0) == CHECKED ? 1 : 0;
}

int CCheckBox::CreateControl() {
  ORVANE_CHECK(this->params, 0);
  params->style = (params->style & ~style::BUTTON_KIND_MASK) | style::AUTO_CHECK_BOX;
  return CButton::CreateControl();
}

int CStatic::CreateControl() {
  ORVANE_CHECK(this->params, 0);
  params->style |= CONTROL_STYLE;
  return CWnd::CreateControl(u"STATIC");
}

int CEditBox::CreateControl() {
  ORVANE_CHECK(this->params, 0);
  params->style |= CONTROL_STYLE;
  return CWnd::CreateControl(u"EDIT");
}

int CEditBox::GetText(std::u16string& text, int capacity) const {
  text.clear();
  ORVANE_CHECK(this->hwnd, 0);
  ORVANE_CHECK(capacity > 0, 0);
  std::u16string buffer(static_cast<std::size_t>(capacity), u'\0');
  LResult length = send_message(hwnd, msg::GET_TEXT, static_cast<WParam>(capacity),
                                reinterpret_cast<LParam>(buffer.data()));
  text.assign(buffer.data(), static_cast<std::size_t>(length));
  return 1;
}

int CEditBox::SetLimit(int characters) {
  ORVANE_CHECK(this->hwnd, 0);
  ORVANE_CHECK(characters > 0, 0);
  send_message(hwnd, msg::EDIT_LIMIT_TEXT, static_cast<WParam>(characters), 0);
  return 1;
}

int CCombBox::CreateControl() {
  ORVANE_CHECK(this->params, 0);
  params->style |= COMBO_STYLE;
  return CWnd::CreateControl(u"COMBOBOX");
}

int CCombBox::AddString(const char16_t* text) {
  ORVANE_CHECK(text, -1);
  ORVANE_CHECK(this->hwnd, -1);
  return static_cast<int>(
      send_message(hwnd, msg::COMBO_ADD_STRING, 0, reinterpret_cast<LParam>(text)));
}

int CCombBox::GetCurSel() const {
  ORVANE_CHECK(this->hwnd, -1);
  return static_cast<int>(send_message(hwnd, msg::COMBO_GET_SELECTION, 0, 0));
}

int CCombBox::SetCurSel(int index) {
  ORVANE_CHECK(this->hwnd, -1);
  return static_cast<int>(
      send_message(hwnd, msg::COMBO_SET_SELECTION, static_cast<WParam>(index), 0));
}

int CCombBox::GetCount() const {
  ORVANE_CHECK(this->hwnd, 0);
  return static_cast<int>(send_message(hwnd, msg::COMBO_GET_COUNT, 0, 0));
}

int CCombBox::ResetContent() {
  ORVANE_CHECK(this->hwnd, 0);
  send_message(hwnd, msg::COMBO_RESET, 0, 0);
  return 1;
}

CMenu::CMenu() : number(TakeObjectNumber()) {}

CMenu::~CMenu() { Destroy(); }

int CMenu::Create() {
  ORVANE_CHECK(this->hmenu == NO_MENU, 0);
  hmenu = create_menu();
  ORVANE_CHECK(this->hmenu, 0);
  return 1;
}

int CMenu::Destroy() {
  if (hmenu != NO_MENU) destroy_menu(hmenu);
  hmenu = NO_MENU;
  parent_hmenu = NO_MENU;
  return 1;
}

int CMenu::SetText(const char16_t* new_text) {
  ORVANE_CHECK(new_text, 0);
  ORVANE_CHECK(this->hmenu == NO_MENU, 0);
  text = new_text;
  return 1;
}

int CMenu::AppendItem(const CMenu* item) {
  ORVANE_CHECK(item, 0);
  ORVANE_CHECK(this->hmenu, 0);
  return append_menu_item(hmenu, item->number, item->text) ? 1 : 0;
}

int CMenu::AppendSubMenu(CMenu* submenu) {
  ORVANE_CHECK(submenu, 0);
  ORVANE_CHECK(this->hmenu, 0);
  ORVANE_CHECK(submenu->hmenu, 0);
  if (!append_submenu(hmenu, submenu->hmenu, submenu->text)) return 0;
  submenu->parent_hmenu = hmenu;
  return 1;
}

int CMenu::AppendSeparator() {
  ORVANE_CHECK(this->hmenu, 0);
  return append_menu_separator(hmenu) ? 1 : 0;
}

int CMenu::IsMyCommand(WParam wparam) const {
  return low_word(wparam) == (number & 0xFFFF) ? 1 : 0;
}

int CPopupMenu::Create() {
  ORVANE_CHECK(this->hmenu == NO_MENU, 0);
  hmenu = create_popup_menu();
  ORVANE_CHECK(this->hmenu, 0);
  return 1;
}

int CPopupMenu::SetOwner(WindowHandle window) {
  owner = window;
  return 1;
}
