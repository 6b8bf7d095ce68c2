#include "tests/video/video_fixture.h"
#include "video/effects.h"

namespace {

constexpr std::uint32_t IO_BG2PB = 0x022;

// Fake passes that record which one ran and what the line and its target bits held at pixels 0
// and 100.
struct Seen {
  std::uint16_t colour;
  std::uint8_t top;
  std::uint16_t beneath;
  std::uint8_t beneath_bits;
};
struct PassLog {
  const char* last = "none";
  Seen at[2];
};
PassLog pass_log;

template <const char* Name>
void fake(unsigned, unsigned, std::uint16_t* line) {
  pass_log.last = Name;
  for (unsigned i = 0; i < 2; ++i) {
    unsigned x = i * 100;
    pass_log.at[i] = {line[x], line_targets.top[x], line_targets.beneath[x],
                      line_targets.beneath_bits[x]};
  }
  fill16(line, 0, 240, 0xEEEE);
}
constexpr char ALPHA[] = "alpha", SEMI[] = "semi", BRIGHTEN[] = "brighten", DARKEN[] = "darken",
               BRIGHTEN_SEMI[] = "brighten_semi", DARKEN_SEMI[] = "darken_semi";
const TargetPasses FAKE_PASSES = {fake<ALPHA>,  fake<SEMI>,          fake<BRIGHTEN>,
                                  fake<DARKEN>, fake<BRIGHTEN_SEMI>, fake<DARKEN_SEMI>};

class DispatchTest : public VideoTest {
 protected:
  void SetUp() override {
    VideoTest::SetUp();
    saved = target_passes;
    target_passes = FAKE_PASSES;
    pass_log = {};
    for (unsigned n = 0; n < 128; ++n) machine.oam_data[n * 8 + 1] = 0x02;  // all disabled
  }
  void TearDown() override { target_passes = saved; }
  TargetPasses saved{};

  // BGn as a text background whose whole map shows tile 1, solid in `index`.
  static void solid_bg(unsigned n, unsigned priority, std::uint8_t index) {
    std::uint32_t block = 20 + n;
    io_store16(IO_BG0CNT + 2 * n, priority | 0x80 | n << 2 | block << 8);
    std::memset(machine.vram_data + n * 0x4000 + 64, index, 64);
    for (unsigned c = 0; c < 32 * 32; ++c) vram16(block * 2048 + c * 2, 1);
  }
  // An 8 x 8 object at (x, y) with the given attribute-0 mode bits and priority.
  static void object(unsigned n, unsigned x, unsigned y, unsigned mode, unsigned priority,
                     unsigned tile = 0) {
    std::uint8_t* a = machine.oam_data + n * 8;
    a[0] = static_cast<std::uint8_t>(y);
    a[1] = static_cast<std::uint8_t>(mode << 2);
    a[2] = static_cast<std::uint8_t>(x);
    a[3] = static_cast<std::uint8_t>(x >> 8);
    a[4] = static_cast<std::uint8_t>(tile);
    a[5] = static_cast<std::uint8_t>(tile >> 8 | priority << 2);
  }
};

TEST_F(DispatchTest, NoLayerShowsTheBackdropOrItsFade) {
  struct Case {
    std::uint32_t bldcnt;
    const char* pass;
  } cases[] = {
      {0x0000, "none"},   {0x00A0, "brighten"},  // backdrop first target, effect 2
      {0x00E0, "darken"}, {0x0080, "none"},      // brighten, but the backdrop is no first target
      {0x0060, "none"},                          // alpha does not touch a lone backdrop
  };
  io_store16(IO_DISPCNT, 0x0000);
  for (const Case& c : cases) {
    pass_log = {};
    io_store16(IO_BLDCNT, c.bldcnt);
    auto line = draw(10);
    EXPECT_STREQ(pass_log.last, c.pass) << std::hex << c.bldcnt;
    if (std::string(c.pass) == "none") {
      EXPECT_EQ(line[0], BACKDROP);
    } else {
      EXPECT_EQ(pass_log.at[0].colour, BACKDROP);
      EXPECT_TRUE(pass_log.at[0].top & TARGET_FIRST);  // the backdrop marked as first target
    }
  }
}

TEST_F(DispatchTest, ForcedBlankIsWhiteAndStillAdvancesReferencePoints) {
  solid_bg(0, 0, 4);
  io_store16(IO_DISPCNT, 0x0180);
  io_store16(IO_BG2PB, 5);
  io_store16(IO_BG2PD, static_cast<std::uint32_t>(-7) & 0xFFFF);
  io_store16(IO_BG3PD, 3);
  auto line = draw(0);
  for (unsigned x = 0; x < 240; ++x) ASSERT_EQ(line[x], 0xFFFF) << x;
  EXPECT_EQ(machine.affine_ref_x[0], 5);
  EXPECT_EQ(machine.affine_ref_y[0], -7);
  EXPECT_EQ(machine.affine_ref_y[1], 3);
}

TEST_F(DispatchTest, FrameSkipLeavesFrameAndReferencePointsAlone) {
  solid_bg(0, 0, 4);
  io_store16(IO_DISPCNT, 0x0100);
  io_store16(IO_BG2PB, 5);
  fill16(machine.frame_pixels, 0, 240, 0x5555);
  machine.skip_frame = 1;
  static int presented = 0;
  present_frame_hook = [](const std::uint16_t*) { ++presented; };
  auto line = draw(0);
  video_frame_end();
  EXPECT_EQ(line[0], 0x5555);
  EXPECT_EQ(machine.affine_ref_x[0], 0);
  EXPECT_EQ(presented, 0);
  machine.skip_frame = 0;
  EXPECT_EQ(draw(0)[0], 4);
  video_frame_end();
  EXPECT_EQ(presented, 1);
  present_frame_hook = nullptr;
}

TEST_F(DispatchTest, LayerOrderPutsLowerNumbersAndObjectsOnTop) {
  solid_bg(0, 1, 4);
  solid_bg(1, 1, 5);
  solid_bg(2, 0, 6);
  solid_bg(3, 3, 7);
  object(0, 0, 0, 0, 1);
  machine.oam_dirty = 1;
  io_store16(IO_DISPCNT, 0x1B00);  // BG0, BG1, BG3, OBJ
  auto line = draw(0);
  ASSERT_EQ(machine.layer_count, 4u);
  EXPECT_EQ(machine.layer_order[0], 3);
  EXPECT_EQ(machine.layer_order[1], 1);
  EXPECT_EQ(machine.layer_order[2], 0);
  EXPECT_EQ(machine.layer_order[3], 4 + 1);  // the objects of priority 1 over BG0 and BG1
  EXPECT_EQ(line[0], 4);                     // BG0 over BG1 of equal priority
}

TEST_F(DispatchTest, ModeMasksLayersModes6And7ShowTheBackdrop) {
  solid_bg(0, 0, 4);
  solid_bg(2, 0, 6);
  io_store16(IO_DISPCNT, 0x1502);  // mode 2 cannot show BG0
  draw(0);
  ASSERT_EQ(machine.layer_count, 1u);
  EXPECT_EQ(machine.layer_order[0], 2);
  for (unsigned mode : {6u, 7u}) {
    io_store16(IO_DISPCNT, 0x1F00 | mode);
    EXPECT_EQ(draw(0)[0], BACKDROP) << mode;
    EXPECT_EQ(machine.layer_count, 0u);
  }
}

TEST_F(DispatchTest, EffectChoosesTheLinePath) {
  solid_bg(0, 0, 4);
  solid_bg(1, 1, 5);
  io_store16(IO_DISPCNT, 0x0300);
  // The colour and target bits of pixel 0 that the pass sees, and for the alpha blend BG1 beneath.
  struct Case {
    std::uint32_t bldcnt, bldalpha, bldy;
    bool semi_transparent;
    const char* pass;
    std::uint8_t top;
    std::uint16_t beneath;
    std::uint8_t beneath_bits;
  } cases[] = {
      {0x0241, 0x001F, 0, false, "none", 0, 0, 0},  // EVA 31, EVB 0: nothing to blend
      {0x0241, 0x0010, 0, false, "alpha", TARGET_FIRST, 5, TARGET_SECOND},
      {0x0041, 0x0808, 0, false, "none", 0, 0, 0},  // alpha without a second target
      {0x0081, 0, 8, false, "brighten", TARGET_FIRST, 0, 0},
      {0x00C1, 0, 8, false, "darken", TARGET_FIRST, 0, 0},
      {0x0081, 0, 0, false, "none", 0, 0, 0},  // EVY 0
      {0x0000, 0, 0, true, "semi", 0, 0, 0},
      {0x0081, 0, 8, true, "brighten_semi", TARGET_FIRST, 0, 0},
      {0x00C1, 0, 8, true, "darken_semi", TARGET_FIRST, 0, 0},
      {0x0080, 0, 8, true, "brighten_semi", 0, 0, 0},  // the objects are first targets themselves
      {0x0080, 0, 8, false, "none", 0, 0, 0},          // no first target at all
  };
  for (const Case& c : cases) {
    pass_log = {};
    io_store16(IO_BLDCNT, c.bldcnt);
    io_store16(IO_BLDALPHA, c.bldalpha);
    io_store16(IO_BLDY, c.bldy);
    machine.semi_transparent_count[0] = c.semi_transparent ? 1 : 0;
    auto line = draw(0);
    EXPECT_STREQ(pass_log.last, c.pass) << std::hex << c.bldcnt << " " << c.bldalpha;
    if (std::string(c.pass) == "none") {
      EXPECT_EQ(line[0], 4);
      continue;
    }
    EXPECT_EQ(pass_log.at[0].colour, 4) << c.pass;
    EXPECT_EQ(pass_log.at[0].top, c.top) << c.pass;
    if (c.beneath_bits != 0) {
      EXPECT_EQ(pass_log.at[0].beneath, c.beneath) << c.pass;
      EXPECT_EQ(pass_log.at[0].beneath_bits, c.beneath_bits) << c.pass;
    }
  }
}

// Objects at the bottom of the line lie over the backdrop with its target bits (BLDCNT bits 5 and
// 13), in every effect path: pixel 0 is the backdrop, pixel 100 the object over it.
TEST_F(DispatchTest, ObjectsOverTheBackdropSeeItsTargetFlags) {
  object(0, 100, 0, 0, 0);
  std::memset(machine.vram_data + 0x10000, 0x11, 32);  // tile 0 opaque
  machine.oam_dirty = 1;
  io_store16(IO_DISPCNT, 0x1000);
  constexpr std::uint8_t BACK = TARGET_BACKDROP;
  struct Case {
    std::uint32_t bldcnt, bldy;
    const char* pass;
    std::uint8_t backdrop_bits;
  } cases[] = {
      {0x2050, 0, "alpha", TARGET_SECOND | BACK},
      {0x0050, 0, "none", 0},
      {0x00B0, 8, "brighten", TARGET_FIRST | BACK},
      {0x20F0, 8, "darken", TARGET_FIRST | TARGET_SECOND | BACK},
  };
  io_store16(IO_BLDALPHA, 0x0808);
  for (const Case& c : cases) {
    pass_log = {};
    io_store16(IO_BLDCNT, c.bldcnt);
    io_store16(IO_BLDY, c.bldy);
    auto line = draw(0);
    EXPECT_STREQ(pass_log.last, c.pass) << std::hex << c.bldcnt;
    if (std::string(c.pass) == "none") {
      EXPECT_EQ(line[0], BACKDROP);
      continue;
    }
    EXPECT_EQ(pass_log.at[0].colour, BACKDROP) << std::hex << c.bldcnt;
    EXPECT_EQ(pass_log.at[0].top, c.backdrop_bits) << std::hex << c.bldcnt;
    EXPECT_EQ(pass_log.at[1].top & TARGET_OBJECT, TARGET_OBJECT) << std::hex << c.bldcnt;
    if (std::string(c.pass) == "alpha") {  // the object blends: the backdrop lies beneath it
      EXPECT_EQ(pass_log.at[1].beneath, BACKDROP);
      EXPECT_EQ(pass_log.at[1].beneath_bits, c.backdrop_bits);
    }
  }
}

TEST_F(DispatchTest, ObjectListsCoverTheirLines) {
  object(3, 10, 200, 0, 2);             // 8 x 8 at Y = 200 - 256 = -56: off screen
  machine.oam_data[3 * 8 + 3] |= 0xC0;  // size 3: 64 x 64, lines 0-7
  object(5, 0, 20, 1, 0);               // semi-transparent, lines 20-27
  object(6, 0, 30, 2, 0);               // OBJ window
  object(7, 0, 40, 0, 0);
  machine.oam_data[7 * 8 + 1] |= 0x02;  // bit 9 alone: disabled
  rebuild_object_lines(0);
  EXPECT_EQ(machine.object_line_count[2][7], 1u);
  EXPECT_EQ(machine.object_line_list[2][7][0], 3);
  EXPECT_EQ(machine.object_line_count[2][8], 0u);
  EXPECT_EQ(machine.object_line_count[0][27], 1u);
  EXPECT_EQ(machine.semi_transparent_count[27], 1u);
  EXPECT_EQ(machine.semi_transparent_count[28], 0u);
  EXPECT_EQ(machine.object_line_count[4][30], 1u);
  EXPECT_EQ(machine.object_line_count[0][40], 0u);
  // Bitmap modes keep tiles below 512 for the picture.
  object(0, 0, 100, 0, 1, 100);
  object(1, 0, 100, 0, 1, 600);
  rebuild_object_lines(3);
  ASSERT_EQ(machine.object_line_count[1][100], 1u);
  EXPECT_EQ(machine.object_line_list[1][100][0], 1);
}

}  // namespace
