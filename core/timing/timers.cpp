// Timers count in the scheduler's units: a prescaled timer's `remaining` is in cycles, so its
// overflow is an event the budget can aim at; a cascaded one counts the overflows of the timer
// below it.

#include "core/timing/timers.h"

#include "core/io/io_registers.h"
#include "core/sound/sound.h"
#include "core/state.h"

namespace {

constexpr std::uint32_t PRESCALE_SHIFTS[4] = {0, 6, 8, 10};
constexpr std::uint32_t CONTROL_PRESCALER = 0x0003;
constexpr std::uint32_t CONTROL_CASCADE = 0x0004;
constexpr std::uint32_t CONTROL_IRQ = 0x0040;
constexpr std::uint32_t CONTROL_ENABLE = 0x0080;
constexpr std::uint32_t FULL_PERIOD = 0x10000;
constexpr unsigned FIFO_DRIVING_TIMERS = 2;

std::uint32_t counter_offset(unsigned timer) { return IO_TM0CNT_L + 4 * timer; }
std::uint32_t control_offset(unsigned timer) { return counter_offset(timer) + 2; }

// A cascaded timer ignores its prescaler bits: every overflow below it is one tick.
std::uint32_t tick_shift(const TimerRecord& timer) {
  return timer.run_state == TIMER_CASCADED ? 0 : timer.prescale_shift;
}

std::int32_t cycles_per_overflow(const TimerRecord& timer) {
  return static_cast<std::int32_t>(timer.period << tick_shift(timer));
}

void show_counter(unsigned timer, std::int32_t ticks_left) {
  io_store16(counter_offset(timer), static_cast<std::uint32_t>(-ticks_left) & 0xFFFF);
}

// FIFO samples per output sample, 16.16, for a timer that drives direct sound.
void update_fifo_step(unsigned timer) {
  if (timer >= FIFO_DRIVING_TIMERS) return;
  TimerRecord& t = machine.timers[timer];
  std::uint64_t cycles = static_cast<std::uint64_t>(t.period) << t.prescale_shift;
  t.fifo_step = static_cast<std::uint32_t>((std::uint64_t{1} << 40) / (cycles * SOUND_OUTPUT_RATE));
}

void start_timer(unsigned timer, std::uint32_t value) {
  TimerRecord& t = machine.timers[timer];
  t.run_state = (value & CONTROL_CASCADE) ? TIMER_CASCADED : TIMER_PRESCALED;
  t.prescale_shift = PRESCALE_SHIFTS[value & CONTROL_PRESCALER];
  t.irq_enable = (value & CONTROL_IRQ) ? 1 : 0;
  t.remaining = cycles_per_overflow(t);
  show_counter(timer, static_cast<std::int32_t>(t.period));
  // The slice under way must end in time for the first overflow.
  if (t.run_state == TIMER_PRESCALED &&
      static_cast<std::uint32_t>(t.remaining) < machine.cycle_budget) {
    machine.cycle_budget = static_cast<std::uint32_t>(t.remaining);
  }
  if (timer < FIFO_DRIVING_TIMERS) {
    update_fifo_step(timer);
    realign_fifos(timer);
  }
}

void feed_fifos(unsigned timer) {
  const TimerRecord& t = machine.timers[timer];
  if (t.fifo_channels & 1) fifo_consume(t.fifo_step, FIFO_A);
  if (t.fifo_channels & 2) fifo_consume(t.fifo_step, FIFO_B);
}

// One overflow of `timer`; returns its interrupt bit when it raises one.
std::uint32_t overflow(unsigned timer) {
  TimerRecord& t = machine.timers[timer];
  if (timer + 1 < TIMER_COUNT && machine.timers[timer + 1].run_state == TIMER_CASCADED) {
    TimerRecord& next = machine.timers[timer + 1];
    next.remaining -= 1;
    show_counter(timer + 1, next.remaining);
  }
  if (timer < FIFO_DRIVING_TIMERS) feed_fifos(timer);
  t.remaining += cycles_per_overflow(t);
  return t.irq_enable ? INTERRUPT_TIMER0 << timer : 0;
}

}  // namespace

void reset_timers() {
  for (unsigned n = 0; n < TIMER_COUNT; ++n) {
    machine.timers[n] = TimerRecord{};
    machine.timers[n].period = FULL_PERIOD;
    machine.timers[n].run_state = TIMER_INACTIVE;
  }
  machine.timers[0].fifo_channels = 3;
}

void write_timer_reload(unsigned timer, std::uint32_t reload) {
  machine.timers[timer].period = FULL_PERIOD - (reload & 0xFFFF);
  update_fifo_step(timer);
}

std::uint32_t timer_reload(unsigned timer) {
  return (FULL_PERIOD - machine.timers[timer].period) & 0xFFFF;
}

void write_timer_control(unsigned timer, std::uint32_t value) {
  TimerRecord& t = machine.timers[timer];
  if ((value & CONTROL_ENABLE) == 0) {
    if (t.run_state != TIMER_INACTIVE) {
      t.run_state = TIMER_INACTIVE;
      t.stopped_at_cycles = machine.elapsed_cycles;
    }
  } else if (t.run_state == TIMER_INACTIVE) {
    start_timer(timer, value);
  }
  io_store16(control_offset(timer), value);
}

std::uint32_t advance_timers(std::uint32_t cycles) {
  std::uint32_t interrupts = 0;
  for (unsigned n = 0; n < TIMER_COUNT; ++n) {
    TimerRecord& t = machine.timers[n];
    if (t.run_state == TIMER_INACTIVE) continue;
    bool prescaled = t.run_state == TIMER_PRESCALED;
    if (prescaled) t.remaining -= static_cast<std::int32_t>(cycles);
    if (t.remaining <= 0) interrupts |= overflow(n);
    if (prescaled) show_counter(n, t.remaining >> t.prescale_shift);
  }
  return interrupts;
}

std::uint32_t limit_budget_by_timers(std::uint32_t budget) {
  for (const TimerRecord& t : machine.timers) {
    if (t.run_state == TIMER_PRESCALED && static_cast<std::uint32_t>(t.remaining) < budget) {
      budget = static_cast<std::uint32_t>(t.remaining);
    }
  }
  return budget;
}
