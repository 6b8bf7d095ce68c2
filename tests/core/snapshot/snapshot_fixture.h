#pragma once
// Snapshot tests start from a machine as a game start leaves it, with the file's layout worked out
// from its field table rather than taken from the code under test.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

#include "core/save/backup.h"
#include "core/snapshot/snapshot.h"
#include "tests/core/hardware_fixture.h"

struct LayoutField {
  std::string_view name;
  std::size_t bytes;
};

// The file, field by field, in order.
inline constexpr LayoutField SNAPSHOT_LAYOUT[] = {
    {"registers", 256},
    {"saved psrs", 24},
    {"banked", 196},
    {"elapsed_cycles", 4},
    {"cycle_budget", 4},
    {"line_countdown", 4},
    {"timers", 128},
    {"save_kind", 4},
    {"sram_64k", 4},
    {"flash_state", 4},
    {"flash_step", 4},
    {"flash bank", 4},
    {"flash_chip_id", 4},
    {"flash_maker_id", 4},
    {"flash_128k", 4},
    {"eeprom_8k", 4},
    {"eeprom_phase", 4},
    {"eeprom_addr_width", 4},
    {"eeprom_block_offset", 4},
    {"eeprom_bits_seen", 4},
    {"clock_state", 4},
    {"clock_input_target", 4},
    {"gpio_shadow", 3},
    {"clock_command", 4},
    {"clock_bytes", 48},
    {"clock_status", 4},
    {"clock_length", 4},
    {"clock_bit", 4},
    {"eeprom shift", 8},
    {"reserved", 512},
    {"dma", 176},
    {"iwram", 32768},
    {"ewram", 262144},
    {"vram", 98304},
    {"oam", 1024},
    {"palette", 1024},
    {"io", 32768},
    {"affine x", 8},
    {"affine y", 8},
    {"padding", 660},
};

inline std::size_t layout_offset(std::string_view name) {
  std::size_t offset = 0;
  for (const LayoutField& field : SNAPSHOT_LAYOUT) {
    if (field.name == name) return offset;
    offset += field.bytes;
  }
  ADD_FAILURE() << "no field " << name;
  return 0;
}

inline std::uint32_t word_at(const std::vector<std::uint8_t>& image, std::size_t offset) {
  std::uint32_t value = 0;
  std::memcpy(&value, image.data() + offset, 4);
  return value;
}

inline void put_word(std::vector<std::uint8_t>& image, std::size_t offset, std::uint32_t value) {
  std::memcpy(image.data() + offset, &value, 4);
}

class SnapshotTest : public HardwareTest {
 protected:
  void SetUp() override {
    HardwareTest::SetUp();
    reset_backup_state();
  }

  static std::vector<std::uint8_t> image_now() {
    std::vector<std::uint8_t> image(SNAPSHOT_BYTES);
    build_snapshot_image(image.data());
    return image;
  }
};
