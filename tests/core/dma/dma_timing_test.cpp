// Transfers that wait for their moment: the display's H-blank and V-blank, and a sound FIFO
// running low. A line is 1232 cycles, its H-blank starting 960 cycles in; lines 160-227 are
// V-blank and have no H-blank transfers.

#include <cstdint>

#include "core/alerts.h"
#include "core/sound/sound_fifo.h"
#include "tests/core/dma/dma_fixture.h"

namespace {

constexpr std::int64_t LINE = 1232, HBLANK_START = 960, FRAME = 228 * LINE;
constexpr std::uint32_t UNITS_PER_LINE = 4;

class DmaTimingTest : public DmaTest {
 protected:
  // The halfword a per-line table holds for unit `unit` of line `line`.
  static std::uint32_t table_entry(std::uint32_t line, std::uint32_t unit) {
    return (line << 4 | unit) ^ 0x8000;
  }
  static void write_line_table() {
    for (std::uint32_t line = 0; line < 228; ++line) {
      for (std::uint32_t unit = 0; unit < UNITS_PER_LINE; ++unit) {
        put_half(EWRAM + 2 * (line * UNITS_PER_LINE + unit), table_entry(line, unit));
      }
    }
  }
  static void run_to_hblank(std::uint32_t line) { run_until(line * LINE + HBLANK_START); }
};

TEST_F(DmaTimingTest, RepeatingHblankWithReloadRewritesTheSameRangeEveryLine) {
  write_line_table();
  start_dma(0, EWRAM, VRAM, UNITS_PER_LINE,
            DMA_ENABLE | DMA_REPEAT | start_timing(2) | dest_step(UP_RELOAD));
  EXPECT_EQ(half_at(VRAM), 0u) << "an H-blank transfer waits for the H-blank";
  for (std::uint32_t line : {0u, 1u, 2u, 100u, 159u}) {
    run_to_hblank(line);
    for (std::uint32_t unit = 0; unit < UNITS_PER_LINE; ++unit) {
      EXPECT_EQ(half_at(VRAM + 2 * unit), table_entry(line, unit)) << "line " << line;
    }
    EXPECT_EQ(half_at(VRAM + 2 * UNITS_PER_LINE), 0u) << "line " << line;
    EXPECT_EQ(machine.dma_channels[0].dest, VRAM);
    EXPECT_EQ(machine.dma_channels[0].source, EWRAM + 2 * UNITS_PER_LINE * (line + 1));
  }
  run_until(FRAME);
  EXPECT_EQ(machine.dma_channels[0].source, EWRAM + 2 * UNITS_PER_LINE * 160)
      << "no H-blank transfer in V-blank";
  EXPECT_EQ(control_of(0) & DMA_ENABLE, DMA_ENABLE);
  EXPECT_EQ(machine.dma_channels[0].start_mode, DMA_HBLANK);
}

TEST_F(DmaTimingTest, HblankWithoutRepeatRunsOnceThenSwitchesOff) {
  write_line_table();
  start_dma(0, EWRAM, VRAM, UNITS_PER_LINE, DMA_ENABLE | start_timing(2));
  run_to_hblank(1);
  EXPECT_EQ(half_at(VRAM), table_entry(0, 0));
  EXPECT_EQ(machine.dma_channels[0].start_mode, DMA_INACTIVE);
  EXPECT_EQ(control_of(0) & DMA_ENABLE, 0u);
}

TEST_F(DmaTimingTest, VblankTransferWaitsForLine160) {
  put_word(EWRAM, 0x600DF00D);
  start_dma(1, EWRAM, VRAM, 1, DMA_ENABLE | DMA_WORDS | start_timing(1));
  run_until(160 * LINE - 1);
  EXPECT_EQ(word_at(VRAM), 0u);
  run_until(160 * LINE);
  EXPECT_EQ(word_at(VRAM), 0x600DF00Du);
  EXPECT_EQ(machine.dma_channels[1].start_mode, DMA_INACTIVE);
}

TEST_F(DmaTimingTest, RepeatingVblankRunsOncePerFrameWithItsFirstLength) {
  start_dma(3, EWRAM, VRAM, 8, DMA_ENABLE | DMA_REPEAT | start_timing(1));
  io_write16(dma_register_base(3) + DMA_CNT_L, 2);  // read only when the channel is enabled
  run_until(FRAME + 160 * LINE);
  EXPECT_EQ(machine.dma_channels[3].source, EWRAM + 2 * 2 * 8);
  EXPECT_EQ(machine.dma_channels[3].dest, VRAM + 2 * 2 * 8);
}

TEST_F(DmaTimingTest, InterruptOfATimedTransferReachesIf) {
  start_dma(0, EWRAM, VRAM, 1, DMA_ENABLE | DMA_IRQ | start_timing(2));
  run_to_hblank(0);
  EXPECT_EQ(io16(IO_IF) & 0x0100, 0x0100u);
}

TEST_F(DmaTimingTest, DisablingWriteStopsAnArmedChannel) {
  start_dma(0, EWRAM, VRAM, 1, DMA_ENABLE | DMA_REPEAT | start_timing(2));
  io_write16(dma_register_base(0) + DMA_CNT_H, DMA_REPEAT | start_timing(2));
  run_to_hblank(0);
  EXPECT_EQ(machine.dma_channels[0].source, EWRAM);
}

// ---- sound FIFOs

TEST_F(DmaTimingTest, WordsToFifoAPushFourSamplesEach) {
  put_word(EWRAM, 0x04030201);
  put_word(EWRAM + 4, 0x88878685);
  start_dma(3, EWRAM, 0x040000A0, 2, DMA_ENABLE | DMA_WORDS | dest_step(FIXED));
  ASSERT_EQ(fifo_samples_queued(FIFO_A), 8u);
  EXPECT_EQ(fifo_samples_queued(FIFO_B), 0u);
  const std::int8_t expected[8] = {1, 2, 3, 4, -0x7B, -0x7A, -0x79, -0x78};  // 0x85 is -123
  for (int i = 0; i < 8; ++i) EXPECT_EQ(machine.direct_sound[FIFO_A].fifo[i], expected[i]) << i;
}

TEST_F(DmaTimingTest, SoundChannelRefillsItsFifoWhenAsked) {
  for (std::uint32_t i = 0; i < 32; i += 4) put_word(EWRAM + i, 0x03020100 + 0x04040404 * (i / 4));
  // Sound mode ignores the length, the unit size and the destination step it is given.
  start_dma(1, EWRAM, 0x040000A0, 1, DMA_ENABLE | DMA_REPEAT | start_timing(3));
  EXPECT_EQ(fifo_samples_queued(FIFO_A), 0u) << "armed, not started";
  EXPECT_EQ(start_sound_dma(FIFO_B), ALERT_NONE);
  EXPECT_EQ(fifo_samples_queued(FIFO_A), 0u) << "linked to the other FIFO";
  start_sound_dma(FIFO_A);
  EXPECT_EQ(fifo_samples_queued(FIFO_A), 16u);
  for (int i = 0; i < 16; ++i) EXPECT_EQ(machine.direct_sound[FIFO_A].fifo[i], i);
  EXPECT_EQ(machine.dma_channels[1].source, EWRAM + 16);
  EXPECT_EQ(machine.dma_channels[1].dest, 0x040000A0u);
  EXPECT_EQ(control_of(1) & DMA_ENABLE, DMA_ENABLE);
  start_sound_dma(FIFO_A);
  for (int i = 16; i < 32; ++i) EXPECT_EQ(machine.direct_sound[FIFO_A].fifo[i], i);
}

TEST_F(DmaTimingTest, SoundChannelWithoutRepeatFeedsOnce) {
  start_dma(2, EWRAM, 0x040000A4, 4, DMA_ENABLE | start_timing(3));
  start_sound_dma(FIFO_B);
  start_sound_dma(FIFO_B);
  EXPECT_EQ(fifo_samples_queued(FIFO_B), 16u);
  EXPECT_EQ(machine.dma_channels[2].sound_link, DMA_LINK_NONE);
}

}  // namespace
