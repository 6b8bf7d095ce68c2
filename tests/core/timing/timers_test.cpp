// Timers through their registers: TMxCNT_L sets the reload (0x10000 - reload ticks per
// overflow), TMxCNT_H bits 0-1 pick 1, 64, 256 or 1024 cycles a tick, bit 2 counts the
// overflows of the timer below, bit 6 asks for interrupt 0x0008 << n, bit 7 runs it.

#include "core/timing/timers.h"

#include "core/alerts.h"
#include "tests/core/hardware_fixture.h"

namespace {

using TimerTest = HardwareTest;

constexpr std::uint32_t RUN = 0x80, RUN_IRQ = 0xC0, CASCADE = 0x04;
constexpr std::uint32_t tmcnt_l(unsigned n) { return 0x100 + 4 * n; }
constexpr std::uint32_t tmcnt_h(unsigned n) { return 0x102 + 4 * n; }

void start(unsigned n, std::uint32_t reload, std::uint32_t control) {
  io_write16(tmcnt_l(n), reload);
  io_write16(tmcnt_h(n), control);
}

TEST_F(TimerTest, ReloadFFFFAtPrescalerOneOverflowsEveryCycle) {
  start(0, 0xFFFF, RUN_IRQ);
  EXPECT_EQ(machine.cycle_budget, 1u);  // lowered from the line's 960 by the start
  EXPECT_EQ(advance_timers(1), INTERRUPT_TIMER0);
  EXPECT_EQ(advance_timers(1), INTERRUPT_TIMER0);
  EXPECT_EQ(limit_budget_by_timers(960), 1u);
  machine.cycle_budget = 1;
  EXPECT_EQ(step(), 1u);
  EXPECT_EQ(io16(IO_IF) & 0x0008, 0x0008u);
}

TEST_F(TimerTest, ReloadZeroCounts65536Ticks) {
  start(1, 0x0000, RUN_IRQ);
  EXPECT_EQ(advance_timers(65535), 0u);
  EXPECT_EQ(io16(tmcnt_l(1)), 0xFFFFu);
  EXPECT_EQ(advance_timers(1), INTERRUPT_TIMER0 << 1);
  EXPECT_EQ(io16(tmcnt_l(1)), 0x0000u);
}

TEST_F(TimerTest, CounterReadsReloadPlusTicksElapsed) {
  start(0, 0xFF00, RUN | 1);  // 64 cycles a tick
  EXPECT_EQ(io16(tmcnt_l(0)), 0xFF00u);
  advance_timers(64 * 3);
  EXPECT_EQ(io16(tmcnt_l(0)), 0xFF03u);
}

TEST_F(TimerTest, CascadedTimerCountsOverflowsBelowIt) {
  start(1, 0xFFFE, RUN);                // overflows every 2 cycles
  start(2, 0xFFFF, RUN_IRQ | CASCADE);  // overflows on each of them
  start(3, 0xFFFD, RUN_IRQ | CASCADE);  // every third of timer 2's
  EXPECT_EQ(advance_timers(1), 0u);
  EXPECT_EQ(advance_timers(1), INTERRUPT_TIMER0 << 2);
  EXPECT_EQ(advance_timers(2), INTERRUPT_TIMER0 << 2);
  EXPECT_EQ(advance_timers(2), (INTERRUPT_TIMER0 << 2) | (INTERRUPT_TIMER0 << 3));
}

TEST_F(TimerTest, CascadedTimerIgnoresItsPrescalerBits) {
  start(0, 0xFFFF, RUN);
  start(1, 0xFFFE, RUN_IRQ | CASCADE | 3);  // two overflows of timer 0, not 2048
  EXPECT_EQ(advance_timers(1), 0u);
  EXPECT_EQ(advance_timers(1), INTERRUPT_TIMER0 << 1);
}

TEST_F(TimerTest, SecondStartKeepsTheFirstPrescaler) {
  start(0, 0xFFFF, RUN_IRQ | 1);  // 64 cycles a tick
  io_write16(tmcnt_h(0), RUN_IRQ | 3);
  EXPECT_EQ(io16(tmcnt_h(0)), RUN_IRQ | 3);  // the register shows the write
  EXPECT_EQ(advance_timers(63), 0u);
  EXPECT_EQ(advance_timers(1), INTERRUPT_TIMER0);
}

TEST_F(TimerTest, StartLowersTheBudgetOnlyWhenOverflowComesFirst) {
  machine.cycle_budget = 960;
  start(2, 0xFFF0, RUN);
  EXPECT_EQ(machine.cycle_budget, 16u);
  machine.cycle_budget = 960;
  start(3, 0x0000, RUN | 1);
  EXPECT_EQ(machine.cycle_budget, 960u);
}

TEST_F(TimerTest, StoppedTimerNoLongerCountsAndRemembersWhen) {
  start(0, 0xFFFF, RUN_IRQ);
  machine.elapsed_cycles = 5000;
  io_write16(tmcnt_h(0), 0);
  EXPECT_EQ(machine.timers[0].stopped_at_cycles, 5000);
  EXPECT_EQ(advance_timers(10), 0u);
  EXPECT_EQ(limit_budget_by_timers(960), 960u);
}

TEST_F(TimerTest, SchedulerBudgetIsTheDistanceToTheNearestEvent) {
  start(1, 0x10000 - 100, RUN);
  machine.cycle_budget = 100;
  EXPECT_EQ(step(), 100u);  // next overflow, before the drawing part ends at 960
  EXPECT_EQ(step(), 100u);
  machine.cycle_budget = 60;
  EXPECT_EQ(step(), 40u);  // the rest of the way to the overflow
  EXPECT_EQ(step(), 100u);
  // 300 of the line's 960 drawing cycles done: after six more overflows the line event is nearer.
  for (int i = 0; i < 5; ++i) EXPECT_EQ(step(), 100u);
  EXPECT_EQ(step(), 60u);
}

TEST_F(TimerTest, ByteWritesDecodeLikeHalfwords) {
  io_write8(tmcnt_l(0), 0xF0);
  io_write8(tmcnt_l(0) + 1, 0xFF);
  io_write8(tmcnt_h(0), RUN_IRQ);
  EXPECT_EQ(machine.timers[0].period, 16u);
  EXPECT_EQ(machine.timers[0].run_state, TIMER_PRESCALED);
  EXPECT_EQ(advance_timers(16), INTERRUPT_TIMER0);
}

TEST_F(TimerTest, FifoStepFollowsTheOverflowRate) {
  // 2^24 / (0x100 * 44100) FIFO samples per output sample, in 16.16.
  start(0, 0xFF00, RUN);
  EXPECT_EQ(machine.timers[0].fifo_step,
            static_cast<std::uint32_t>((1ull << 40) / (256ull * 44100)));
}

}  // namespace
