// Drawing the menu bar with its two soft keys and the open popups.
#include "platform/desktop.h"
#include "platform/font.h"

namespace {

constexpr int TEXT_INSET = 6;
constexpr char16_t SUBMENU_MARK[] = u"\u25B8";

std::u16string_view soft_key_text(const Desktop& d, MenuHandle menu, int key) {
  auto it = d.menus.find(menu);
  if (it == d.menus.end() || key >= static_cast<int>(it->second.items.size())) return {};
  return it->second.items[key].text;
}

void draw_entry(Canvas& canvas, const Desktop& d, const OpenPopup& popup, int index,
                const MenuItem& item) {
  Rect r = popup_entry_rect(d, popup, index);
  if (item.kind == MenuItem::Kind::SEPARATOR) {
    int middle = (r.top + r.bottom) / 2;
    canvas.fill({r.left + 2, middle, r.right - 2, middle + 1}, color::SHADOW);
    return;
  }
  bool lit = index == popup.highlighted;
  if (lit) canvas.fill(r, color::HIGHLIGHT);
  Color ink = lit ? color::HIGHLIGHT_TEXT : color::BLACK;
  int y = r.top + (r.height() - FONT_HEIGHT) / 2;
  canvas.text(r.left + TEXT_INSET, y, item.text, ink);
  if (item.kind == MenuItem::Kind::SUBMENU) canvas.text(r.right - 10, y, SUBMENU_MARK, ink);
}

}  // namespace

void draw_menu_bar(Desktop& d) {
  WindowHandle bar = visible_menu_bar(d);
  if (bar == NO_WINDOW) return;
  MenuHandle menu = d.menu_bars[bar].menu;
  Canvas canvas(d.surface, {}, d.surface.bounds());
  Rect r = menu_bar_rect(d);
  canvas.fill(r, color::BAR);
  int y = r.top + (r.height() - FONT_HEIGHT) / 2;
  canvas.text(TEXT_INSET, y, soft_key_text(d, menu, 0), color::BAR_TEXT);
  std::u16string_view right = soft_key_text(d, menu, 1);
  canvas.text(r.right - TEXT_INSET - text_width(right), y, right, color::BAR_TEXT);
  if (!d.popups.empty() && d.popup_key >= 0) {
    Rect key = soft_key_rect(d, d.popup_key);
    canvas.frame({key.left + 1, key.top + 1, key.right - 1, key.bottom - 1}, color::BAR_TEXT);
  }
}

void draw_popups(Desktop& d) {
  Canvas canvas(d.surface, {}, d.surface.bounds());
  for (const OpenPopup& popup : d.popups) {
    canvas.fill(popup.rect, color::FACE);
    canvas.frame(popup.rect, color::BLACK);
    auto it = d.menus.find(popup.menu);
    if (it == d.menus.end()) continue;
    for (int i = 0; i < static_cast<int>(it->second.items.size()); ++i) {
      draw_entry(canvas, d, popup, i, it->second.items[i]);
    }
  }
}
