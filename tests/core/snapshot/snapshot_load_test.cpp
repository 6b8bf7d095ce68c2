// What a load restores, what it keeps, and what it repairs.

#include "core/io/io_registers.h"
#include "cpu/translation_cache.h"
#include "tests/core/snapshot/snapshot_fixture.h"

namespace {

TEST_F(SnapshotTest, LoadRestoresTheSavedMachine) {
  reg[7] = 0x70;
  machine.banked[MODE_IRQ][BANKED_R13] = 0x03007FA0;
  machine.timers[1].period = 0x200;
  machine.dma_channels[0].source = 0x02000010;
  machine.backup.eeprom_phase = 3;
  machine.ewram[7].data[0x7FFF] = 0x44;
  machine.affine_ref_y[1] = 0x900;
  machine.line_countdown = 55;
  auto image = image_now();
  reg[7] = 0;
  machine.banked[MODE_IRQ][BANKED_R13] = 0;
  machine.timers[1].period = 1;
  machine.dma_channels[0].source = 0;
  machine.backup.eeprom_phase = 0;
  machine.ewram[7].data[0x7FFF] = 0;
  machine.affine_ref_y[1] = 0;
  machine.line_countdown = 1;
  ASSERT_TRUE(apply_snapshot_image(image.data()));
  EXPECT_EQ(reg[7], 0x70u);
  EXPECT_EQ(machine.banked[MODE_IRQ][BANKED_R13], 0x03007FA0u);
  EXPECT_EQ(machine.timers[1].period, 0x200u);
  EXPECT_EQ(machine.dma_channels[0].source, 0x02000010u);
  EXPECT_EQ(machine.backup.eeprom_phase, 3u);
  EXPECT_EQ(machine.ewram[7].data[0x7FFF], 0x44);
  EXPECT_EQ(machine.affine_ref_y[1], 0x900);
  EXPECT_EQ(machine.line_countdown, 55);
}

TEST_F(SnapshotTest, LoadRepairsWhatTheFileDoesNotHold) {
  machine.palette_data[2] = 0x1F;  // colour 1: red 31, blue 31, green 0
  machine.palette_data[3] = 0x7C;
  auto image = image_now();
  machine.native_palette[1] = 0;
  machine.oam_dirty = 0;
  machine.sound_registers_written = 0;
  reg[SLOT_REDISPATCH] = 0;
  unsigned ram_flushes = caches.ram_flush_count;
  ASSERT_TRUE(apply_snapshot_image(image.data()));
  EXPECT_EQ(machine.native_palette[1], 0xF81F);  // 5-6-5: red 11-15, blue 0-4
  EXPECT_EQ(machine.oam_dirty, 1);
  EXPECT_EQ(machine.sound_registers_written, 1);
  EXPECT_EQ(reg[SLOT_REDISPATCH], 1u);
  EXPECT_EQ(caches.ram_flush_count, ram_flushes + 1);
}

TEST_F(SnapshotTest, GeneratedChannelsKeepTheirSettingsExceptTheDuty) {
  auto image = image_now();
  GeneratedChannel* ch = machine.sound.channels;
  ch[0].freq_value = 1000;
  ch[0].env_level = 9;
  ch[0].duty_pattern = 3;
  ch[1].duty_pattern = 0;
  ch[1].sweep_on = 1;
  ch[2].wave_bank = 1;
  ch[3].noise_width = 7;
  ch[3].length_left = 12;
  ASSERT_TRUE(apply_snapshot_image(image.data()));
  EXPECT_EQ(ch[0].freq_value, 1000u);
  EXPECT_EQ(ch[0].env_level, 9u);
  EXPECT_EQ(ch[0].duty_pattern, 2u);  // 50 %: half of the eight steps high
  EXPECT_EQ(ch[1].duty_pattern, 2u);
  EXPECT_EQ(ch[1].sweep_on, 1u);
  EXPECT_EQ(ch[2].wave_bank, 1u);
  EXPECT_EQ(ch[3].noise_width, 7u);
  EXPECT_EQ(ch[3].length_left, 12u);
}

TEST_F(SnapshotTest, LoadLeavesTheSaveMemoryAlone) {
  machine.backup.save_kind = SAVE_SRAM;
  machine.backup_buffer[5] = 0x11;
  auto image = image_now();
  machine.backup_buffer[5] = 0x42;  // the game saved after the snapshot
  machine.backup.sram_written = 1;
  ASSERT_TRUE(apply_snapshot_image(image.data()));
  EXPECT_EQ(machine.backup_buffer[5], 0x42);
  EXPECT_EQ(machine.backup.sram_written, 1);
  EXPECT_EQ(machine.backup.save_kind, SAVE_SRAM);
}

std::vector<std::uint8_t> line_100_snapshot;

// Says the machine was replaced, as a front end that loads a snapshot in its frame hook does.
bool load_at_frame_end() {
  EXPECT_TRUE(apply_snapshot_image(line_100_snapshot.data()));
  return true;
}

TEST_F(SnapshotTest, LoadDuringTheFrameEndResumesAtTheSavedLine) {
  io_store16(IO_DISPSTAT, (100u << 8) | 0x0038);  // V-count 100, all three interrupts enabled
  run_to_line_start(100);
  std::uint32_t dispstat = io16(IO_DISPSTAT);
  ASSERT_EQ(dispstat & 0x0004, 0x0004u);  // the match is on
  std::uint32_t budget = machine.cycle_budget;
  std::int32_t countdown = machine.line_countdown;
  line_100_snapshot = image_now();
  scheduler_host.frame_hook = load_at_frame_end;
  while (machine.frames_done == 0) step();
  EXPECT_EQ(io16(IO_VCOUNT), 100u);
  EXPECT_EQ(io16(IO_DISPSTAT), dispstat);
  EXPECT_EQ(machine.cycle_budget, budget);
  EXPECT_EQ(machine.line_countdown, countdown);
}

}  // namespace
