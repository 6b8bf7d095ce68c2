#pragma once
// Busy random frames for checking the renderer against an earlier version of itself: random video
// memory, palette and OAM (normal, semi-transparent, affine, double-size and OBJ-window objects),
// random layer, window and blending registers, in a given mode. Plain code without the test
// framework, so that the same scenes can be drawn by any version of the renderer.

#include <cstdint>
#include <random>

#include "core/io/io_image.h"
#include "core/state.h"
#include "video/video.h"

class BusyFrames {
 public:
  // Scene `seed` in mode seed % 6.
  void make_scene(unsigned seed) {
    clear_machine_state();
    random.seed(seed);
    fill_memory();
    set_registers(seed % 6);
  }

  // All 160 lines through the scheduler's entry point, from the scene's reference points.
  void draw_frame() {
    for (unsigned bg = 0; bg < 2; ++bg) {
      machine.affine_ref_x[bg] = reference[bg];
      machine.affine_ref_y[bg] = reference[2 + bg];
    }
    for (unsigned y = 0; y < 160; ++y) {
      io_store16(IO_VCOUNT, y);
      video_scanline();
    }
  }

 private:
  std::mt19937 random{0};
  std::int32_t reference[4] = {};
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
    io_store16(IO_DISPCNT, mode | below(2) << 4 | below(2) << 6 | 0x1F00 | windows);
    for (unsigned bg = 0; bg < 4; ++bg) {
      io_store16(IO_BG0CNT + 2 * bg, below(4) | below(4) << 2 | below(2) << 7 | below(32) << 8 |
                                         below(2) << 13 | below(4) << 14);
      io_store16(IO_BG0HOFS + 4 * bg, below(512));
      io_store16(IO_BG0VOFS + 4 * bg, below(512));
    }
    for (unsigned bg = 0; bg < 2; ++bg) {
      // Unscaled rows (the bitmap modes' row copy) and a matrix of zeros (one texel for the whole
      // line) a third of the time each.
      unsigned matrix = below(3);
      io_store16(IO_BG2PA + 0x10 * bg, matrix == 0 ? 256 : matrix == 1 ? 0 : below(0x10000));
      io_store16(IO_BG2PC + 0x10 * bg, matrix < 2 ? 0 : below(0x10000));
      io_store16(IO_BG2PB + 0x10 * bg, below(0x10000));
      io_store16(IO_BG2PD + 0x10 * bg, below(0x200));
      // Mostly inside the bitmap and the map's first screen, sometimes well outside.
      bool outside = below(4) == 0;
      reference[bg] = static_cast<std::int32_t>(random() % 0xF000) - (outside ? 0x8000 : 0);
      reference[2 + bg] = static_cast<std::int32_t>(random() % 0xA000) - (outside ? 0x8000 : 0);
    }
    io_store16(IO_WIN0H, below(0x10000));
    io_store16(IO_WIN0H + 2, below(0x10000));
    io_store16(IO_WIN0V, below(0x10000));
    io_store16(IO_WIN0V + 2, below(0x10000));
    io_store16(IO_WININ, below(0x10000));
    io_store16(IO_WINOUT, below(0x10000));
    io_store16(IO_BLDCNT, below(0x10000));
    io_store16(IO_BLDALPHA, below(0x2000));
    io_store16(IO_BLDY, below(0x20));
  }
};

// FNV-1a over a frame's pixels.
inline std::uint64_t frame_hash(const std::uint16_t* pixels) {
  std::uint64_t hash = 0xCBF29CE484222325u;
  for (unsigned i = 0; i < 240 * 160; ++i) {
    hash = (hash ^ (pixels[i] & 0xFF)) * 0x100000001B3u;
    hash = (hash ^ (pixels[i] >> 8)) * 0x100000001B3u;
  }
  return hash;
}
