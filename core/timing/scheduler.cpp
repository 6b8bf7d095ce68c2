// The scheduler step. Hardware moves only here, by the cycles the CPU was given, and the next
// slice ends at the nearest event, so generated code never has to look at the hardware itself.

#include "core/timing/scheduler.h"

#include "core/dma/dma.h"
#include "core/io/io_registers.h"
#include "core/machine_link.h"
#include "core/sound/sound.h"
#include "core/state.h"
#include "core/timing/display_timing.h"
#include "core/timing/timers.h"

SchedulerHost scheduler_host = {0, nullptr};

namespace {

// What ends a stop: the keypad, the serial port or the cartridge.
constexpr std::uint32_t STOP_WAKE_INTERRUPTS = 0x1000 | 0x0080 | 0x2000;

}  // namespace

// A halted CPU resumes once an interrupt is requested and enabled in IE, whether or not IME and
// the CPSR let it be taken; the BIOS's IntrWait halts with interrupts masked and relies on it.
void wake_on_requested_interrupt() {
  std::uint32_t requested = io_read16(IO_IE) & io_read16(IO_IF);
  std::uint32_t state = machine_link.halt_state();
  if ((state == CPU_HALTED && requested != 0) ||
      (state == CPU_STOPPED && (requested & STOP_WAKE_INTERRUPTS) != 0)) {
    machine_link.set_halt_state(CPU_RUNNING);
  }
}

namespace {

// One pass: the hardware moves by machine.cycle_budget. A snapshot loaded during the frame end
// leaves everything, the budget included, as the snapshot holds it: returns false then.
bool advance_one_step(std::uint32_t& interrupts) {
  std::uint32_t cycles = machine.cycle_budget;
  machine.elapsed_cycles =
      static_cast<std::int32_t>(static_cast<std::uint32_t>(machine.elapsed_cycles) + cycles);
  if (machine.sound_registers_written) {
    sound_update(machine.elapsed_cycles);
    machine.sound_registers_written = 0;
  }
  interrupts |= advance_timers(cycles);
  DisplayStep display = advance_display(cycles);
  if (display.abandoned) return false;
  interrupts |= display.interrupts;
  if (interrupts != 0) machine_link.raise_interrupts(interrupts);
  machine.cycle_budget = limit_budget_by_timers(static_cast<std::uint32_t>(machine.line_countdown));
  return true;
}

// The cycles the CPU ran past the end of its slice, in passes that each stop at the next event,
// so that every event is handled in order and the next budget counts from where the CPU really
// is. A budget of 0 (a timer that overflows every cycle) takes the rest in one pass.
bool catch_up(std::uint32_t cycles_past_budget, std::uint32_t& interrupts) {
  while (cycles_past_budget != 0) {
    std::uint32_t next = machine.cycle_budget;
    std::uint32_t pass = next != 0 && next < cycles_past_budget ? next : cycles_past_budget;
    machine.cycle_budget = pass;
    if (!advance_one_step(interrupts)) return false;
    cycles_past_budget -= pass;
  }
  return true;
}

}  // namespace

std::uint32_t advance_hardware(std::uint32_t cycles_past_budget) {
  // Interrupts raised in this call; raised again on every later pass of a halted CPU.
  std::uint32_t interrupts = 0;
  for (;;) {
    if (advance_one_step(interrupts)) catch_up(cycles_past_budget, interrupts);
    cycles_past_budget = 0;
    wake_on_requested_interrupt();
    if (machine_link.halt_state() == CPU_RUNNING || machine_link.stop_requested()) break;
  }
  return machine.cycle_budget;
}

void reset_scheduler() {
  reset_timers();
  reset_dma_channels();
  machine.skip_frame = 0;
  machine.skip_counter = 0;
  machine.sound_registers_written = 0;
  machine.elapsed_cycles = 0;
  machine.frames_done = 0;
  machine.cycle_budget = LINE_DRAW_CYCLES;
  machine.line_countdown = static_cast<std::int32_t>(LINE_DRAW_CYCLES);
  machine_link.flush_all_code();
}
