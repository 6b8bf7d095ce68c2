// Lines with colour effects drawn in colours with target bits beside them, against the earlier
// tagged path (palette indices with target flags, then a pass over the whole span) as the oracle:
// busy random frames in every mode, with many objects (semi-transparent, affine, double size,
// OBJ-window ones), both windows and the OBJ window, alpha blending and brightness, must come out
// the same pixel for pixel.

#include <random>

#include "tests/video/video_fixture.h"

namespace {

class TargetPathTest : public VideoTest {
 protected:
  void TearDown() override { tagged_reference_path = false; }

  std::mt19937 random{0};
  unsigned below(unsigned n) { return static_cast<unsigned>(random() % n); }

  // Pixel bytes with about one nibble in three transparent, so layers show through each other.
  void fill_memory() {
    for (std::uint8_t& b : machine.vram_data) {
      unsigned low = below(3) == 0 ? 0 : 1 + below(15), high = below(3) == 0 ? 0 : 1 + below(15);
      b = static_cast<std::uint8_t>(low | high << 4);
    }
    for (std::uint16_t& c : machine.native_palette) c = static_cast<std::uint16_t>(random());
    for (unsigned n = 0; n < 128; ++n) {
      std::uint8_t* a = machine.oam_data + n * 8;
      unsigned kind = below(8);  // mostly normal, then semi-transparent, then OBJ window
      unsigned mode = kind < 5 ? 0 : kind < 7 ? 1 : 2;
      unsigned affine = below(4) == 0 ? 0x100 | (below(2) << 9) : 0;
      std::uint32_t a0 = below(180) | affine | mode << 10 | below(2) << 13 | below(3) << 14;
      std::uint32_t a1 = below(512) | below(4) << 14 | (affine ? below(32) << 9 : below(4) << 12);
      std::uint32_t a2 = below(1024) | below(4) << 10 | below(16) << 12;
      const std::uint32_t words[4] = {a0, a1, a2, static_cast<std::uint32_t>(random())};
      for (unsigned w = 0; w < 4; ++w) {
        a[2 * w] = static_cast<std::uint8_t>(words[w]);
        a[2 * w + 1] = static_cast<std::uint8_t>(words[w] >> 8);
      }
    }
    machine.oam_dirty = 1;
  }

  void set_registers(unsigned mode) {
    std::uint32_t windows = below(8) << 13;
    set(IO_DISPCNT, mode | below(2) << 4 | below(2) << 6 | 0x1F00 | windows);
    for (unsigned bg = 0; bg < 4; ++bg) {
      set(IO_BG0CNT + 2 * bg, below(4) | below(4) << 2 | below(2) << 7 | below(32) << 8 |
                                  below(2) << 13 | below(4) << 14);
      set(IO_BG0HOFS + 4 * bg, below(512));
      set(IO_BG0VOFS + 4 * bg, below(512));
    }
    for (unsigned bg = 0; bg < 2; ++bg) {
      // Unscaled rows half the time, so that the bitmap modes take their row copy too.
      bool straight = below(2) == 0;
      set(IO_BG2PA + 0x10 * bg, straight ? 256 : below(0x10000));
      set(IO_BG2PB + 0x10 * bg, below(0x10000));
      set(IO_BG2PC + 0x10 * bg, straight ? 0 : below(0x10000));
      set(IO_BG2PD + 0x10 * bg, below(0x200));
      reference[bg] = static_cast<std::int32_t>(random() % 0x20000) - 0x8000;
      reference[2 + bg] = static_cast<std::int32_t>(random() % 0x20000) - 0x8000;
    }
    set(IO_WIN0H, below(0x10000));
    set(IO_WIN0H + 2, below(0x10000));
    set(IO_WIN0V, below(0x10000));
    set(IO_WIN0V + 2, below(0x10000));
    set(IO_WININ, below(0x10000));
    set(IO_WINOUT, below(0x10000));
    set(IO_BLDCNT, below(0x10000));
    set(IO_BLDALPHA, below(0x2000));
    set(IO_BLDY, below(0x20));
  }

  std::vector<std::uint16_t> frame(bool tagged) {
    tagged_reference_path = tagged;
    for (unsigned bg = 0; bg < 2; ++bg) {
      machine.affine_ref_x[bg] = reference[bg];
      machine.affine_ref_y[bg] = reference[2 + bg];
    }
    for (unsigned y = 0; y < SCREEN_HEIGHT; ++y) {
      set(IO_VCOUNT, y);
      video_scanline();
    }
    return {machine.frame_pixels, machine.frame_pixels + SCREEN_WIDTH * SCREEN_HEIGHT};
  }

  std::int32_t reference[4] = {};
};

TEST_F(TargetPathTest, BusyFramesMatchTheTaggedPath) {
  unsigned effect_lines = 0;
  for (unsigned seed = 1; seed <= 48; ++seed) {
    random.seed(seed);
    fill_memory();
    unsigned mode = seed % 6;
    set_registers(mode);
    std::vector<std::uint16_t> expected = frame(true), got = frame(false);
    for (unsigned i = 0; i < expected.size(); ++i) {
      ASSERT_EQ(got[i], expected[i]) << "seed " << seed << " mode " << mode << " pixel ("
                                     << i % SCREEN_WIDTH << ", " << i / SCREEN_WIDTH << ")";
    }
    std::uint32_t bldcnt = io_read16(IO_BLDCNT);
    if (((bldcnt >> 6) & 3) != 0) effect_lines += SCREEN_HEIGHT;
  }
  EXPECT_GT(effect_lines, 0u);
}

}  // namespace
