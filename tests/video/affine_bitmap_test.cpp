#include "tests/video/video_fixture.h"

namespace {

constexpr std::uint32_t SCREEN_BLOCK = 16;  // map at 32 KB
constexpr std::uint32_t MAP = SCREEN_BLOCK * 2048;
constexpr std::uint32_t IO_BG2PC = 0x024;

// BG2 alone in mode 2 over a map whose cell (row, column) holds tile 1 + column + row x 16 % 200,
// each tile solid in its own number; identity scale unless a test changes it.
void mode2_bg2(std::uint32_t control, unsigned cells_per_row) {
  io_store16(IO_DISPCNT, 0x0402);
  io_store16(IO_BG0CNT + 4, control | SCREEN_BLOCK << 8);
  io_store16(IO_BG2PA, 256);
  io_store16(IO_BG2PD, 256);
  for (unsigned tile = 1; tile < 256; ++tile) {
    std::memset(machine.vram_data + tile * 64, static_cast<int>(tile), 64);
  }
  for (unsigned row = 0; row < cells_per_row; ++row) {
    for (unsigned c = 0; c < cells_per_row; ++c) {
      machine.vram_data[MAP + row * cells_per_row + c] =
          static_cast<std::uint8_t>(1 + (c + row * 16) % 200);
    }
  }
}

class AffineTest : public VideoTest {};

TEST_F(AffineTest, Unwrapped128MapAtMinus8) {
  mode2_bg2(0x0000, 16);
  machine.affine_ref_x[0] = -8 * 256;
  auto line = draw(0);
  for (unsigned x = 0; x < 8; ++x) EXPECT_EQ(line[x], BACKDROP) << x;
  for (unsigned x = 8; x < 136; ++x) EXPECT_EQ(line[x], 1 + (x - 8) / 8) << x;
  for (unsigned x = 136; x < 240; ++x) EXPECT_EQ(line[x], BACKDROP) << x;
}

TEST_F(AffineTest, Wrapped256MapAtX300StartsAtColumn44) {
  mode2_bg2(0x6000, 32);
  machine.affine_ref_x[0] = 300 * 256;
  auto line = draw(0);
  EXPECT_EQ(line[0], 1 + 44 / 8);
  EXPECT_EQ(line[3], 1 + 47 / 8);
  EXPECT_EQ(line[4], 1 + 48 / 8);
  EXPECT_EQ(line[212], 1 + 0);  // 300 + 212 = 512: map column 0 again
}

TEST_F(AffineTest, RotatedLinesFollowPc) {
  // A quarter turn: along the line y grows and x stays. Row 0 of the map lies at x = 5 cells.
  mode2_bg2(0x0000, 16);
  io_store16(IO_BG2PA, 0);
  io_store16(IO_BG2PC, 256);
  machine.affine_ref_x[0] = 40 * 256;
  auto line = draw(0);
  for (unsigned x = 0; x < 128; ++x) EXPECT_EQ(line[x], 1 + (5 + (x / 8) * 16) % 200) << x;
  EXPECT_EQ(line[128], BACKDROP);  // left the map at the bottom: transparent from there on
  io_store16(IO_BG0CNT + 4, 0x2000 | SCREEN_BLOCK << 8);  // wrapped: back at the top
  line = draw(0);
  EXPECT_EQ(line[128], 1 + 5);
}

class BitmapTest : public VideoTest {
 protected:
  void SetUp() override {
    VideoTest::SetUp();
    io_store16(IO_BG2PA, 256);
    io_store16(IO_BG2PD, 256);
  }
};

TEST_F(BitmapTest, Mode3AtMinus10CopiesColumns0To229) {
  io_store16(IO_DISPCNT, 0x0403 | DISPCNT_FRAME_SELECT);  // mode 3 ignores the page bit
  vram16(0, 0x001F);                                      // red
  vram16(100 * 2, 0x03E0);                                // green
  vram16(229 * 2, 0x7C00);                                // blue
  vram16(230 * 2, 0x7FFF);
  machine.affine_ref_x[0] = -10 * 256;
  auto line = draw(0);
  for (unsigned x = 0; x < 10; ++x) EXPECT_EQ(line[x], BACKDROP) << x;
  EXPECT_EQ(line[10], 0xF800);
  EXPECT_EQ(line[110], 0x07C0);
  EXPECT_EQ(line[239], 0x001F);
  EXPECT_EQ(line[11], 0);
}

TEST_F(BitmapTest, Mode5Draws160By128) {
  io_store16(IO_DISPCNT, 0x0405);
  for (unsigned i = 0; i < 160 * 128; ++i) vram16(i * 2, 0x001F);
  machine.affine_ref_y[0] = 127 * 256;
  auto line = draw(127);
  EXPECT_EQ(line[0], 0xF800);
  EXPECT_EQ(line[159], 0xF800);
  EXPECT_EQ(line[160], BACKDROP);
  EXPECT_EQ(machine.affine_ref_y[0], 128 * 256);  // advanced by PD
  line = draw(128);
  EXPECT_EQ(line[0], BACKDROP);
}

TEST_F(BitmapTest, Mode4PageSelect) {
  io_store16(IO_DISPCNT, 0x0404);
  machine.vram_data[5] = 3;
  machine.vram_data[0xA000 + 5] = 7;
  EXPECT_EQ(draw(0)[5], 3);
  io_store16(IO_DISPCNT, 0x0404 | DISPCNT_FRAME_SELECT);
  machine.affine_ref_x[0] = 0;
  machine.affine_ref_y[0] = 0;
  auto line = draw(0);
  EXPECT_EQ(line[5], 7);
  EXPECT_EQ(line[6], BACKDROP);  // index 0 draws palette entry 0
}

// The run of steps that affine objects and bitmaps sample, found ahead of the loop, against a
// walk that tests every step, over starts, steps and bands on both sides of zero.
TEST(StepsInside, FindTheSameRunAsAStepByStepWalk) {
  for (std::int64_t t = -70000; t <= 70000; t += 1237) {
    for (std::int64_t d : {-32768, -300, -256, -17, -1, 0, 1, 5, 256, 300, 32767}) {
      for (std::int64_t high : {256, 8 * 256, 160 * 256}) {
        unsigned first = 0, end = 0;
        bool seen = false;
        for (unsigned i = 0; i < 240; ++i) {
          std::int64_t v = t + d * i;
          if (v >= 0 && v < high) {
            if (!seen) first = i;
            seen = true;
            end = i + 1;
          }
        }
        StepRange run = steps_inside(t, d, 0, high, 240);
        ASSERT_EQ(run.first, seen ? first : 0u) << t << " " << d << " " << high;
        ASSERT_EQ(run.end, seen ? end : 0u) << t << " " << d << " " << high;
      }
    }
  }
}

}  // namespace
