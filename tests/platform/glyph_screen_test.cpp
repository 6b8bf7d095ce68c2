// A dialog drawn headless and photographed: its texts must show unifont's own glyph bitmaps at the
// places the layout puts them.
#include <gtest/gtest.h>

#include "frontend/comnctls.h"
#include "platform/menus.h"
#include "platform/messages.h"
#include "platform/png_file.h"
#include "tests/platform/desktop_fixture.h"
#include "tests/platform/glyph_reference.h"
#include "tests/support/temp_dir.h"

namespace {

constexpr std::uint32_t BLACK = 0x000000;
constexpr std::uint32_t WHITE = 0xFFFFFF;

class GlyphScreenTest : public DesktopTest {
 protected:
  void SetUp() override {
    DesktopTest::SetUp();
    int width = 0;
    std::vector<std::uint32_t> rows;
    if (!unifont_glyph(U'A', width, rows)) GTEST_SKIP() << "unifont.hex is not installed";
  }

  template <typename Control>
  void add(Control& control, const char16_t* text, std::uint32_t style, Rect r) {
    control.SetParent(dialog.hwnd);
    control.SetTitle(text);
    control.AddStyle(style);
    ASSERT_EQ(control.CreateControl(), 1);
    move_window(control.hwnd, r.left, r.top, r.width(), r.height(), true);
  }

  Picture photograph() {
    std::string path = files.file("dialog.png");
    update_screen();
    EXPECT_TRUE(write_png(path.c_str(), screen()));
    Picture picture;
    EXPECT_TRUE(read_png(path, picture));
    return picture;
  }

  TempDir files;
  CWnd dialog;
};

TEST_F(GlyphScreenTest, TextsShowUnifontGlyphsWhereTheLayoutPutsThem) {
  dialog.SetTitle(u"Orvane");
  ASSERT_EQ(dialog.Create(), 1);  // the client area starts at (0, 26)
  CStatic left_label, right_label, centred_label;
  CButton button;
  add(left_label, u"选择按键:", style::TEXT_LEFT, {10, 10, 210, 34});
  add(right_label, u"Orvane 2.4.2", style::TEXT_RIGHT, {10, 40, 210, 64});
  add(centred_label, u"当前值:", style::TEXT_CENTER, {0, 70, 240, 94});
  add(button, u"清除", 0, {20, 110, 100, 140});
  CMenu bar, left, right;
  left.SetText(u"菜单");
  right.SetText(u"帮助");
  bar.Create();
  left.Create();
  right.Create();
  CMenu entry;
  left.AppendItem(&entry);
  right.AppendItem(&entry);
  bar.AppendSubMenu(&left);
  bar.AppendSubMenu(&right);
  ASSERT_EQ(dialog.CreateMenuBar(&bar), 1);

  Picture picture = photograph();
  ASSERT_EQ(picture.width, 240);
  ASSERT_EQ(picture.height, 320);
  // A label's line is 20 pixels high with the glyphs centred in it: 2 pixels down.
  EXPECT_EQ(text_mismatches(picture, 10, 26 + 10 + 2, U"选择按键:", BLACK), 0);
  EXPECT_EQ(text_mismatches(picture, 210 - 12 * 8, 26 + 40 + 2, U"Orvane 2.4.2", BLACK), 0);
  EXPECT_EQ(text_mismatches(picture, (240 - 56) / 2, 26 + 70 + 2, U"当前值:", BLACK), 0);
  EXPECT_EQ(text_mismatches(picture, 20 + (80 - 32) / 2, 26 + 110 + 7, U"清除", BLACK), 0);
  // The task bar shows the active window's title; the soft keys sit at both ends of the menu bar.
  EXPECT_EQ(text_mismatches(picture, 6, 5, U"Orvane", WHITE), 0);
  EXPECT_EQ(text_mismatches(picture, 6, 320 - 26 + 5, U"菜单", WHITE), 0);
  EXPECT_EQ(text_mismatches(picture, 240 - 6 - 32, 320 - 26 + 5, U"帮助", WHITE), 0);
  // And a wrong place really is wrong.
  EXPECT_GT(text_mismatches(picture, 11, 26 + 10 + 2, U"选择按键:", BLACK), 0);
}

TEST_F(GlyphScreenTest, ACharacterWithoutAGlyphDrawsABox) {
  ASSERT_EQ(dialog.Create(), 1);
  CStatic label;
  add(label, u"\u9F98", style::TEXT_LEFT, {10, 10, 100, 30});  // not among the program's texts
  Picture picture = photograph();
  int x = 10, y = 26 + 10 + 2;
  for (Point p :
       {Point{x + 1, y + 2}, Point{x + 14, y + 2}, Point{x + 1, y + 13}, Point{x + 14, y + 13}}) {
    EXPECT_EQ(picture.at(p.x, p.y), BLACK) << p.x << "," << p.y;
  }
  EXPECT_EQ(picture.at(x + 8, y + 8), WHITE);
}

TEST_F(GlyphScreenTest, AnEditBoxScrollsToKeepTheCaretInView) {
  ASSERT_EQ(dialog.Create(), 1);
  CEditBox edit;
  add(edit, u"", style::BORDER, {10, 150, 70, 174});
  edit.SetFocus();
  for (char16_t c : std::u16string(u"0123456789AB")) send_message(edit.hwnd, msg::CHARACTER, c, 0);
  Picture picture = photograph();
  int y = 26 + 150 + 4;
  // The last character ends just before the caret at the inner right edge (3 pixels inside).
  int right_edge = 70 - 3;
  EXPECT_EQ(glyph_mismatches(picture, right_edge - 1 - 8, y, U'B', BLACK), 0);
  EXPECT_GT(glyph_mismatches(picture, 10 + 3, y, U'0', BLACK), 0);  // scrolled away
}

}  // namespace
