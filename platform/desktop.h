#pragma once
// The window system's state, shared by its own source files and the built-in controls; not for
// use outside platform/.

#include <bitset>
#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/surface.h"
#include "platform/window_system.h"

// Per-window state of a built-in control.
struct WindowExtra {
  virtual ~WindowExtra() = default;
};

struct ClassRecord {
  std::u16string name;
  WindowProcedure procedure = nullptr;
  Color background = color::WHITE;
};

struct WindowRecord {
  WindowHandle handle = NO_WINDOW;
  const ClassRecord* window_class = nullptr;
  std::u16string text;
  std::uint32_t style = 0;
  std::uint32_t ex_style = 0;
  Rect rect;  // parent's client coordinates, or the screen's for top-level windows
  WindowHandle parent = NO_WINDOW;
  std::vector<WindowHandle> children;  // back to front
  unsigned number = 0;
  bool is_menu_bar = false;
  std::unique_ptr<WindowExtra> extra;
};

struct MenuItem {
  enum class Kind { ENTRY, SUBMENU, SEPARATOR } kind = Kind::ENTRY;
  unsigned number = 0;
  MenuHandle submenu = NO_MENU;
  std::u16string text;
};

struct MenuRecord {
  bool popup = false;
  std::vector<MenuItem> items;
};

// An open popup: its menu, where it is drawn and which entry is lit (-1: none).
struct OpenPopup {
  MenuHandle menu = NO_MENU;
  Rect rect;
  int highlighted = -1;
};

struct MenuBarRecord {
  WindowHandle owner = NO_WINDOW;
  MenuHandle menu = NO_MENU;
};

struct Desktop {
  Desktop(Backend& b, int width, int height) : backend(&b), surface(width, height) {}

  Backend* backend;
  Surface surface;
  std::vector<std::unique_ptr<ClassRecord>> classes;
  std::map<WindowHandle, std::unique_ptr<WindowRecord>> windows;
  std::vector<WindowHandle> top_levels;  // back to front, menu bars included
  std::map<MenuHandle, MenuRecord> menus;
  std::map<WindowHandle, MenuBarRecord> menu_bars;  // by bar window
  WindowHandle next_window = 1;
  MenuHandle next_menu = 1;

  std::deque<Message> queue;
  WindowHandle focus = NO_WINDOW;
  WindowHandle active = NO_WINDOW;
  WindowHandle main = NO_WINDOW;
  WindowHandle capture = NO_WINDOW;   // the window the stylus went down on
  WindowHandle key_grab = NO_WINDOW;  // the window that takes every key
  WindowHandle overlay = NO_WINDOW;   // a control drawn over everything (an open list)
  Rect overlay_rect;                  // screen coordinates
  std::bitset<256> keys_held;
  std::bitset<256> keys_taken_by_menu;

  // Menus being shown.
  WindowHandle menu_bar_pressed = NO_WINDOW;
  std::vector<OpenPopup> popups;
  WindowHandle popup_owner = NO_WINDOW;
  int popup_key = -1;  // the soft key whose popup is open

  bool task_bar = true;
  bool dirty = true;
  bool screen_changed = true;
  WindowHandle painting = NO_WINDOW;  // the window handling paint, and where it may draw
  Rect painting_clip;
  CycleInput* cycle_input = nullptr;
  std::uint64_t cycles = 0;
  bool quit = false;
};

// The open desktop, or null.
Desktop* desktop();
WindowRecord* find_window(WindowHandle window);
MenuRecord* find_menu(MenuHandle menu);

// Built-in control state.
WindowExtra* window_extra(WindowHandle window);
void set_window_extra(WindowHandle window, std::unique_ptr<WindowExtra> extra);
template <typename T>
T* extra_of(WindowHandle window) {
  return dynamic_cast<T*>(window_extra(window));
}

// Lays the window's list over everything else, or takes it away (NO_WINDOW).
void set_overlay(WindowHandle window, const Rect& screen_rect);

// Drawing of the system parts (desktop_draw.cpp, menu_draw.cpp).
void draw_desktop(Desktop& d);
void draw_menu_bar(Desktop& d);
void draw_popups(Desktop& d);
WindowHandle visible_menu_bar(const Desktop& d);
Rect menu_bar_rect(const Desktop& d);

// Input routing of the menus (menus.cpp): true when the menus took the event.
bool menu_take_stylus_down(Desktop& d, Point p);
bool menu_take_stylus_up(Desktop& d, Point p);
bool menu_take_key(Desktop& d, unsigned virtual_key);
void forget_menu_bars_of(Desktop& d, WindowHandle window);
void register_menu_bar_class();

// The built-in controls' classes ("STATIC", "BUTTON", "EDIT", "COMBOBOX").
void register_control_classes();

constexpr int CAPTION_HEIGHT = 26;
constexpr int MENU_BAR_HEIGHT = 26;

// Menu geometry (menu_layout.cpp).
constexpr int MENU_ENTRY_HEIGHT = 20;
constexpr int MENU_SEPARATOR_HEIGHT = 7;
Rect popup_entry_rect(const Desktop& d, const OpenPopup& popup, int index);
int popup_entry_at(const Desktop& d, const OpenPopup& popup, Point p);  // -1: none
Rect soft_key_popup_rect(const Desktop& d, MenuHandle menu, int key);
Rect submenu_rect(const Desktop& d, const OpenPopup& parent, int index, MenuHandle submenu);
Rect soft_key_rect(const Desktop& d, int key);
