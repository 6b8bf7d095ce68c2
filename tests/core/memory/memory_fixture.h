#pragma once
// A freshly reset machine with a small cartridge loaded whole, as a game start leaves it.

#include <gtest/gtest.h>

#include <vector>

#include "core/cartridge/cartridge.h"
#include "core/memory/memory.h"
#include "core/state.h"
#include "tests/support/temp_dir.h"

class MemoryTest : public ::testing::Test {
 protected:
  static constexpr std::size_t ROM_BYTES = 0x10000;  // two pages

  void SetUp() override {
    clear_machine_state();
    ASSERT_TRUE(alloc_rom_buffer_of_size(1 << 20));
    rom_image.assign(ROM_BYTES, 0);
    for (std::size_t i = 0; i < ROM_BYTES; ++i) rom_image[i] = static_cast<std::uint8_t>(i * 7 + 3);
    copy_bios_image();
    load(rom_image);
  }

  void TearDown() override { release_rom_buffer(); }

  void load(const std::vector<std::uint8_t>& image) {
    CartridgeError error{};
    ASSERT_EQ(load_cartridge(dir.write("game.gba", image).c_str(), &error), 1)
        << cartridge_error_text(error);
    reset_memory_map();
  }

  std::uint32_t rom_word(std::size_t offset) const {
    return rom_image[offset] | rom_image[offset + 1] << 8 | rom_image[offset + 2] << 16 |
           static_cast<std::uint32_t>(rom_image[offset + 3]) << 24;
  }

  TempDir dir;
  std::vector<std::uint8_t> rom_image;
};
