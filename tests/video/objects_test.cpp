#include "tests/video/video_fixture.h"

namespace {

constexpr std::uint32_t OBJ_TILES = 0x10000;
constexpr std::uint32_t SHOW_OBJ = 0x1000, OBJ_1D = 0x40;

struct Object {
  std::uint32_t a0, a1, a2;
};

class ObjectsTest : public VideoTest {
 protected:
  void SetUp() override {
    VideoTest::SetUp();
    for (unsigned n = 0; n < 128; ++n) put(n, {0x200, 0, 0});  // hidden
    set(IO_DISPCNT, SHOW_OBJ);
  }
  static void put(unsigned n, Object o) {
    std::uint8_t* a = machine.oam_data + n * 8;
    const std::uint32_t words[3] = {o.a0, o.a1, o.a2};
    for (unsigned i = 0; i < 3; ++i) {
      a[2 * i] = static_cast<std::uint8_t>(words[i]);
      a[2 * i + 1] = static_cast<std::uint8_t>(words[i] >> 8);
    }
    machine.oam_dirty = 1;
  }
  static void affine_group(unsigned g, std::int16_t pa, std::int16_t pb, std::int16_t pc,
                           std::int16_t pd) {
    const std::int16_t p[4] = {pa, pb, pc, pd};
    for (unsigned i = 0; i < 4; ++i) {
      machine.oam_data[(4 * g + i) * 8 + 6] = static_cast<std::uint8_t>(p[i]);
      machine.oam_data[(4 * g + i) * 8 + 7] =
          static_cast<std::uint8_t>(static_cast<std::uint16_t>(p[i]) >> 8);
    }
    machine.oam_dirty = 1;
  }
  // Texel (c, r) of a 256-colour object of width w starting at tile t, by the published layout.
  static void texel256(unsigned t, unsigned w, bool one_d, unsigned c, unsigned r,
                       std::uint8_t value) {
    unsigned row_stride = one_d ? (w / 8) * 64 : 1024;
    machine
        .vram_data[OBJ_TILES + t * 32 + (r / 8) * row_stride + (c / 8) * 64 + (r % 8) * 8 + c % 8] =
        value;
  }
  static void texel16(unsigned t, unsigned c, unsigned r, std::uint8_t value) {
    std::uint8_t& b = machine.vram_data[OBJ_TILES + t * 32 + (r / 8) * 1024 + (c / 8) * 32 +
                                        (r % 8) * 4 + (c % 8) / 2];
    b = static_cast<std::uint8_t>(c % 2 ? (b & 0x0F) | value << 4 : (b & 0xF0) | value);
  }
};

TEST_F(ObjectsTest, LowerNumberWinsAtEqualPriority) {
  std::memset(machine.vram_data + OBJ_TILES + 2 * 32, 0x11, 64);
  std::memset(machine.vram_data + OBJ_TILES + 4 * 32, 0x22, 64);
  put(5, {0x2000 | 20, 10, 4});
  put(3, {0x2000 | 20, 14, 2});
  auto row = draw(21);
  EXPECT_EQ(row[9], BACKDROP);
  for (unsigned x = 10; x < 14; ++x) EXPECT_EQ(row[x], 256 + 0x22) << x;
  for (unsigned x = 14; x < 22; ++x) EXPECT_EQ(row[x], 256 + 0x11) << x;
  EXPECT_EQ(row[22], BACKDROP);
}

TEST_F(ObjectsTest, WideObjectAtX480ShowsItsRightHalfAtTheLeftEdge) {
  set(IO_DISPCNT, SHOW_OBJ | OBJ_1D);
  for (unsigned c = 0; c < 64; ++c) texel256(0, 64, true, c, 9, static_cast<std::uint8_t>(c + 1));
  put(0, {0x2000 | 40, 0xC000 | 480, 0});  // square, size 3: 64 x 64
  auto row = draw(49);
  for (unsigned x = 0; x < 32; ++x) EXPECT_EQ(row[x], 256 + x + 33) << x;
  EXPECT_EQ(row[32], BACKDROP);
}

struct FlipCase {
  std::uint32_t flips;
  unsigned line, pixel, texel_column, texel_row;
};
const FlipCase FLIP_CASES[] = {
    {0x0000, 50, 100, 0, 0}, {0x1000, 50, 100, 7, 0}, {0x1000, 50, 107, 0, 0},
    {0x2000, 50, 100, 0, 7}, {0x3000, 52, 101, 6, 5}, {0x0000, 57, 107, 7, 7},
};

TEST_F(ObjectsTest, FlippedSixteenColourObjectsReadMirroredTexels) {
  for (unsigned r = 0; r < 8; ++r) {
    for (unsigned c = 0; c < 8; ++c) texel16(6, c, r, static_cast<std::uint8_t>((c + r) % 15 + 1));
  }
  for (const FlipCase& f : FLIP_CASES) {
    put(0, {50, f.flips | 100, 6 | 3u << 12});
    auto row = draw(f.line);
    EXPECT_EQ(row[f.pixel], 256 + 3 * 16 + (f.texel_column + f.texel_row) % 15 + 1)
        << f.flips << " " << f.pixel;
  }
}

TEST_F(ObjectsTest, IdentityAffineMatchesPlainAndDoubleSizeIsCentred) {
  for (unsigned r = 0; r < 8; ++r) {
    for (unsigned c = 0; c < 8; ++c)
      texel256(2, 8, false, c, r, static_cast<std::uint8_t>(r * 8 + c + 1));
  }
  affine_group(1, 256, 0, 0, 256);
  for (unsigned r = 0; r < 8; ++r) {
    put(0, {0x2000 | 30, 50, 2});
    auto plain = draw(30 + r);
    put(0, {0x2100 | 30, 50 | 1u << 9, 2});
    auto affine = draw(30 + r);
    for (unsigned c = 0; c < 8; ++c) EXPECT_EQ(plain[50 + c], 256 + r * 8 + c + 1);
    EXPECT_EQ(plain, affine) << r;
  }
  put(0, {0x2300 | 30, 50 | 1u << 9, 2});  // double size: a 16 x 16 box
  for (unsigned line = 30; line < 46; ++line) {
    auto row = draw(line);
    for (unsigned x = 46; x < 70; ++x) {
      bool inside = line >= 34 && line < 42 && x >= 54 && x < 62;
      EXPECT_EQ(row[x], inside ? 256 + (line - 34) * 8 + (x - 54) + 1 : BACKDROP)
          << line << " " << x;
    }
  }
}

struct AddressCase {
  bool colour256, one_d;
  std::uint32_t size_bits;  // attribute 1 bits 14-15 for a square object
  unsigned tile, column, row;
  std::uint32_t byte;  // offset in the object tile area, from the published layout
  bool high_nibble;
};
const AddressCase ADDRESS_CASES[] = {
    {false, true, 1, 4, 9, 10, 4 * 32 + 1 * 2 * 32 + 1 * 32 + 2 * 4 + 0, true},  // 16 x 16
    {false, false, 1, 4, 9, 10, 4 * 32 + 1 * 1024 + 1 * 32 + 2 * 4 + 0, true},
    {true, true, 2, 8, 17, 9, 8 * 32 + 1 * 4 * 64 + 2 * 64 + 1 * 8 + 1, false},  // 32 x 32
    {true, false, 2, 8, 17, 9, 8 * 32 + 1 * 1024 + 2 * 64 + 1 * 8 + 1, false},
    {false, true, 0, 3, 2, 7, 3 * 32 + 7 * 4 + 1, false},  // 8 x 8
};

TEST_F(ObjectsTest, TexelAddressingFollowsTheMapping) {
  for (const AddressCase& c : ADDRESS_CASES) {
    std::memset(machine.vram_data + OBJ_TILES, 0, 0x8000);
    machine.vram_data[OBJ_TILES + c.byte] = c.colour256 ? 0x66 : (c.high_nibble ? 0x60 : 0x06);
    set(IO_DISPCNT, SHOW_OBJ | (c.one_d ? OBJ_1D : 0));
    put(0, {(c.colour256 ? 0x2000u : 0u) | 20, c.size_bits << 14 | 100, c.tile | 2u << 12});
    auto row = draw(20 + c.row);
    for (unsigned x = 100; x < 132; ++x) {
      std::uint16_t expected =
          x == 100 + c.column ? (c.colour256 ? 256 + 0x66 : 256 + 32 + 6) : BACKDROP;
      EXPECT_EQ(row[x], expected) << c.colour256 << c.one_d << " " << x;
    }
  }
}

TEST_F(ObjectsTest, ReadsPastTheTileAreaWrapToItsStart) {
  set(IO_DISPCNT, SHOW_OBJ | OBJ_1D);
  machine.vram_data[OBJ_TILES + 0x20] = 0x44;  // tile 1023's second tile column, wrapped
  put(0, {0x6000 | 10, 0 | 20, 1023});         // wide, size 0: 16 x 8, 256 colours
  auto row = draw(10);
  EXPECT_EQ(row[28], 256 + 0x44);
}

TEST_F(ObjectsTest, SemiTransparentObjectInBitmapModeBlends) {
  set(IO_DISPCNT, 3 | 0x400 | SHOW_OBJ);
  set(IO_BLDCNT, 0x0400);
  set(IO_BLDALPHA, 0x0808);
  for (unsigned i = 0; i < 240 * 160; ++i) vram16(i * 2, 0x001F);  // red, shown as 5-6-5 0xF800
  machine.native_palette[256 + 5] = 0x001F;                        // blue
  std::memset(machine.vram_data + OBJ_TILES + 512 * 32, 0x05, 64);
  put(0, {0x2400 | 20, 30, 512});
  auto row = draw(20);
  EXPECT_EQ(row[29], 0xF800);
  EXPECT_EQ(row[30], 0x780F);  // 31 x 8 / 16 = 15 red and 15 blue
}

// An effect line's object group (palette entry 0x105) as the layers come front to back: it takes
// the top of a pixel with nothing yet, a first target from BLDCNT or by being semi-transparent
// (which always keeps what lies beneath); it goes beneath a first target in front of it; and it
// leaves a finished pixel, and one whose top is another object, alone: objects make one layer.
struct GroupCase {
  bool semi, obj_first, keep_first_beneath;
  std::uint8_t depth, top;
  std::uint8_t top_after, depth_after;
  bool beneath;  // whether the object went beneath
};
constexpr std::uint8_t OBJ = TARGET_OBJECT, FIRST = TARGET_FIRST, SEMI = TARGET_SEMI;
const GroupCase GROUP_CASES[] = {
    {false, false, true, DEPTH_NONE, 0, OBJ, DEPTH_DONE, false},
    {false, true, true, DEPTH_NONE, 0, OBJ | FIRST, DEPTH_TOP, false},
    {false, true, false, DEPTH_NONE, 0, OBJ | FIRST, DEPTH_DONE, false},
    {true, false, false, DEPTH_NONE, 0, OBJ | FIRST | SEMI, DEPTH_TOP, false},
    {false, false, true, DEPTH_TOP, FIRST, FIRST, DEPTH_DONE, true},
    {true, false, true, DEPTH_TOP, FIRST, FIRST, DEPTH_DONE, true},
    {false, false, true, DEPTH_TOP, OBJ | FIRST, OBJ | FIRST, DEPTH_TOP, false},
    {false, true, true, DEPTH_DONE, FIRST, FIRST, DEPTH_DONE, false},
};

TEST_F(ObjectsTest, EffectLineGroupsTakeTheTopOrGoBeneathOrStayHidden) {
  std::memset(machine.vram_data + OBJ_TILES, 0x05, 64);
  set(IO_VCOUNT, 10);
  LineTargets& t = line_targets;
  for (const GroupCase& c : GROUP_CASES) {
    set(IO_BLDCNT, c.obj_first ? 0x10 : 0);
    t.keep_first_beneath = c.keep_first_beneath;
    put(0, {0x2000 | (c.semi ? 0x400u : 0u) | 10, 0, 0});  // 8 x 8 at (0, 10), 256 colours
    rebuild_object_lines(0);
    std::uint16_t line[240];
    fill16(line, 0, 240, 0x403);
    std::memset(t.depth, c.depth, 240);
    std::memset(t.top, c.top, 240);
    std::memset(t.beneath_bits, 0, 240);
    fill16(t.beneath, 0, 240, 0x55);
    object_renderers[0].targets(0, 0, 240, line);
    bool top = !c.beneath && c.top_after != c.top;
    EXPECT_EQ(line[3], top ? 0x105 : 0x403) << &c - GROUP_CASES;
    EXPECT_EQ(t.top[3], c.top_after) << &c - GROUP_CASES;
    EXPECT_EQ(t.depth[3], c.depth_after) << &c - GROUP_CASES;
    EXPECT_EQ(t.beneath[3], c.beneath ? 0x105 : 0x55) << &c - GROUP_CASES;
    EXPECT_EQ(t.beneath_bits[3] & OBJ, c.beneath ? OBJ : 0) << &c - GROUP_CASES;
    EXPECT_EQ(line[8], 0x403);  // beyond the object
    EXPECT_EQ(t.depth[8], c.depth);
  }
}

TEST_F(ObjectsTest, SemiTransparentObjectBlendsOverItsSecondTarget) {
  // BG0 entirely palette 3 as the second target; the object is not a first target in BLDCNT.
  io_store16(IO_BG0CNT, 0x80 | 20 << 8);
  std::memset(machine.vram_data + 64, 3, 64);
  for (unsigned c = 0; c < 1024; ++c) vram16(20 * 2048 + c * 2, 1);
  set(IO_DISPCNT, 0x100 | SHOW_OBJ);
  set(IO_BLDCNT, 0x0100);
  set(IO_BLDALPHA, 0x0808);
  machine.native_palette[3] = 0x7BEF * 2;  // 30, 62, 30
  machine.native_palette[256 + 5] = 0;
  std::memset(machine.vram_data + OBJ_TILES, 0x05, 64);
  put(0, {0x2400 | 10, 0, 0});
  auto row = draw(10);
  EXPECT_EQ(row[0], 0x7BEF);
  EXPECT_EQ(row[8], 0xF7DE);
}

}  // namespace
