#include "frontend/msgbox.h"

#include "frontend/assertion.h"
#include "frontend/encoder.h"
#include "frontend/language.h"
#include "frontend/owned.h"
#include "platform/font.h"

namespace {

constexpr int MARGIN = 4;
constexpr int LINE_HEIGHT = FONT_HEIGHT + 4;
constexpr int MAX_LINES = 12;

}  // namespace

std::vector<std::u16string> CMessageBox::Wrap(const std::u16string& text, int columns) {
  std::vector<std::u16string> out(1);
  int used = 0;
  for (char16_t c : text) {
    if (c == u'\n') {
      out.emplace_back();
      used = 0;
      continue;
    }
    int width = c < 0x80 ? 1 : 2;
    if (used + width > columns && !out.back().empty()) {
      out.emplace_back();
      used = 0;
    }
    out.back().push_back(c);
    used += width;
  }
  return out;
}

int CMessageBox::Show(const char16_t* title, const std::string& text) {
  ORVANE_CHECK(title, 0);
  if (hwnd != NO_WINDOW) OnClose(0, 0);
  int columns = (system_metric(Metric::SCREEN_WIDTH) - 2 * MARGIN) / (FONT_HEIGHT / 2);
  lines = Wrap(GbTextToUnicode(text), columns > 0 ? columns : 1);
  if (lines.size() > MAX_LINES) lines.resize(MAX_LINES);
  InitBasic();
  SetTitle(title);
  return Create();
}

LResult CMessageBox::OnCreate(WParam, LParam) {
  int y = MARGIN;
  int width = client_rect(hwnd).width() - 2 * MARGIN;
  for (const std::u16string& line : lines) {
    auto label = ORVANE_NEW(CStatic);
    label->SetParent(hwnd);
    label->SetTitle(line.c_str());
    ORVANE_CHECK(label->CreateControl(), 0);
    label->SetSystemFont();
    move_window(label->hwnd, MARGIN, y, width, LINE_HEIGHT, true);
    y += LINE_HEIGHT;
    st_lines.push_back(std::move(label));
  }
  menu_bar = ORVANE_NEW(CMenu);
  mitem_ok = ORVANE_NEW(CMenu);
  mitem_ok->SetText(Text(UiText::OK));
  ORVANE_CHECK(this->menu_bar->Create(), 0);
  menu_bar->AppendItem(mitem_ok.get());
  return CreateMenuBar(menu_bar.get());
}

LResult CMessageBox::OnCommand(WParam wparam, LParam) {
  if (mitem_ok && mitem_ok->IsMyCommand(wparam)) Close();
  return 1;
}

LResult CMessageBox::OnClose(WParam, LParam) {
  for (auto& label : st_lines) ORVANE_FREE(label);
  st_lines.clear();
  int released = Release();
  ORVANE_FREE(mitem_ok);
  ORVANE_FREE(menu_bar);
  return released;
}
