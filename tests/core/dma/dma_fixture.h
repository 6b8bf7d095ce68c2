#pragma once
// A machine as a game start leaves it, with a small cartridge whose every byte is known, and a
// way to start a DMA as a game does: address and count registers first, then the control.

#include <cstdint>
#include <vector>

#include "core/cartridge/cartridge.h"
#include "core/dma/dma.h"
#include "core/memory/bios_image.h"
#include "tests/core/hardware_fixture.h"
#include "tests/support/temp_dir.h"

constexpr std::uint32_t EWRAM = 0x02000000;
constexpr std::uint32_t IWRAM = 0x03000000;
constexpr std::uint32_t VRAM = 0x06000000;
constexpr std::uint32_t ROM = 0x08000000;

// DMAxCNT_H fields.
constexpr std::uint32_t DMA_ENABLE = 1u << 15;
constexpr std::uint32_t DMA_IRQ = 1u << 14;
constexpr std::uint32_t DMA_WORDS = 1u << 10;
constexpr std::uint32_t DMA_REPEAT = 1u << 9;
constexpr std::uint32_t dest_step(std::uint32_t step) { return step << 5; }
constexpr std::uint32_t source_step(std::uint32_t step) { return step << 7; }
constexpr std::uint32_t start_timing(std::uint32_t mode) { return mode << 12; }
constexpr std::uint32_t UP = 0, DOWN = 1, FIXED = 2, UP_RELOAD = 3;

class DmaTest : public HardwareTest {
 protected:
  static constexpr std::size_t ROM_BYTES = 0x10000;

  void SetUp() override {
    HardwareTest::SetUp();
    ASSERT_TRUE(alloc_rom_buffer_of_size(1 << 20));
    load_rom(ROM_BYTES);
  }

  void TearDown() override {
    release_rom_buffer();
    HardwareTest::TearDown();
  }

  void load_rom(std::size_t bytes) {
    rom_image.assign(bytes, 0);
    // Every 256-byte stretch differs from the others, so a wrong page cannot pass for the right.
    for (std::size_t i = 0; i < bytes; ++i) {
      rom_image[i] = static_cast<std::uint8_t>(i * 7 + 3 + (i >> 8) * 13);
    }
    CartridgeError error{};
    ASSERT_EQ(load_cartridge(dir.write("game.gba", rom_image).c_str(), &error), 1)
        << cartridge_error_text(error);
    reset_memory_map();
    copy_bios_image();
  }

  std::uint32_t rom_word(std::size_t offset) const {
    return rom_image[offset] | rom_image[offset + 1] << 8 | rom_image[offset + 2] << 16 |
           static_cast<std::uint32_t>(rom_image[offset + 3]) << 24;
  }
  std::uint32_t rom_half(std::size_t offset) const {
    return rom_image[offset] | static_cast<std::uint32_t>(rom_image[offset + 1]) << 8;
  }

  // Returns the Alert of the control write, which is the transfer's for an immediate start.
  static std::uint32_t start_dma(unsigned channel, std::uint32_t source, std::uint32_t dest,
                                 std::uint32_t count, std::uint32_t control) {
    std::uint32_t base = dma_register_base(channel);
    io_write32(base + DMA_SAD, source);
    io_write32(base + DMA_DAD, dest);
    return io_write32(base + DMA_CNT_L, (count & 0xFFFF) | control << 16);
  }

  static std::uint32_t control_of(unsigned channel) {
    return io16(dma_register_base(channel) + DMA_CNT_H);
  }

  // Guest memory through the CPU's slow path, which knows every region's layout.
  static std::uint32_t word_at(std::uint32_t address) { return mem_read32(address); }
  static std::uint32_t half_at(std::uint32_t address) { return mem_read16(address); }
  static void put_word(std::uint32_t address, std::uint32_t value) { mem_write32(address, value); }
  static void put_half(std::uint32_t address, std::uint32_t value) { mem_write16(address, value); }

  TempDir dir;
  std::vector<std::uint8_t> rom_image;
};
