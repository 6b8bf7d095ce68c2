#pragma once
// A hardware timer as the machine record holds it; core/timing/timers.h drives it.

#include <cstdint>

// One hardware timer. `remaining` counts cycles while prescaled, ticks while cascaded.
enum TimerRunState : std::uint32_t { TIMER_INACTIVE = 0, TIMER_PRESCALED = 1, TIMER_CASCADED = 2 };
struct TimerRecord {
  std::int32_t remaining;
  std::uint32_t period;          // ticks per overflow: 0x10000 - reload, 1 to 0x10000
  std::uint32_t prescale_shift;  // 0, 6, 8 or 10
  std::int32_t stopped_at_cycles;
  std::uint32_t fifo_step;      // 16.16 FIFO samples per output sample
  std::uint32_t fifo_channels;  // bit 0 FIFO A, bit 1 FIFO B
  std::uint32_t irq_enable;
  std::uint32_t run_state;  // TimerRunState
};
static_assert(sizeof(TimerRecord) == 32);
