// Cost of one drawn line: mode 0 with four 16-colour text backgrounds, and mode 2 with two
// rotated affine backgrounds. Every tile row is opaque so that no zero-word skip shortens the work.
// Then objects, windows and blending: 32 objects on one line, a windowed line with alpha blending,
// the busy line of all of these at once, and a whole frame of the sprite cartridge's scene. Last,
// the fades: a brightened text line and bitmap lines with and without one.

#include <benchmark/benchmark.h>

#include <cstring>

#include "core/io/io_registers.h"
#include "core/state.h"
#include "video/video.h"

namespace {

// Background and object tiles alike (object tiles start at 0x10000), with no zero byte: every
// tile is opaque.
void fill_vram_with_patterns() {
  for (unsigned i = 0; i < 0x18000; ++i)
    machine.vram_data[i] = static_cast<std::uint8_t>(0x11 + i % 0xEE);
  for (unsigned i = 0; i < 512; ++i) machine.native_palette[i] = static_cast<std::uint16_t>(i * 37);
}

void draw_lines(benchmark::State& state) {
  unsigned line = 0;
  for (auto _ : state) {
    io_store16(0x006, line);
    video_scanline();
    line = line == 159 ? 0 : line + 1;
  }
  benchmark::DoNotOptimize(machine.frame_pixels[0]);
}

void set_up_text_mode() {
  clear_machine_state();
  fill_vram_with_patterns();
  for (unsigned n = 0; n < 4; ++n) {
    // 16-colour tiles from character block n, maps in screen blocks 28-31, mixed sizes.
    io_store16(0x008 + 2 * n, n | n << 2 | (28 + n) << 8 | (n & 1) << 14);
    io_store16(0x010 + 4 * n, 13 * n + 3);
    io_store16(0x012 + 4 * n, 7 * n);
  }
  io_store16(IO_DISPCNT, 0x0F00);
}

void text_mode_four_backgrounds(benchmark::State& state) {
  set_up_text_mode();
  draw_lines(state);
}

void affine_mode_two_rotated(benchmark::State& state) {
  clear_machine_state();
  fill_vram_with_patterns();
  for (unsigned n = 2; n < 4; ++n) {
    io_store16(0x008 + 2 * n, n | 1 << 2 | (28 + n) << 8 | 0x2000 | 1 << 14);  // 256 x 256, wrap
    std::uint32_t base = 0x020 + 0x10 * (n - 2);
    io_store16(base, 181);  // a 45-degree turn
    io_store16(base + 2, 0xFF4B);
    io_store16(base + 4, 181);
    io_store16(base + 6, 181);
  }
  io_store16(IO_DISPCNT, 0x0C02);
  draw_lines(state);
}

void put_object(unsigned n, std::uint32_t a0, std::uint32_t a1, std::uint32_t a2) {
  std::uint8_t* a = machine.oam_data + n * 8;
  const std::uint32_t words[3] = {a0, a1, a2};
  for (unsigned i = 0; i < 3; ++i) {
    a[2 * i] = static_cast<std::uint8_t>(words[i]);
    a[2 * i + 1] = static_cast<std::uint8_t>(words[i] >> 8);
  }
  machine.oam_dirty = 1;
}

void hide_objects() {
  for (unsigned n = 0; n < 128; ++n) put_object(n, 0x200, 0, 0);
}

void draw_line(benchmark::State& state, unsigned line) {
  io_store16(0x006, line);
  video_scanline();
  for (auto _ : state) {
    io_store16(0x006, line);
    video_scanline();
  }
  benchmark::DoNotOptimize(machine.frame_pixels[0]);
}

// 32 opaque 32 x 32 objects across line 40: 16-colour, 256-colour and rotated ones, over BG0.
void thirty_two_objects(benchmark::State& state) {
  clear_machine_state();
  fill_vram_with_patterns();
  hide_objects();
  for (unsigned n = 0; n < 32; ++n) {
    std::uint32_t kind = n % 4 == 3 ? 0x0100 : (n & 1) << 13;
    put_object(n, 30 | kind, (n * 7) | 2u << 14, n * 16);
  }
  put_object(0, 30 | 0x100, 0x8000, 0);
  io_store16(IO_DISPCNT, 0x1140);
  draw_line(state, 40);
}

// Window 0 over the middle of the line, effects allowed inside only; eight semi-transparent
// objects over two text backgrounds blended 10/8.
void windowed_line_with_blending(benchmark::State& state) {
  clear_machine_state();
  fill_vram_with_patterns();
  hide_objects();
  io_store16(0x008, 0 | 28 << 8);
  io_store16(0x00A, 1 | 1 << 2 | 29 << 8);
  for (unsigned n = 0; n < 8; ++n) put_object(n, 30 | 0x400, (n * 29) | 2u << 14, n * 16);
  io_store16(0x040, 60 << 8 | 180);
  io_store16(0x044, 0x00A0);
  io_store16(0x048, 0x3F);
  io_store16(0x04A, 0x13);
  io_store16(0x050, 0x0251 | 0x40);
  io_store16(0x052, 0x080A);
  io_store16(IO_DISPCNT, 0x3340);
  draw_line(state, 40);
}

// The busy line: four text backgrounds, 32 objects across line 40 (a quarter of them
// semi-transparent, a quarter rotated), window 0 over the middle with effects inside only, and
// BG0 and the objects blended over the other backgrounds.
void busy_line_objects_window_alpha(benchmark::State& state) {
  set_up_text_mode();
  // Object tiles with every fifth byte transparent, and rotation matrices for the rotated ones.
  for (unsigned i = 0x10000; i < 0x18000; ++i)
    machine.vram_data[i] = i % 5 == 0 ? 0 : static_cast<std::uint8_t>(0x11 + i % 0xEE);
  hide_objects();
  const std::uint16_t matrix[4] = {222, 0xFF80, 128, 222};  // about 30 degrees
  for (unsigned group = 0; group < 8; ++group) {
    for (unsigned i = 0; i < 4; ++i) {
      machine.oam_data[(group * 4 + i) * 8 + 6] = static_cast<std::uint8_t>(matrix[i]);
      machine.oam_data[(group * 4 + i) * 8 + 7] = static_cast<std::uint8_t>(matrix[i] >> 8);
    }
  }
  for (unsigned n = 0; n < 32; ++n) {
    std::uint32_t kind = n % 4 == 3 ? 0x0100 : n % 4 == 1 ? 0x0400 : (n & 1) << 13;
    put_object(n, 30 | kind, (n * 7) | 2u << 14 | (n % 4 == 3 ? (n / 4) << 9 : 0), n * 16);
  }
  io_store16(0x040, 60 << 8 | 180);
  io_store16(0x044, 0x00A0);
  io_store16(0x048, 0x3F);
  io_store16(0x04A, 0x1F);
  io_store16(0x050, 0x0E51);
  io_store16(0x052, 0x080A);
  io_store16(IO_DISPCNT, 0x3F40);
  draw_line(state, 40);
}

// The sprite cartridge's scene, drawn a whole frame per iteration.
void sprite_cartridge_frame(benchmark::State& state) {
  clear_machine_state();
  fill_vram_with_patterns();
  hide_objects();
  io_store16(0x008, 1 | 31 << 8);
  put_object(0, 40 | 0x0000, 40 | 2u << 14, 0);
  put_object(1, 50 | 0x0400, 70 | 2u << 14, 0);
  put_object(2, 60 | 0x0300, 130 | 2u << 14, 0);
  machine.oam_data[6] = 0xB5;
  machine.oam_data[14] = 0x4B, machine.oam_data[15] = 0xFF;
  machine.oam_data[22] = 0xB5;
  machine.oam_data[30] = 0xB5;
  io_store16(0x040, 100 << 8 | 200);
  io_store16(0x044, 20 << 8 | 120);
  io_store16(0x048, 0x31);
  io_store16(0x04A, 0x10);
  io_store16(0x050, 0x0150);
  io_store16(0x052, 0x0808);
  io_store16(IO_DISPCNT, 0x3140);
  for (auto _ : state) {
    for (unsigned line = 0; line < 160; ++line) {
      io_store16(0x006, line);
      video_scanline();
    }
  }
  benchmark::DoNotOptimize(machine.frame_pixels[0]);
}

// Mode 0 as above with BG0 and BG1 brightened by 6/16.
void text_mode_brightened(benchmark::State& state) {
  set_up_text_mode();
  io_store16(0x050, 0x0083);
  io_store16(0x054, 6);
  draw_lines(state);
}

// Mode 3, the whole bitmap filled, with the matrix left at zero (every pixel of a line samples
// one texel) or `unscaled`; `fade` darkens BG2 by 6/16.
void bitmap_mode_three(benchmark::State& state, bool fade, bool unscaled = false) {
  clear_machine_state();
  fill_vram_with_patterns();
  for (unsigned i = 0x10000; i < 0x14000; ++i)
    machine.vram_data[i] = static_cast<std::uint8_t>(i * 13);
  io_store16(IO_DISPCNT, 0x0403);
  if (unscaled) {  // PA and PD 1.0, as games set them: the row is copied
    io_store16(0x020, 0x100);
    io_store16(0x026, 0x100);
  }
  if (fade) {
    io_store16(0x050, 0x00C4);
    io_store16(0x054, 6);
  }
  // Each frame starts again at the bitmap's top-left corner, as the frame's end does on the
  // console; otherwise the unscaled walk leaves the bitmap after one frame and every later line
  // is blank.
  unsigned line = 0;
  for (auto _ : state) {
    if (line == 0) machine.affine_ref_x[0] = machine.affine_ref_y[0] = 0;
    io_store16(0x006, line);
    video_scanline();
    line = line == 159 ? 0 : line + 1;
  }
  benchmark::DoNotOptimize(machine.frame_pixels[0]);
}
void bitmap_mode_three_plain(benchmark::State& state) { bitmap_mode_three(state, false); }
void bitmap_mode_three_darkened(benchmark::State& state) { bitmap_mode_three(state, true); }
void bitmap_mode_three_unscaled(benchmark::State& state) { bitmap_mode_three(state, false, true); }
void bitmap_mode_three_unscaled_darkened(benchmark::State& state) {
  bitmap_mode_three(state, true, true);
}

}  // namespace

BENCHMARK(busy_line_objects_window_alpha);
BENCHMARK(thirty_two_objects);
BENCHMARK(windowed_line_with_blending);
BENCHMARK(sprite_cartridge_frame);
BENCHMARK(text_mode_four_backgrounds);
BENCHMARK(affine_mode_two_rotated);
BENCHMARK(text_mode_brightened);
BENCHMARK(bitmap_mode_three_plain);
BENCHMARK(bitmap_mode_three_darkened);
BENCHMARK(bitmap_mode_three_unscaled);
BENCHMARK(bitmap_mode_three_unscaled_darkened);
BENCHMARK_MAIN();
