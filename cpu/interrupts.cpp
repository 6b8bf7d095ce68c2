// Interrupt entry: requested by the hardware, or taken when a CPSR write or an exception return
// unmasks one that is already pending.

#include "core/io/io_image.h"
#include "core/memory/memory.h"
#include "core/state.h"
#include "cpu/cpu_state.h"

namespace {

constexpr std::uint32_t ARM_RETURN_OFFSET = 4;  // the handler leaves with SUBS PC, LR, #4

bool cpu_accepts(std::uint32_t requests, std::uint32_t cpsr) {
  return (requests & io_read16(IO_IE)) != 0 && io_read16(IO_IME) != 0 &&
         (cpsr & CPSR_IRQ_DISABLE) == 0;
}

bool pending_interrupt_accepted(std::uint32_t cpsr) { return cpu_accepts(io_read16(IO_IF), cpsr); }

// The CPU's part of taking an interrupt; jumping to the vector is the caller's.
void enter_irq_mode(std::uint32_t return_address, std::uint32_t interrupted_cpsr) {
  machine.saved_psr[MODE_IRQ] = interrupted_cpsr;
  reg[SLOT_CPSR] = CPSR_IRQ_ENTRY;
  if (reg[SLOT_MODE_INDEX] == MODE_IRQ) {
    // A handler that re-enabled interrupts without leaving IRQ mode: its r14 is live in the
    // register area, and the mode switch below would not load the banked copy.
    reg[SLOT_LR] = return_address;
    return;
  }
  machine.banked[MODE_IRQ][BANKED_R14] = return_address;
  switch_cpu_mode(MODE_IRQ);
}

}  // namespace

void raise_interrupt_flags(std::uint32_t bits) {
  io_store16(IO_IF, io_read16(IO_IF) | bits);
  if (!cpu_accepts(bits, reg[SLOT_CPSR])) return;

  // The handler runs in the BIOS, whose last fetched opcode is what protected reads see later.
  machine.bios_protect_word = BIOS_PROTECT_AFTER_IRQ;
  std::uint32_t interrupted_cpsr = reg[SLOT_CPSR];
  std::uint32_t return_address = reg[SLOT_PC] + ARM_RETURN_OFFSET;
  reg[SLOT_PC] = IRQ_VECTOR;
  make_bios_readable();
  enter_irq_mode(return_address, interrupted_cpsr);
  // A halted CPU wakes, and the code that was running must not carry on after the caller returns.
  reg[SLOT_HALT_STATE] = 0;
  reg[SLOT_REDISPATCH] = 1;
}

std::uint32_t write_cpsr(std::uint32_t value, std::uint32_t mask, std::uint32_t pc) {
  reg[SLOT_CPSR] = value;
  // Mode and I bit live in the control byte; a write that leaves it alone changes only flags.
  if ((mask & 0xFF) == 0) return 0;
  switch_cpu_mode(mode_of_psr[value & CPSR_MODE_MASK]);
  if (!pending_interrupt_accepted(value)) return 0;
  // Returning to pc + 4 makes the handler's SUBS PC, LR, #4 resume at the MSR itself.
  enter_irq_mode(pc + ARM_RETURN_OFFSET, value);
  return IRQ_VECTOR;
}

std::uint32_t irq_after_psr_restore(std::uint32_t target) {
  std::uint32_t restored = reg[SLOT_CPSR];
  switch_cpu_mode(mode_of_psr[restored & CPSR_MODE_MASK]);
  if (!pending_interrupt_accepted(restored)) return target;
  enter_irq_mode(target + ARM_RETURN_OFFSET, restored);
  return IRQ_VECTOR;
}

void set_cpu_halt_state(std::uint32_t state) { reg[SLOT_HALT_STATE] = state; }
std::uint32_t cpu_halt_state() { return reg[SLOT_HALT_STATE]; }
void request_redispatch() { reg[SLOT_REDISPATCH] = 1; }
