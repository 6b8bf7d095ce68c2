#include "frontend/screenpad.h"

#include "core/io/keypad.h"
#include "core/report.h"
#include "video/graphics.h"

CScreenPad g_screen_pad;

namespace {

constexpr int BUTTON_SIDE = 36;
constexpr int DIAGONAL_SIDE = 32;
constexpr int PORTRAIT_WIDTH = 240, PORTRAIT_HEIGHT = 320;

constexpr std::uint16_t BLUE = 0x001F, RED = 0xF800, GREY = 0x8418;

constexpr int BUTTON_MASKS[SCREEN_BTN_MAX] = {BUTTON_UP,
                                              BUTTON_DOWN,
                                              BUTTON_LEFT,
                                              BUTTON_RIGHT,
                                              BUTTON_SELECT,
                                              BUTTON_START,
                                              BUTTON_B,
                                              BUTTON_A,
                                              BUTTON_L,
                                              BUTTON_R,
                                              0,  // the menu button is the front end's
                                              BUTTON_LEFT | BUTTON_UP,
                                              BUTTON_RIGHT | BUTTON_UP,
                                              BUTTON_RIGHT | BUTTON_DOWN,
                                              BUTTON_LEFT | BUTTON_DOWN};

struct Corner {
  int x, y;
};

// The top-left corner of every button in each layout, by button index.
struct Layout {
  int design_width, design_height;
  Corner corners[SCREEN_BTN_MAX];
};

constexpr Layout DIR1_PORTRAIT = {240,
                                  320,
                                  {{40, 210},
                                   {40, 280},
                                   {5, 245},
                                   {75, 245},
                                   {140, 5},
                                   {195, 5},
                                   {150, 215},
                                   {195, 215},
                                   {150, 270},
                                   {195, 270},
                                   {5, 5},
                                   {5, 210},
                                   {79, 210},
                                   {79, 284},
                                   {5, 284}}};
constexpr Layout DIR1_LANDSCAPE = {320,
                                   240,
                                   {{40, 120},
                                    {40, 190},
                                    {5, 155},
                                    {75, 155},
                                    {125, 195},
                                    {175, 195},
                                    {230, 130},
                                    {275, 130},
                                    {230, 185},
                                    {275, 185},
                                    {5, 5},
                                    {5, 120},
                                    {79, 120},
                                    {79, 194},
                                    {5, 194}}};
constexpr Layout DIR2_PORTRAIT = {240,
                                  320,
                                  {{130, 245},
                                   {200, 245},
                                   {165, 280},
                                   {165, 210},
                                   {195, 155},
                                   {195, 100},
                                   {125, 50},
                                   {125, 5},
                                   {185, 50},
                                   {185, 5},
                                   {5, 5},
                                   {130, 284},
                                   {130, 210},
                                   {204, 210},
                                   {204, 284}}};
constexpr Layout DIR2_LANDSCAPE = {320,
                                   240,
                                   {{205, 165},
                                    {275, 165},
                                    {240, 200},
                                    {240, 130},
                                    {5, 50},
                                    {5, 5},
                                    {230, 50},
                                    {230, 5},
                                    {275, 50},
                                    {275, 5},
                                    {5, 200},
                                    {205, 204},
                                    {205, 130},
                                    {279, 130},
                                    {279, 204}}};
constexpr Layout DIR4_PORTRAIT = {240,
                                  320,
                                  {{75, 45},
                                   {5, 45},
                                   {40, 10},
                                   {40, 80},
                                   {5, 135},
                                   {5, 180},
                                   {70, 235},
                                   {70, 275},
                                   {15, 235},
                                   {15, 275},
                                   {200, 280},
                                   {79, 10},
                                   {79, 84},
                                   {5, 84},
                                   {5, 10}}};
constexpr Layout DIR4_LANDSCAPE = {320,
                                   240,
                                   {{75, 40},
                                    {5, 40},
                                    {40, 5},
                                    {40, 75},
                                    {265, 140},
                                    {265, 190},
                                    {65, 150},
                                    {65, 195},
                                    {15, 150},
                                    {15, 195},
                                    {280, 5},
                                    {79, 5},
                                    {79, 79},
                                    {5, 79},
                                    {5, 5}}};

const Layout* layout_for(int screen_dir, bool portrait) {
  switch (screen_dir) {
    case 1: return portrait ? &DIR1_PORTRAIT : &DIR1_LANDSCAPE;
    case 2: return portrait ? &DIR2_PORTRAIT : &DIR2_LANDSCAPE;
    case 4: return portrait ? &DIR4_PORTRAIT : &DIR4_LANDSCAPE;
    default: return nullptr;
  }
}

bool is_diagonal(int index) { return index >= SCREEN_BTN_LEFT_UP; }

}  // namespace

int ScreenButtonMask(int index) {
  return index >= 0 && index < SCREEN_BTN_MAX ? BUTTON_MASKS[index] : 0;
}

std::uint16_t ScreenButtonColour(int index) {
  if (index == SCREEN_BTN_MENU) return RED;
  return is_diagonal(index) ? GREY : BLUE;
}

void CScreenPad::Reset() {
  for (PadRect& r : buttons) r = PadRect{};
  design_width = PORTRAIT_WIDTH;
  design_height = PORTRAIT_HEIGHT;
  target = PadRect{};
  i_graph = nullptr;
}

int CScreenPad::SetTarget(const PadRect* r) {
  ORVANE_CHECK(r, 0);
  target = *r;
  return 1;
}

int CScreenPad::PlaceButton(const DesignRect& d, PadRect* pr) const {
  ORVANE_CHECK(pr, 0);
  int sx = target.right - target.left + 1, sy = target.bottom - target.top + 1;
  pr->left = target.left + d.x * sx / design_width;
  pr->top = target.top + d.y * sy / design_height;
  pr->right = pr->left + d.w * sx / design_width;
  pr->bottom = pr->top + d.h * sy / design_height;
  return 1;
}

void CScreenPad::LayoutFor(int screen_dir, bool portrait) {
  const Layout* layout = layout_for(screen_dir, portrait);
  if (layout == nullptr) return;
  design_width = layout->design_width;
  design_height = layout->design_height;
  for (int i = 0; i < SCREEN_BTN_MAX; ++i) {
    int side = is_diagonal(i) ? DIAGONAL_SIDE : BUTTON_SIDE;
    PlaceButton({layout->corners[i].x, layout->corners[i].y, side, side}, &buttons[i]);
  }
  JoinCross(screen_dir);
}

// The four arms touch the Up arm without gaps; every value is read as placed.
void CScreenPad::JoinCross(int screen_dir) {
  const PadRect up = buttons[SCREEN_BTN_UP], left = buttons[SCREEN_BTN_LEFT];
  PadRect& u = buttons[SCREEN_BTN_UP];
  PadRect& d = buttons[SCREEN_BTN_DOWN];
  PadRect& l = buttons[SCREEN_BTN_LEFT];
  PadRect& r = buttons[SCREEN_BTN_RIGHT];
  switch (screen_dir) {
    case 1:
      l.right = up.left;
      r.left = up.right;
      u.bottom = left.top;
      d.top = left.bottom;
      break;
    case 2:
      l.top = up.bottom;
      r.bottom = up.top;
      u.right = left.left;
      d.left = left.right;
      break;
    case 4:
      l.bottom = up.top;
      r.top = up.bottom;
      u.left = left.right;
      d.right = left.left;
      break;
    default: break;
  }
}

int CScreenPad::HitTest(int x, int y, int index) const {
  ORVANE_CHECK(index >= 0 && index < SCREEN_BTN_MAX, 0);
  const PadRect& r = buttons[index];
  return x >= r.left && x <= r.right && y >= r.top && y <= r.bottom ? 1 : 0;
}

int CScreenPad::Draw() {
  for (int i = 0; i < SCREEN_BTN_MAX; ++i) {
    const PadRect* r = &buttons[i];
    ORVANE_CHECK(r && this->i_graph, 0);
    i_graph->Rect(r->left, r->top, r->right - r->left + 1, r->bottom - r->top + 1,
                  ScreenButtonColour(i));
  }
  return 1;
}
