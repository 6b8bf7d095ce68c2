#pragma once
// The guest CPU as ordinary code sees it: modes and banked registers, interrupt entry, CPSR
// writes, the BIOS division call, reset, and the CPU's part of a snapshot. Every routine here
// reaches guest registers through `reg`, so it works the same before generated code runs (register
// area at home in `machine`) and while it runs (register area on the host stack).

#include <cstddef>
#include <cstdint>

#include "core/state.h"

// Index of a mode's banked-register record and saved PSR. User and System share everything.
enum ModeIndex : std::uint32_t {
  MODE_USER_SYSTEM = 0,
  MODE_IRQ = 1,
  MODE_FIQ = 2,
  MODE_SUPERVISOR = 3,
  MODE_ABORT = 4,
  MODE_UNDEFINED = 5,
  MODE_INVALID = 6,  // a mode field the CPU does not define; banked like any other
};
constexpr unsigned MODE_COUNT = 7;

// Words of a banked-register record (machine.banked[mode index]): r8-r12 in words 0-4, which only
// FIQ uses, then r13 and r14.
constexpr unsigned BANKED_R8 = 0;
constexpr unsigned BANKED_R13 = 5;
constexpr unsigned BANKED_R14 = 6;

constexpr std::uint32_t CPSR_MODE_MASK = 0x1F;
constexpr std::uint32_t CPSR_IRQ_DISABLE = 1u << 7;
constexpr std::uint32_t CPSR_MODE_SYSTEM = 0x1F;
// What the CPU sets on taking an interrupt: IRQ mode, IRQ and FIQ disabled, ARM state, flags clear.
constexpr std::uint32_t CPSR_IRQ_ENTRY = 0xD2;
constexpr std::uint32_t IRQ_VECTOR = 0x18;

// Mode index by the CPSR's mode field (bits 4-0). Word entries, so that hand-written code can
// index it with a scaled load.
extern const std::uint32_t mode_of_psr[32];

// Moves the live r13-r14 (r8-r14 when FIQ is entered or left) between the register area and the
// banked records, and makes `index` the current mode. Switching to the current mode does nothing.
void switch_cpu_mode(std::uint32_t index);

// Sets the CPSR to `value`. When the mask touches the control byte, the mode follows the new
// value and a pending enabled interrupt is taken at once, returning to `pc` + 4. Returns
// IRQ_VECTOR when it took an interrupt, otherwise 0.
std::uint32_t write_cpsr(std::uint32_t value, std::uint32_t mask, std::uint32_t pc);

// After an exception return has put the saved PSR back into slot 20: switches to its mode and
// takes a pending enabled interrupt. Returns where execution continues: `target` or IRQ_VECTOR.
std::uint32_t irq_after_psr_restore(std::uint32_t target);

// Requests the interrupts in `bits` (IF |= bits) and enters the IRQ handler when one of them is
// enabled in IE, IME is on and the CPSR allows it. On entry slot 30 (halt) is cleared and slot 31
// (re-dispatch) is set.
void raise_interrupt_flags(std::uint32_t bits);

// Slot 30 as the rest of the machine sets and reads it: a HaltState.
void set_cpu_halt_state(std::uint32_t state);
std::uint32_t cpu_halt_state();

// Slot 31: the block that was running must not carry on after the current call returns.
void request_redispatch();

// The BIOS division call: r0 = r0 / r1 (signed, toward zero), r1 = remainder, r3 = |quotient|.
void swi_divide();

// Leaves the CPU as after the BIOS start-up code, ready to run from the cartridge entry point.
void cpu_reset();

// Copies slots 0-31 of the current register area into `area` and makes it the register area.
void adopt_register_area(std::uint32_t* area);

// The CPU's section of a snapshot (CPU_STATE_BYTES, core/state.h). Writes the section at `out` and
// returns the byte after it.
std::uint8_t* store_cpu_state(std::uint8_t* out);

// Reads the section from `in` into the register area, saved PSRs and banks, and returns the byte
// after it. Nothing else changes: flushing the caches and requesting a re-dispatch are the
// caller's.
const std::uint8_t* load_cpu_state(const std::uint8_t* in);
