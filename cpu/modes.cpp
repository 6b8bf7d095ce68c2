// Mode changes, reset and the move of the register area.

#include <cstring>

#include "core/state.h"
#include "cpu/cpu_state.h"

// clang-format off
const std::uint32_t mode_of_psr[32] = {
    // 0x00-0x0F: no mode of this CPU.
    MODE_INVALID, MODE_INVALID, MODE_INVALID, MODE_INVALID,
    MODE_INVALID, MODE_INVALID, MODE_INVALID, MODE_INVALID,
    MODE_INVALID, MODE_INVALID, MODE_INVALID, MODE_INVALID,
    MODE_INVALID, MODE_INVALID, MODE_INVALID, MODE_INVALID,
    // 0x10 User, 0x11 FIQ, 0x12 IRQ, 0x13 Supervisor
    MODE_USER_SYSTEM, MODE_FIQ, MODE_IRQ, MODE_SUPERVISOR,
    // 0x17 Abort
    MODE_INVALID, MODE_INVALID, MODE_INVALID, MODE_ABORT,
    // 0x1B Undefined
    MODE_INVALID, MODE_INVALID, MODE_INVALID, MODE_UNDEFINED,
    // 0x1F System
    MODE_INVALID, MODE_INVALID, MODE_INVALID, MODE_USER_SYSTEM,
};
// clang-format on

namespace {

// FIQ banks r8-r14, every other mode only r13-r14.
constexpr unsigned FIQ_BANKED_FIRST = 8;

constexpr std::uint32_t STACK_USER = 0x03007F00;
constexpr std::uint32_t STACK_IRQ = 0x03007FA0;
constexpr std::uint32_t STACK_SUPERVISOR = 0x03007FE0;
constexpr std::uint32_t CARTRIDGE_ENTRY = 0x08000000;

constexpr unsigned ADOPTED_SLOTS = 32;  // slots 32-63 have no role once generated code runs

void save_banked(std::uint32_t* bank, unsigned first_register) {
  for (unsigned r = first_register; r <= SLOT_LR; ++r) {
    bank[BANKED_R8 + r - FIQ_BANKED_FIRST] = reg[r];
  }
}

void load_banked(const std::uint32_t* bank, unsigned first_register) {
  for (unsigned r = first_register; r <= SLOT_LR; ++r) {
    reg[r] = bank[BANKED_R8 + r - FIQ_BANKED_FIRST];
  }
}

}  // namespace

void switch_cpu_mode(std::uint32_t index) {
  std::uint32_t old = reg[SLOT_MODE_INDEX];
  if (index == old) return;
  // Only FIQ has its own r8-r12. Entering it parks the interrupted mode's r8-r14; leaving it
  // brings back the new mode's, so FIQ's r8-r12 are never kept.
  save_banked(machine.banked[old], index == MODE_FIQ ? FIQ_BANKED_FIRST : SLOT_SP);
  load_banked(machine.banked[index], old == MODE_FIQ ? FIQ_BANKED_FIRST : SLOT_SP);
  reg[SLOT_MODE_INDEX] = index;
}

void cpu_reset() {
  for (unsigned r = 0; r <= SLOT_PC; ++r) reg[r] = 0;
  reg[SLOT_SP] = STACK_USER;
  reg[SLOT_PC] = CARTRIDGE_ENTRY;
  reg[SLOT_CPSR] = CPSR_MODE_SYSTEM;
  reg[SLOT_MODE_INDEX] = MODE_USER_SYSTEM;
  reg[SLOT_HALT_STATE] = 0;
  reg[SLOT_REDISPATCH] = 0;
  // The stacks the BIOS start-up code would have set; the FIQ stack is the IRQ one there too.
  machine.banked[MODE_USER_SYSTEM][BANKED_R13] = STACK_USER;
  machine.banked[MODE_IRQ][BANKED_R13] = STACK_IRQ;
  machine.banked[MODE_FIQ][BANKED_R13] = STACK_IRQ;
  machine.banked[MODE_SUPERVISOR][BANKED_R13] = STACK_SUPERVISOR;
}

void adopt_register_area(std::uint32_t* area) {
  std::memmove(area, reg, ADOPTED_SLOTS * sizeof *area);
  reg = area;
}
