// Display timing and interrupts: a line is 960 drawing cycles then 272 of H-blank, 228 lines a
// frame, V-blank from line 160. DISPSTAT bits: 0 V-blank, 1 H-blank, 2 V-count match, 3-5 their
// interrupt enables, 8-15 the line to match. IF bits: 0 V-blank, 1 H-blank, 2 V-count.

#include "core/timing/scheduler.h"

#include <vector>

#include "core/alerts.h"
#include "tests/core/hardware_fixture.h"

namespace {

using SchedulerTest = HardwareTest;

constexpr std::uint32_t VBLANK_IRQ = 1u << 3, HBLANK_IRQ = 1u << 4, VCOUNT_IRQ = 1u << 5;

TEST_F(SchedulerTest, LineIsDrawingThenHblank) {
  EXPECT_EQ(machine.cycle_budget, 960u);
  EXPECT_EQ(step(), 272u);
  EXPECT_EQ(io16(IO_DISPSTAT) & 3, 2u);
  EXPECT_EQ(io16(IO_VCOUNT), 0u);
  EXPECT_EQ(step(), 960u);
  EXPECT_EQ(io16(IO_DISPSTAT) & 3, 0u);
  EXPECT_EQ(io16(IO_VCOUNT), 1u);
}

TEST_F(SchedulerTest, VblankSpansLines160To227) {
  io_write16(IO_DISPSTAT, VBLANK_IRQ);
  run_until(159 * 1232);
  EXPECT_EQ(io16(IO_DISPSTAT) & 1, 0u);
  EXPECT_EQ(io16(IO_IF), 0u);
  run_until(160 * 1232);
  EXPECT_EQ(io16(IO_VCOUNT), 160u);
  EXPECT_EQ(io16(IO_DISPSTAT) & 1, 1u);
  EXPECT_EQ(io16(IO_IF), 0x0001u);
  run_until(227 * 1232 + 1231);
  EXPECT_EQ(io16(IO_DISPSTAT) & 1, 1u);
  run_until(228 * 1232);
  EXPECT_EQ(io16(IO_VCOUNT), 0u);
  EXPECT_EQ(io16(IO_DISPSTAT) & 1, 0u);
  EXPECT_EQ(machine.frames_done, 1u);
}

TEST_F(SchedulerTest, HblankInterruptsOnVblankLinesToo) {
  io_write16(IO_DISPSTAT, HBLANK_IRQ);
  run_to_line_start(200);
  io_write16(IO_IF, 0xFFFF);
  run_until(machine.elapsed_cycles + 960);
  EXPECT_EQ(io16(IO_VCOUNT), 200u);
  EXPECT_EQ(io16(IO_IF), 0x0002u);
}

TEST_F(SchedulerTest, VcountMatchOnLineZeroIsSetAtTheEndOfTheFrame) {
  io_write16(IO_DISPSTAT, VCOUNT_IRQ);  // match line 0
  run_until(227 * 1232 + 1231);
  EXPECT_EQ(io16(IO_DISPSTAT) & 4, 0u);
  EXPECT_EQ(io16(IO_IF), 0u);
  run_until(228 * 1232);
  EXPECT_EQ(io16(IO_DISPSTAT) & 4, 4u);
  EXPECT_EQ(io16(IO_IF), 0x0004u);
  run_until(229 * 1232);
  EXPECT_EQ(io16(IO_DISPSTAT) & 4, 0u);
}

TEST_F(SchedulerTest, VcountMatchOnAnyLine) {
  io_write16(IO_DISPSTAT, (100u << 8) | VCOUNT_IRQ);
  run_until(100 * 1232);
  EXPECT_EQ(io16(IO_DISPSTAT) & 4, 4u);
  EXPECT_EQ(io16(IO_IF), 0x0004u);
}

TEST_F(SchedulerTest, MaskedInterruptOnlySetsIf) {
  io_write16(IO_DISPSTAT, VBLANK_IRQ);
  io_write16(IO_IE, 0x0001);
  io_write16(IO_IME, 1);  // enabled, but the CPSR masks it
  run_until(160 * 1232);
  EXPECT_EQ(io16(IO_IF), 0x0001u);
  EXPECT_EQ(reg[SLOT_PC], 0x08000100u);
  EXPECT_EQ(reg[SLOT_CPSR], CPSR_SYSTEM_MASKED);
}

TEST_F(SchedulerTest, InterruptWithImeOffOnlySetsIf) {
  reg[SLOT_CPSR] = 0x1F;
  io_write16(IO_DISPSTAT, VBLANK_IRQ);
  io_write16(IO_IE, 0x0001);
  run_until(160 * 1232);
  EXPECT_EQ(io16(IO_IF), 0x0001u);
  EXPECT_EQ(reg[SLOT_PC], 0x08000100u);
}

TEST_F(SchedulerTest, EnabledInterruptEntersTheHandler) {
  reg[SLOT_CPSR] = 0x1F;
  io_write16(IO_DISPSTAT, VBLANK_IRQ);
  io_write16(IO_IE, 0x0001);
  io_write16(IO_IME, 1);
  run_until(160 * 1232);
  EXPECT_EQ(reg[SLOT_PC], 0x18u);
  EXPECT_EQ(reg[SLOT_CPSR], 0xD2u);
  EXPECT_EQ(reg[SLOT_REDISPATCH], 1u);
}

TEST_F(SchedulerTest, DispstatWritesKeepTheStatusBits) {
  run_until(160 * 1232 + 960);  // V-blank and H-blank set
  std::uint32_t status = io16(IO_DISPSTAT) & 7;
  EXPECT_EQ(status & 3, 3u);
  io_write16(IO_DISPSTAT, 0xFFFF);
  EXPECT_EQ(io16(IO_DISPSTAT), 0xFFF8u | status);
  io_write16(IO_DISPSTAT, 0x0000);
  EXPECT_EQ(io16(IO_DISPSTAT), status);
  io_write8(IO_DISPSTAT, 0xF8);
  EXPECT_EQ(io16(IO_DISPSTAT), 0x00F8u | status);
}

TEST_F(SchedulerTest, WritingOneToIfAcknowledges) {
  io_store16(IO_IF, 0x3007);
  io_write16(IO_IF, 0x0004);
  EXPECT_EQ(io16(IO_IF), 0x3003u);
  io_write8(IO_IF + 1, 0x10);
  EXPECT_EQ(io16(IO_IF), 0x2003u);
  io_write32(IO_IE, 0x00030000);  // IE = 0, IF acknowledges bits 0-1
  EXPECT_EQ(io16(IO_IF), 0x2000u);
}

TEST_F(SchedulerTest, HaltedCpuWaitsForAnEnabledInterrupt) {
  io_write16(IO_DISPSTAT, VBLANK_IRQ | HBLANK_IRQ);
  io_write16(IO_IE, 0x0001);  // H-blank is requested on every line but not enabled
  io_write16(IO_IME, 1);
  reg[SLOT_CPSR] = 0x1F;
  EXPECT_EQ(io_write8(IO_HALTCNT, 0x00), ALERT_HALTED);
  EXPECT_EQ(reg[SLOT_HALT_STATE], CPU_HALTED);
  step();
  EXPECT_EQ(machine.elapsed_cycles, 160 * 1232);
  EXPECT_EQ(reg[SLOT_HALT_STATE], CPU_RUNNING);
  EXPECT_EQ(reg[SLOT_PC], 0x18u);
}

TEST_F(SchedulerTest, HaltEndsOnARequestedInterruptEvenWhenMasked) {
  io_write16(IO_DISPSTAT, VBLANK_IRQ);
  io_write16(IO_IE, 0x0001);  // IME off, CPSR masked: the CPU resumes without taking it
  io_write8(IO_HALTCNT, 0x00);
  step();
  EXPECT_EQ(machine.elapsed_cycles, 160 * 1232);
  EXPECT_EQ(reg[SLOT_HALT_STATE], CPU_RUNNING);
  EXPECT_EQ(reg[SLOT_PC], 0x08000100u);
}

TEST_F(SchedulerTest, StopWaitsForTheKeypadNotTheDisplay) {
  io_write16(IO_DISPSTAT, VBLANK_IRQ);
  io_write16(IO_IE, 0x1001);
  EXPECT_EQ(io_write8(IO_HALTCNT, 0x80), ALERT_HALTED);
  EXPECT_EQ(reg[SLOT_HALT_STATE], CPU_STOPPED);
  // A stopped CPU would run on to the end of time here; the frame hook ends the wait instead.
  scheduler_host.frame_hook = [] {
    io_store16(IO_IF, io_read16(IO_IF) | 0x1000);
    return false;
  };
  step();
  EXPECT_EQ(machine.frames_done, 1u);
  EXPECT_EQ(reg[SLOT_HALT_STATE], CPU_RUNNING);
}

TEST_F(SchedulerTest, FrameSkipDrawsOneFrameInN) {
  scheduler_host.frame_skip = 3;
  // The counter starts at 0, so the first drawn frame is the fourth; then one in three.
  std::uint32_t skipped[7];
  for (std::uint32_t& s : skipped) {
    run_until((machine.frames_done + 1) * static_cast<std::int64_t>(FRAME_CYCLES));
    s = machine.skip_frame;
  }
  EXPECT_EQ(std::vector<std::uint32_t>(skipped, skipped + 7),
            (std::vector<std::uint32_t>{1, 1, 1, 0, 1, 1, 0}));
}

TEST_F(SchedulerTest, VblankLatchesTheAffineReferencePoints) {
  io_write32(IO_BG2X, 0x08000100);  // bit 27 set: negative
  io_write32(IO_BG3Y, 0x00000200);
  machine.affine_ref_x[0] = 5;
  machine.affine_ref_y[1] = 7;
  run_until(160 * 1232);
  EXPECT_EQ(machine.affine_ref_x[0], static_cast<std::int32_t>(0xF8000100));
  EXPECT_EQ(machine.affine_ref_y[1], 0x200);
}

TEST_F(SchedulerTest, ResetPutsEverythingBack) {
  run_until(3 * 1232);
  io_write16(0x102, 0x80);
  reset_scheduler();
  EXPECT_EQ(machine.elapsed_cycles, 0);
  EXPECT_EQ(machine.cycle_budget, 960u);
  EXPECT_EQ(machine.line_countdown, 960);
  EXPECT_EQ(machine.timers[0].run_state, TIMER_INACTIVE);
  EXPECT_EQ(machine.timers[0].period, 0x10000u);
  EXPECT_EQ(machine.timers[0].fifo_channels, 3u);
  EXPECT_EQ(machine.timers[1].fifo_channels, 0u);
  EXPECT_EQ(machine.dma_channels[2].start_mode, DMA_INACTIVE);
  EXPECT_EQ(machine.dma_channels[2].sound_link, DMA_LINK_NONE);
}

}  // namespace

namespace {

// Generated code tests the budget only at block exits, so a slice can end past its budget; the
// hardware must still count every cycle the CPU ran. By the hardware reference a timer at F/1
// counts each cycle, a line is 960 drawing cycles then 272 of H-blank, and a frame 228 lines;
// after any run of slices the timer, VCOUNT and the H-blank flag follow the cycles really run,
// and the next budget is the distance from there to the nearest event.
TEST_F(SchedulerTest, CyclesRunPastTheBudgetAreCarriedNotLost) {
  io_write16(0x100, 0x0000);  // TM0CNT_L: reload 0, 65536 ticks an overflow
  io_write16(0x102, 0x00C0);  // TM0CNT_H: F/1, interrupt on overflow, running
  const std::uint32_t past_budget[] = {0, 1, 7, 3, 0, 40, 271, 272, 300, 959, 1000, 2, 1231, 5};
  std::uint64_t cycles = 0;
  for (int round = 0; round < 40; ++round) {
    for (std::uint32_t past : past_budget) {
      cycles += machine.cycle_budget + past;
      std::uint32_t budget = advance_hardware(past);
      std::uint64_t in_line = cycles % LINE_CYCLES;
      std::uint64_t to_line_event =
          in_line < LINE_DRAW_CYCLES ? LINE_DRAW_CYCLES - in_line : LINE_CYCLES - in_line;
      std::uint64_t to_overflow = 0x10000 - cycles % 0x10000;
      ASSERT_EQ(io16(0x100), cycles & 0xFFFF) << cycles;
      ASSERT_EQ(io16(IO_VCOUNT), cycles / LINE_CYCLES % LINES_PER_FRAME) << cycles;
      ASSERT_EQ((io16(IO_DISPSTAT) & 2) != 0, in_line >= LINE_DRAW_CYCLES) << cycles;
      ASSERT_EQ(budget, std::min(to_line_event, to_overflow)) << cycles;
      ASSERT_EQ((io16(IO_IF) & 0x0008) != 0, cycles >= 0x10000) << cycles;
    }
  }
  EXPECT_GT(cycles, std::uint64_t{FRAME_CYCLES});
}

}  // namespace
