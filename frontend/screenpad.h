#pragma once
// The on-screen pad: fifteen touch buttons laid over the picture, placed for the screen's
// direction and orientation, hit by the stylus and outlined over each presented frame.

#include <cstdint>

class CGraphics;

constexpr int SCREEN_BTN_MAX = 15;

enum ScreenButton : int {
  SCREEN_BTN_UP = 0,
  SCREEN_BTN_DOWN = 1,
  SCREEN_BTN_LEFT = 2,
  SCREEN_BTN_RIGHT = 3,
  SCREEN_BTN_SELECT = 4,
  SCREEN_BTN_START = 5,
  SCREEN_BTN_B = 6,
  SCREEN_BTN_A = 7,
  SCREEN_BTN_L = 8,
  SCREEN_BTN_R = 9,
  SCREEN_BTN_MENU = 10,
  SCREEN_BTN_LEFT_UP = 11,
  SCREEN_BTN_RIGHT_UP = 12,
  SCREEN_BTN_RIGHT_DOWN = 13,
  SCREEN_BTN_LEFT_DOWN = 14,
};

// Inclusive edges.
struct PadRect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
};

// A button in the layout's design space.
struct DesignRect {
  int x, y, w, h;
};

// The console buttons a pad button presses (0 for the menu button) and its outline colour.
int ScreenButtonMask(int index);
std::uint16_t ScreenButtonColour(int index);

class CScreenPad {
 public:
  CScreenPad() { Reset(); }
  virtual ~CScreenPad() = default;

  void Reset();
  // The area the design space is mapped onto. Null: reported, 0.
  int SetTarget(const PadRect* r);
  // Lays the buttons out for screen_dir 1, 2 or 4; any other value keeps the layout as it was.
  void LayoutFor(int screen_dir, bool portrait);
  // 1 when (x, y) lies on button `index`.
  int HitTest(int x, int y, int index) const;
  // Outlines every button through i_graph.
  int Draw();
  // Maps a design rectangle onto the target.
  int PlaceButton(const DesignRect& design, PadRect* pr) const;

  int design_width = 0;
  int design_height = 0;
  PadRect target;
  PadRect buttons[SCREEN_BTN_MAX];
  CGraphics* i_graph = nullptr;

 private:
  void JoinCross(int screen_dir);
};

extern CScreenPad g_screen_pad;
