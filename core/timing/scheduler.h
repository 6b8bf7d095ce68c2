#pragma once
// The scheduler: moves the timers and the display forward between the CPU's time slices, raises
// their interrupts and decides the next slice.

#include <cstdint>

constexpr std::uint32_t LINE_DRAW_CYCLES = 960;
constexpr std::uint32_t LINE_HBLANK_CYCLES = 272;
constexpr std::uint32_t LINE_CYCLES = LINE_DRAW_CYCLES + LINE_HBLANK_CYCLES;
constexpr std::uint32_t LINES_PER_FRAME = 228;
constexpr std::uint32_t VISIBLE_LINES = 160;
constexpr std::uint32_t FRAME_CYCLES = LINE_CYCLES * LINES_PER_FRAME;

constexpr std::uint32_t INTERRUPT_VBLANK = 0x0001;
constexpr std::uint32_t INTERRUPT_HBLANK = 0x0002;
constexpr std::uint32_t INTERRUPT_VCOUNT = 0x0004;

// The scheduler step the generated-code runtime calls: machine.cycle_budget holds the slice the
// CPU was given and `cycles_past_budget` what it ran beyond it (generated code tests the budget
// only at block exits, so the last block may end past it); the hardware moves by both. Returns
// (and stores) the next budget, counted from where the CPU is. While the CPU is halted it goes
// from event to event without returning.
std::uint32_t advance_hardware(std::uint32_t cycles_past_budget = 0);

// Wakes a halted CPU when IE & IF is non-zero, a stopped one only for the keypad, serial or
// cartridge interrupt.
void wake_on_requested_interrupt();

// Puts timers, DMA channels, display timing and the frame counters back to their power-on state
// and flushes every translation cache. Part of loading a game.
void reset_scheduler();

// Host-side settings and hooks, not machine state.
struct SchedulerHost {
  std::uint32_t frame_skip;  // draw one frame in N; 0 and 1 draw all
  // After every frame end, drawn or not; may request a stop. Returns true when it replaced the
  // machine (loaded a snapshot): the frame end is then abandoned and the machine left as loaded.
  bool (*frame_hook)();
};
extern SchedulerHost scheduler_host;
