#pragma once
// The four hardware timers: their control and reload registers, and their advance by the
// scheduler. Timer records live in the machine record (machine.timers).

#include <cstdint>

constexpr unsigned TIMER_COUNT = 4;
constexpr std::uint32_t INTERRUPT_TIMER0 = 0x0008;  // timer n: INTERRUPT_TIMER0 << n

// Every timer inactive with a full period; timer 0 drives both sound FIFOs until SOUNDCNT_H says
// otherwise.
void reset_timers();

// TMxCNT_L: sets the reload value. The register itself shows the counter, so nothing is stored.
void write_timer_reload(unsigned timer, std::uint32_t reload);
// The reload value as last written, for byte writes that change one half of it.
std::uint32_t timer_reload(unsigned timer);

// TMxCNT_H: starts or stops the timer and stores the control value.
void write_timer_control(unsigned timer, std::uint32_t value);

// Moves every running timer forward by `cycles` (one overflow at most per timer, which the
// budget guarantees) and returns the interrupt bits of the overflows.
std::uint32_t advance_timers(std::uint32_t cycles);

// `budget`, or the cycles to the nearest prescaled overflow if that comes sooner.
std::uint32_t limit_budget_by_timers(std::uint32_t budget);
