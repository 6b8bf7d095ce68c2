#include "video/windows.h"
#include "tests/video/video_fixture.h"

namespace {

constexpr std::uint32_t IO_WIN0H = 0x040, IO_WIN1H = 0x042, IO_WIN0V = 0x044, IO_WIN1V = 0x046,
                        IO_WININ = 0x048, IO_WINOUT = 0x04A;
constexpr std::uint32_t WIN0 = 0x2000, WIN1 = 0x4000, OBJWIN = 0x8000;

struct VerticalCase {
  unsigned y1, y2, line;
  bool active;
};
const VerticalCase VERTICAL_CASES[] = {
    {10, 5, 0, true},      {10, 5, 5, true},       {10, 5, 6, false},   {10, 5, 10, false},
    {10, 5, 11, true},     {10, 5, 159, true},     {100, 230, 0, true}, {100, 230, 99, true},
    {100, 230, 159, true}, {228, 230, 100, false}, {228, 5, 3, false},  {20, 40, 19, false},
    {20, 40, 20, true},    {20, 40, 39, true},     {20, 40, 40, false}, {20, 20, 20, false},
};

TEST(WindowRules, VerticalActivityWrapsAndHonoursTheLimitOf227) {
  for (const VerticalCase& c : VERTICAL_CASES) {
    EXPECT_EQ(window_active(c.y1 << 8 | c.y2, c.line), c.active)
        << c.y1 << " " << c.y2 << " " << c.line;
  }
}

class WindowsTest : public VideoTest {
 protected:
  void SetUp() override {
    VideoTest::SetUp();
    for (unsigned n = 0; n < 128; ++n) machine.oam_data[n * 8 + 1] = 0x02;  // hidden
    machine.oam_dirty = 1;
    solid_bg(0, 3);
    solid_bg(1, 4);
  }
  static void solid_bg(unsigned n, std::uint8_t index) {
    std::uint32_t block = 20 + n;
    io_store16(IO_BG0CNT + 2 * n, n | 0x80 | n << 2 | block << 8);
    std::memset(machine.vram_data + n * 0x4000 + 64, index, 64);
    for (unsigned c = 0; c < 32 * 32; ++c) vram16(block * 2048 + c * 2, 1);
  }
  // Window 0 on every line with horizontal register `h`, showing BG0; outside shows nothing.
  static std::vector<std::uint16_t> window0(std::uint32_t h) {
    set(IO_DISPCNT, 0x100 | WIN0);
    set(IO_WIN0V, 0x00A0);
    set(IO_WIN0H, h);
    set(IO_WININ, 0x01);
    set(IO_WINOUT, 0x00);
    return draw(40);
  }
};

struct HorizontalCase {
  unsigned x1, x2;
  unsigned first0, end0, first1, end1;  // covered pixels: [first0, end0) and [first1, end1)
};
const HorizontalCase HORIZONTAL_CASES[] = {
    {200, 40, 0, 40, 200, 240}, {50, 50, 0, 0, 0, 0},   {250, 40, 0, 40, 240, 240},
    {10, 250, 10, 240, 0, 0},   {0, 240, 0, 240, 0, 0}, {239, 0, 239, 240, 0, 0},
};

TEST_F(WindowsTest, HorizontalExtentsClampAndWrap) {
  for (const HorizontalCase& c : HORIZONTAL_CASES) {
    auto row = window0(c.x1 << 8 | c.x2);
    for (unsigned x = 0; x < 240; ++x) {
      bool inside = (x >= c.first0 && x < c.end0) || (x >= c.first1 && x < c.end1);
      EXPECT_EQ(row[x], inside ? 3 : BACKDROP) << c.x1 << " " << c.x2 << " " << x;
    }
  }
}

TEST_F(WindowsTest, WindowZeroTakesPrecedenceOverWindowOne) {
  set(IO_DISPCNT, 0x300 | WIN0 | WIN1);
  set(IO_WIN0V, 0x00A0);
  set(IO_WIN1V, 0x00A0);
  set(IO_WIN0H, 10 << 8 | 50);
  set(IO_WIN1H, 30 << 8 | 70);
  set(IO_WININ, 0x0201);  // window 0: BG0, window 1: BG1
  set(IO_WINOUT, 0x00);
  auto row = draw(40);
  for (unsigned x = 0; x < 240; ++x) {
    std::uint16_t expected = x >= 10 && x < 50 ? 3 : x >= 50 && x < 70 ? 4 : BACKDROP;
    EXPECT_EQ(row[x], expected) << x;
  }
}

TEST_F(WindowsTest, InactiveLineShowsTheOutsideFlags) {
  set(IO_DISPCNT, 0x300 | WIN0);
  set(IO_WIN0V, 10 << 8 | 5);
  set(IO_WIN0H, 0 << 8 | 240);
  set(IO_WININ, 0x01);
  set(IO_WINOUT, 0x02);
  EXPECT_EQ(draw(8)[100], 4);
  EXPECT_EQ(draw(12)[100], 3);
}

TEST_F(WindowsTest, EmptyWindowStillFadesTheBackdrop) {
  set(IO_DISPCNT, 0x100 | WIN0);
  set(IO_WIN0V, 0x00A0);
  set(IO_WIN0H, 100 << 8 | 120);
  set(IO_WININ, 0x00);          // no layer and no effect bit
  set(IO_WINOUT, 0x21);         // BG0 with effects
  set(IO_BLDCNT, 0x20 | 0x80);  // backdrop brightens; BG0 is not a target
  set(IO_BLDY, 16);
  auto row = draw(40);
  EXPECT_EQ(row[110],
            0xFFDF);  // white: 31 in each channel (green's sixth bit is not the console's)
  EXPECT_EQ(row[99], 3);
}

TEST_F(WindowsTest, EffectsNeedTheWindowEffectBit) {
  set(IO_DISPCNT, 0x100 | WIN0);
  set(IO_WIN0V, 0x00A0);
  set(IO_WIN0H, 100 << 8 | 120);
  set(IO_WININ, 0x21);
  set(IO_WINOUT, 0x01);
  set(IO_BLDCNT, 0x01 | 0xC0);  // BG0 darkens fully
  set(IO_BLDY, 16);
  auto row = draw(40);
  EXPECT_EQ(row[110], 0x0000);
  EXPECT_EQ(row[99], 3);
  EXPECT_EQ(row[120], 3);
}

TEST_F(WindowsTest, SemiTransparentObjectsBlendWhereTheWindowForbidsEffects) {
  machine.native_palette[3] = 0xF7DE;        // BG0: 30, 62, 30
  machine.native_palette[256 + 5] = 0x0000;  // the object: black
  std::memset(machine.vram_data + 0x10000, 0x05, 64);
  const std::uint8_t attributes[6] = {40, 0x24, 100, 0, 0, 0};  // semi-transparent, 256 colours
  std::memcpy(machine.oam_data, attributes, 6);
  machine.oam_dirty = 1;
  set(IO_DISPCNT, 0x100 | 0x1000 | WIN0);
  set(IO_WIN0V, 0x00A0);
  set(IO_WIN0H, 0 << 8 | 240);
  set(IO_WININ, 0x11);  // BG0 and objects, no effects
  set(IO_BLDCNT, 0x0100);
  set(IO_BLDALPHA, 0x0808);
  auto row = draw(40);
  EXPECT_EQ(row[100], 0x7BEF);
  EXPECT_EQ(row[99], 0xF7DE);
}

TEST_F(WindowsTest, ObjectWindowCopiesOnlyOpaqueTexelsOfAnAffineObject) {
  // An 8 x 8 OBJ-window object, opaque only in texel columns 0, 1, 4 and 5, doubled and identity.
  for (unsigned r = 0; r < 8; ++r) {
    for (unsigned c : {0u, 1u, 4u, 5u}) machine.vram_data[0x10000 + r * 8 + c] = 0x01;
  }
  std::uint8_t* a = machine.oam_data;
  const std::uint8_t attributes[8] = {30, 0x2B, 100,  0,
                                      0,  0,    0x00, 0x01};  // affine, double, OBJ window
  std::memcpy(a, attributes, 8);
  for (unsigned i = 1; i < 4; ++i) machine.oam_data[i * 8 + 6] = machine.oam_data[i * 8 + 7] = 0;
  machine.oam_data[3 * 8 + 7] = 0x01;  // PD = 256
  machine.oam_dirty = 1;
  set(IO_DISPCNT, 0x100 | 0x1000 | OBJWIN);
  set(IO_WINOUT, 0x0100);  // outside: nothing; OBJ window: BG0
  auto row = draw(36);
  for (unsigned x = 90; x < 130; ++x)
    EXPECT_EQ(row[x], (x >= 104 && x < 106) || (x >= 108 && x < 110) ? 3 : BACKDROP) << x;
  EXPECT_EQ(draw(33)[105], BACKDROP);
}

TEST_F(WindowsTest, BitmapWindowShowsBackgroundTwoOnlyWhereAllowed) {
  set(IO_DISPCNT, 3 | 0x400 | WIN0);
  for (unsigned i = 0; i < 240 * 160; ++i) vram16(i * 2, 0x001F);  // red, shown as 5-6-5 0xF800
  set(IO_WIN0V, 0x00A0);
  set(IO_WIN0H, 200 << 8 | 40);
  set(IO_WININ, 0x04);
  set(IO_WINOUT, 0x00);
  auto row = draw(40);
  EXPECT_EQ(row[39], 0xF800);
  EXPECT_EQ(row[40], BACKDROP);
  EXPECT_EQ(row[199], BACKDROP);
  EXPECT_EQ(row[200], 0xF800);
}

}  // namespace
