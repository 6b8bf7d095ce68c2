#pragma once
// Message numbers and control notification codes, with the meanings the front end relies on.

namespace msg {
constexpr unsigned CREATE = 1;
constexpr unsigned DESTROY = 2;
constexpr unsigned SIZE = 5;
constexpr unsigned ACTIVATE = 6;  // wparam: ACTIVE or INACTIVE
constexpr unsigned SET_FOCUS = 7;
constexpr unsigned KILL_FOCUS = 8;
constexpr unsigned ENABLE = 10;
constexpr unsigned SET_TEXT = 12;  // lparam: const char16_t*
constexpr unsigned GET_TEXT = 13;  // wparam: capacity in characters, lparam: char16_t*
constexpr unsigned GET_TEXT_LENGTH = 14;
constexpr unsigned PAINT = 15;
constexpr unsigned CLOSE = 16;
constexpr unsigned SET_FONT = 48;
constexpr unsigned POSITION_CHANGED = 71;
constexpr unsigned NOTIFY = 78;
constexpr unsigned HIT_TEST = 132;  // lparam: point in client coordinates; 0 lets the stylus pass
constexpr unsigned KEY_DOWN = 256;
constexpr unsigned KEY_UP = 257;
constexpr unsigned CHARACTER = 258;
constexpr unsigned COMMAND = 273;
constexpr unsigned HSCROLL = 276;
constexpr unsigned VSCROLL = 277;
constexpr unsigned MOUSE_MOVE = 512;
constexpr unsigned LEFT_DOWN = 513;
constexpr unsigned LEFT_UP = 514;
constexpr unsigned RIGHT_DOWN = 516;
constexpr unsigned RIGHT_UP = 517;
constexpr unsigned USER = 1024;
constexpr unsigned USER_HANDLER = USER + 101;  // 1125

// Buttons and check boxes.
constexpr unsigned GET_CHECK = 240;
constexpr unsigned SET_CHECK = 241;
constexpr unsigned SET_BUTTON_STYLE = 244;  // wparam: the new low style bits; lparam: redraw

// Edit boxes.
constexpr unsigned EDIT_GET_SELECTION = 176;  // returns the caret position
constexpr unsigned EDIT_SET_SELECTION = 177;  // wparam: the caret position
constexpr unsigned EDIT_LIMIT_TEXT = 197;     // wparam: most characters kept

// Combo boxes.
constexpr unsigned COMBO_ADD_STRING = 323;  // lparam: const char16_t*; returns the index or -1
constexpr unsigned COMBO_DELETE_STRING = 324;
constexpr unsigned COMBO_GET_COUNT = 326;
constexpr unsigned COMBO_GET_SELECTION = 327;
constexpr unsigned COMBO_GET_ITEM_TEXT = 328;  // wparam: index, lparam: char16_t* of 256
constexpr unsigned COMBO_GET_ITEM_LENGTH = 329;
constexpr unsigned COMBO_RESET = 331;
constexpr unsigned COMBO_SET_SELECTION = 334;
constexpr unsigned COMBO_SHOW_LIST = 335;  // wparam: 1 opens, 0 closes
constexpr unsigned COMBO_IS_OPEN = 343;
}  // namespace msg

// The second parameter of ACTIVATE.
constexpr unsigned INACTIVE = 0;
constexpr unsigned ACTIVE = 1;

// Notifications in the high word of a command's first parameter.
namespace notify {
constexpr unsigned CLICKED = 0;
constexpr unsigned SELECTION_CHANGED = 1;
constexpr unsigned EDIT_CHANGED = 0x300;
}  // namespace notify

// Check states of GET_CHECK and SET_CHECK.
constexpr unsigned UNCHECKED = 0;
constexpr unsigned CHECKED = 1;

// The longest item a combo box copies out.
constexpr int COMBO_ITEM_CAPACITY = 256;
