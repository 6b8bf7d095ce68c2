#pragma once
// Menus, the menu bar at the bottom of the screen with its two soft keys, and the popups that open
// upward from it.

#include <string_view>

#include "platform/types.h"

MenuHandle create_menu();
MenuHandle create_popup_menu();
bool destroy_menu(MenuHandle menu);
bool is_menu(MenuHandle menu);

// The longest entry text kept; longer texts are cut.
constexpr std::size_t MAX_MENU_TEXT = 128;

bool append_menu_item(MenuHandle menu, unsigned number, std::u16string_view text);
bool append_submenu(MenuHandle menu, MenuHandle submenu, std::u16string_view text);
bool append_menu_separator(MenuHandle menu);
int menu_item_count(MenuHandle menu);

// The bar window that shows `menu`'s first two entries as the left and right soft keys for
// `owner`; an entry that is a submenu opens as a popup, a plain entry posts command (273) with its
// number to the owner. NO_WINDOW for a dead owner, a dead menu or an owner that already has a bar.
WindowHandle create_menu_bar(WindowHandle owner, MenuHandle menu);
WindowHandle menu_bar_of(WindowHandle owner);

// Presses soft key 0 (left) or 1 (right) of the bar on screen, as F1 and F2 do.
bool press_soft_key(int key, bool by_keyboard);
bool menu_is_open();
void close_menus();
