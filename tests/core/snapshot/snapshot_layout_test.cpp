// Where each piece of the machine lands in the file, and files that must be refused.

#include <fstream>
#include <iterator>

#include "core/file_replace.h"
#include "core/save/save_file.h"
#include "tests/core/snapshot/snapshot_fixture.h"
#include "tests/support/temp_dir.h"

namespace {

std::vector<std::uint8_t> read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A copy of the whole machine record, to show that a refused load changed nothing.
std::vector<std::uint8_t> machine_bytes() {
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(&machine);
  return {bytes, bytes + sizeof machine};
}

TEST(SnapshotLayout, FieldsAddUpToTheFileSize) {
  std::size_t total = 0;
  for (const LayoutField& field : SNAPSHOT_LAYOUT) total += field.bytes;
  EXPECT_EQ(total, SNAPSHOT_BYTES);
  EXPECT_EQ(layout_offset("padding"), SNAPSHOT_BYTES - 660);
}

TEST_F(SnapshotTest, CpuAndSchedulerFieldsComeFirst) {
  reg[5] = 0x11223344;
  machine.saved_psr[2] = 0x600000D2;
  machine.banked[3][4] = 0xCAFEF00D;
  machine.elapsed_cycles = -5;
  machine.cycle_budget = 777;
  machine.line_countdown = 123;
  machine.timers[2].fifo_step = 0xABCD1234;
  machine.timers[3].run_state = TIMER_CASCADED;
  auto image = image_now();
  EXPECT_EQ(word_at(image, layout_offset("registers") + 5 * 4), 0x11223344u);
  EXPECT_EQ(word_at(image, layout_offset("saved psrs") + 2 * 4), 0x600000D2u);
  EXPECT_EQ(word_at(image, layout_offset("banked") + (3 * 7 + 4) * 4), 0xCAFEF00Du);
  EXPECT_EQ(word_at(image, layout_offset("elapsed_cycles")), 0xFFFFFFFBu);
  EXPECT_EQ(word_at(image, layout_offset("cycle_budget")), 777u);
  EXPECT_EQ(word_at(image, layout_offset("line_countdown")), 123u);
  EXPECT_EQ(word_at(image, layout_offset("timers") + 2 * 32 + 4 * 4), 0xABCD1234u);
  EXPECT_EQ(word_at(image, layout_offset("timers") + 3 * 32 + 7 * 4), TIMER_CASCADED);
}

TEST_F(SnapshotTest, SaveMemoryControllerFieldsAreWordsExceptGpioAndShift) {
  BackupState& s = machine.backup;
  s.flash_state = FLASH_WRITE_BYTE;
  s.flash_bank_offset = FLASH_BANK_SIZE;
  s.flash_chip_id = 0x09;
  s.eeprom_bits_seen = 0x51;
  s.clock_input_target = 0x7777;
  machine.gpio_shadow[0] = 0xA1;
  machine.gpio_shadow[2] = 0xA3;
  s.clock_command = 0x65;
  s.clock_bytes[6] = 0x59;
  s.clock_bit = 9;
  s.eeprom_shift[1] = 0xEE;
  auto image = image_now();
  EXPECT_EQ(word_at(image, layout_offset("flash_state")), FLASH_WRITE_BYTE);
  EXPECT_EQ(word_at(image, layout_offset("flash bank")), FLASH_BANK_SIZE);
  EXPECT_EQ(word_at(image, layout_offset("flash_chip_id")), 0x09u);
  EXPECT_EQ(word_at(image, layout_offset("eeprom_bits_seen")), 0x51u);
  EXPECT_EQ(word_at(image, layout_offset("clock_input_target")), 0x7777u);
  EXPECT_EQ(image[layout_offset("gpio_shadow")], 0xA1);
  EXPECT_EQ(image[layout_offset("gpio_shadow") + 2], 0xA3);
  EXPECT_EQ(word_at(image, layout_offset("clock_command")), 0x65u);
  EXPECT_EQ(word_at(image, layout_offset("clock_bytes") + 6 * 4), 0x59u);
  EXPECT_EQ(word_at(image, layout_offset("clock_bit")), 9u);
  EXPECT_EQ(image[layout_offset("eeprom shift") + 1], 0xEE);
}

TEST_F(SnapshotTest, MemoryImagesFollowTheDmaChannels) {
  machine.dma_channels[3].start_mode = DMA_HBLANK;
  machine.iwram.data[0x7FFF] = 0x31;
  machine.ewram[5].data[3] = 0x32;
  machine.vram_data[0x17FFF] = 0x33;
  machine.oam_data[1] = 0x34;
  machine.palette_data[0x3FF] = 0x35;
  machine.io_regs[0x7FFE] = 0x36;
  machine.affine_ref_x[1] = -2;
  machine.affine_ref_y[0] = 0x1234;
  auto image = image_now();
  EXPECT_EQ(word_at(image, layout_offset("dma") + 3 * 44 + 9 * 4), DMA_HBLANK);
  EXPECT_EQ(image[layout_offset("iwram") + 0x7FFF], 0x31);
  EXPECT_EQ(image[layout_offset("ewram") + 5 * 0x8000 + 3], 0x32);
  EXPECT_EQ(image[layout_offset("vram") + 0x17FFF], 0x33);
  EXPECT_EQ(image[layout_offset("oam") + 1], 0x34);
  EXPECT_EQ(image[layout_offset("palette") + 0x3FF], 0x35);
  EXPECT_EQ(image[layout_offset("io") + 0x7FFE], 0x36);
  EXPECT_EQ(word_at(image, layout_offset("affine x") + 4), 0xFFFFFFFEu);
  EXPECT_EQ(word_at(image, layout_offset("affine y")), 0x1234u);
}

TEST_F(SnapshotTest, ReservedBlockAndPaddingAreZero) {
  std::memset(machine.iwram.data, 0x5A, sizeof machine.iwram.data);
  auto image = image_now();
  for (std::string_view name : {"reserved", "padding"}) {
    std::size_t start = layout_offset(name);
    for (std::size_t n = 0; n < (name == "reserved" ? 512u : 660u); ++n) {
      ASSERT_EQ(image[start + n], 0) << name << " byte " << n;
    }
  }
}

TEST_F(SnapshotTest, FlashBankOutsideTheBufferIsSavedAsBankZero) {
  machine.backup.flash_bank_offset = 0x30000;
  auto image = image_now();
  EXPECT_EQ(word_at(image, layout_offset("flash bank")), 0u);
  EXPECT_EQ(machine.backup.flash_bank_offset, 0u);
}

TEST_F(SnapshotTest, TwoSavesWithoutRunningGiveIdenticalFiles) {
  run_to_line_start(42);
  machine.vram_data[100] = 7;
  TempDir dir;
  ASSERT_EQ(save_snapshot(dir.file("a_1.sna").c_str()), 1);
  ASSERT_EQ(save_snapshot(dir.file("a_2.sna").c_str()), 1);
  auto first = read_file(dir.file("a_1.sna"));
  EXPECT_EQ(first.size(), SNAPSHOT_BYTES);
  EXPECT_EQ(first, read_file(dir.file("a_2.sna")));
}

ssize_t failing_write(int, const void*, std::size_t) {
  errno = EIO;
  return -1;
}

TEST_F(SnapshotTest, FailedSaveKeepsThePreviousSnapshot) {
  TempDir dir;
  std::string slot = dir.file("game_1.sna");
  machine.iwram.data[0] = 1;
  ASSERT_EQ(save_snapshot(slot.c_str()), 1);
  auto before = read_file(slot);
  machine.iwram.data[0] = 2;
  set_file_write_function(failing_write);
  int result = save_snapshot(slot.c_str());
  set_file_write_function(nullptr);
  EXPECT_EQ(result, 0);
  EXPECT_EQ(read_file(slot), before);
}

void expect_refused(const std::string& path) {
  auto before = machine_bytes();
  EXPECT_EQ(load_snapshot(path.c_str()), 0);
  EXPECT_EQ(errno, EINVAL);
  EXPECT_TRUE(machine_bytes() == before) << "a refused file changed the machine";
}

TEST_F(SnapshotTest, FilesOfTheWrongSizeAreRefused) {
  auto image = image_now();
  machine.iwram.data[9] = 0x99;  // differs from the file, so a partial load would show
  reg[3] = 0x33;
  TempDir dir;
  expect_refused(dir.write("short.sna", {image.begin(), image.end() - 1}));
  image.push_back(0);
  expect_refused(dir.write("long.sna", image));
  expect_refused(dir.write("empty.sna", {}));
}

// Each case puts one value outside its range into an otherwise good image.
struct OutOfRange {
  const char* field;
  std::size_t extra;
  std::uint32_t value;
};

TEST_F(SnapshotTest, OutOfRangeValuesAreRefused) {
  const OutOfRange cases[] = {
      {"registers", 29 * 4, MODE_COUNT},          // mode index
      {"timers", 1 * 32 + 7 * 4, 3},              // timer 1 run state
      {"timers", 0 * 32 + 2 * 4, 7},              // timer 0 prescale shift
      {"timers", 2 * 32 + 1 * 4, 0x10001},        // timer 2 period
      {"dma", 2 * 44 + 9 * 4, DMA_INACTIVE + 1},  // channel 2 start mode
      {"dma", 1 * 44 + 0, 3},                     // channel 1 numbered as another
      {"flash bank", 0, 0x100},
      {"flash bank", 0, 2 * FLASH_BANK_SIZE},
      {"save_kind", 0, 4},
      {"flash_state", 0, 0x100},
      // Counters and offsets that index the save memory or the clock's bytes.
      {"eeprom_phase", 0, 8},
      {"eeprom_block_offset", 0, 0x40000000},
      {"eeprom_block_offset", 0, 0x20000},
      {"eeprom_block_offset", 0, 4},  // not a block boundary
      {"eeprom_bits_seen", 0, 2},     // the command has two bits
      {"clock_bit", 0, 96},           // past the twelve words
  };
  auto good = image_now();
  machine.iwram.data[9] = 0x99;
  TempDir dir;
  for (const OutOfRange& c : cases) {
    SCOPED_TRACE(std::string(c.field) + " +" + std::to_string(c.extra));
    auto image = good;
    put_word(image, layout_offset(c.field) + c.extra, c.value);
    expect_refused(dir.write("bad.sna", image));
  }
  EXPECT_EQ(load_snapshot(dir.write("good.sna", good).c_str()), 1);
  EXPECT_EQ(machine.iwram.data[9], 0);
}

TEST_F(SnapshotTest, MissingFileChangesNothing) {
  auto before = machine_bytes();
  TempDir dir;
  EXPECT_EQ(load_snapshot(dir.file("none_1.sna").c_str()), 0);
  EXPECT_TRUE(machine_bytes() == before);
}

}  // namespace
