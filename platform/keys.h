#pragma once
// Virtual-key codes. Letters and digits are their upper-case ASCII codes.

namespace vk {
constexpr unsigned LBUTTON = 0x01;
constexpr unsigned BACK = 0x08;
constexpr unsigned TAB = 0x09;
constexpr unsigned RETURN = 0x0D;
constexpr unsigned SHIFT = 0x10;
constexpr unsigned CONTROL = 0x11;
constexpr unsigned MENU = 0x12;  // Alt
constexpr unsigned PAUSE = 0x13;
constexpr unsigned CAPITAL = 0x14;
constexpr unsigned ESCAPE = 0x1B;
constexpr unsigned SPACE = 0x20;
constexpr unsigned PRIOR = 0x21;
constexpr unsigned NEXT = 0x22;
constexpr unsigned END = 0x23;
constexpr unsigned HOME = 0x24;
constexpr unsigned LEFT = 0x25;
constexpr unsigned UP = 0x26;
constexpr unsigned RIGHT = 0x27;
constexpr unsigned DOWN = 0x28;
constexpr unsigned INSERT = 0x2D;
constexpr unsigned DELETE_KEY = 0x2E;
constexpr unsigned NUMPAD0 = 0x60;
constexpr unsigned MULTIPLY = 0x6A;
constexpr unsigned ADD = 0x6B;
constexpr unsigned SUBTRACT = 0x6D;
constexpr unsigned DECIMAL = 0x6E;
constexpr unsigned DIVIDE = 0x6F;
constexpr unsigned F1 = 0x70;
constexpr unsigned F2 = 0x71;
constexpr unsigned F12 = 0x7B;
constexpr unsigned NUMLOCK = 0x90;
constexpr unsigned SCROLL = 0x91;
constexpr unsigned SEMICOLON = 0xBA;
constexpr unsigned EQUALS = 0xBB;
constexpr unsigned COMMA = 0xBC;
constexpr unsigned MINUS = 0xBD;
constexpr unsigned PERIOD = 0xBE;
constexpr unsigned SLASH = 0xBF;
constexpr unsigned GRAVE = 0xC0;
constexpr unsigned LEFT_BRACKET = 0xDB;
constexpr unsigned BACKSLASH = 0xDC;
constexpr unsigned RIGHT_BRACKET = 0xDD;
constexpr unsigned APOSTROPHE = 0xDE;
constexpr unsigned COUNT = 256;
}  // namespace vk
