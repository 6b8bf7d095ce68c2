#pragma once
// The hand-written host routines that generated code calls, and the entry into generated code.
// Every host's runtime file has these routines under these names, with the same contracts; the
// host registers they use are each host's own (cpu/host_x64/block_code.h for x86-64).

#include <cstdint>

enum class RuntimeExit : std::uint32_t {
  STOPPED = 0,   // the scheduler asked to stop
  BAD_JUMP = 1,  // a jump to where no code can run; slot 15 holds the target
};

extern "C" {
// Enters generated code at slot 15 in the state of slot 20 and returns when emulation stops.
RuntimeExit run_translated(std::uint32_t cycles);

// The scheduler step, called with every guest register written back; returns the next budget.
// The machine installs its scheduler here (tests their own stand-in); until then a call stops
// emulation.
using SchedulerStep = std::uint32_t (*)();
extern SchedulerStep runtime_scheduler;

// Set to make the runtime leave generated code the next time the scheduler returns.
extern volatile std::uint32_t runtime_stop_request;

// The cycle counter (NOT the remaining budget) as it stood when the scheduler was called.
extern std::uint32_t runtime_budget_counter;

void exit_on_budget_arm();
void exit_on_budget_thumb();
void exit_at_idle_arm();
void exit_at_idle_thumb();
void jump_indirect_arm();
void jump_indirect_thumb();
void jump_exchange_arm();
void jump_exchange_thumb();
void write_cpsr_arm();
void write_spsr();
void write_spsr_masked();
void read_spsr();
void return_from_exception();
void enter_swi_arm();
void enter_swi_thumb();
void swi_divide_arm();
void swi_divide_thumb();
void load_byte_stub();
void load_sbyte_stub();
void load_half_stub();
void load_shalf_stub();
void load_word_stub();
void store_byte_stub();
void store_half_stub();
void store_word_stub();
void store_word_plain_stub();
void shift_lsl_by_register();
void shift_lsr_by_register();
void shift_asr_by_register();
void shift_ror_by_register();
void block_transfer_user_bank();
}

inline void request_emulation_stop() { runtime_stop_request = 1; }
inline bool emulation_stop_requested() { return runtime_stop_request != 0; }

// The scheduler step of a whole machine, for `runtime_scheduler`: slot 31 then tells whether
// anything during the step (an interrupt taken, code overwritten) asked for a re-dispatch. The
// cycles the CPU ran past its budget (read from runtime_budget_counter) are carried into the step.
std::uint32_t machine_scheduler_step();
