#pragma once
// A cleared machine with an identity palette (entry i holds the value i, so a drawn pixel names
// the palette index it came from) and a distinctive backdrop.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "core/io/io_registers.h"
#include "core/state.h"
#include "video/dispatch.h"
#include "video/renderer.h"
#include "video/video.h"

constexpr std::uint16_t BACKDROP = 0x7777;

class VideoTest : public ::testing::Test {
 protected:
  void SetUp() override {
    clear_machine_state();
    for (unsigned i = 0; i < 512; ++i) machine.native_palette[i] = static_cast<std::uint16_t>(i);
    machine.native_palette[0] = BACKDROP;
  }

  static void set(std::uint32_t offset, std::uint32_t value) { io_store16(offset, value); }
  static void vram16(std::uint32_t offset, std::uint32_t value) {
    machine.vram_data[offset] = static_cast<std::uint8_t>(value);
    machine.vram_data[offset + 1] = static_cast<std::uint8_t>(value >> 8);
  }
  // A 256-colour tile at `base` whose every pixel is `index`.
  static void solid_tile(std::uint32_t base, unsigned tile, std::uint8_t index) {
    std::memset(machine.vram_data + base + tile * 64, index, 64);
  }

  // Line `y` drawn through the scheduler's entry point.
  static std::vector<std::uint16_t> draw(unsigned y) {
    set(IO_VCOUNT, y);
    video_scanline();
    const std::uint16_t* row = machine.frame_pixels + y * SCREEN_WIDTH;
    return {row, row + SCREEN_WIDTH};
  }
};
