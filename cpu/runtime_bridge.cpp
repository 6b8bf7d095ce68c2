// Ordinary code as the hand-written runtime sees it: plain C entry points with the arguments in
// the order the routines pass them. The machine-record offsets the routines use are generated
// from the real layout at build time (generate_state_offsets.cpp).

#include <cstdint>

#include "core/memory/memory.h"
#include "core/state.h"
#include "core/timing/scheduler.h"
#include "cpu/block_transfer.h"
#include "cpu/cpu_state.h"
#include "cpu/runtime.h"
#include "cpu/translation_cache.h"

namespace {

std::uint32_t stop_without_scheduler() {
  request_emulation_stop();
  return 1;
}

// The saved PSR has no entry for an invalid mode; such a mode reads and writes this instead of
// whatever follows the table.
std::uint32_t invalid_mode_spsr;

// Blocks test the budget only at their exits, so the last one may end past it: the counter, NOT
// remaining, is then 0 for one cycle past, 1 for two, and so on. Read once, so that a step called
// without generated code running carries nothing.
std::uint32_t cycles_past_budget() {
  auto counter = static_cast<std::int32_t>(runtime_budget_counter);
  runtime_budget_counter = ~0u;
  return counter >= 0 ? static_cast<std::uint32_t>(counter) + 1 : 0;
}

}  // namespace

std::uint32_t machine_scheduler_step() {
  reg[SLOT_REDISPATCH] = 0;
  return advance_hardware(cycles_past_budget());
}

extern "C" {

SchedulerStep runtime_scheduler = stop_without_scheduler;
std::uint32_t runtime_budget_counter = ~0u;  // a runtime that never sets it carries nothing

std::uint32_t* runtime_spsr_pointers[MODE_COUNT] = {
    &machine.saved_psr[0], &machine.saved_psr[1], &machine.saved_psr[2], &machine.saved_psr[3],
    &machine.saved_psr[4], &machine.saved_psr[5], &invalid_mode_spsr,
};

BlockAddress runtime_lookup(std::uint32_t pc, std::uint32_t thumb) {
  BlockAddress block = thumb ? lookup_thumb_block(pc) : lookup_arm_block(pc);
  remember_indirect_jump(pc, thumb != 0, block);
  return block;
}

// User mode may only write the flags.
std::uint32_t runtime_write_cpsr(std::uint32_t value, std::uint32_t mask, std::uint32_t pc) {
  if ((reg[SLOT_CPSR] & CPSR_MODE_MASK) == 0x10) {
    mask &= 0xFF000000;
    value = (value & 0xFF000000) | (reg[SLOT_CPSR] & 0x00FFFFFF);
  }
  return write_cpsr(value, mask, pc);
}

std::uint32_t runtime_irq_after_psr_restore(std::uint32_t target) {
  return irq_after_psr_restore(target);
}

void runtime_switch_cpu_mode(std::uint32_t index) { switch_cpu_mode(index); }
void swi_divide_bridge() { swi_divide(); }
void runtime_flush_ram_cache() { flush_ram_cache(); }

std::uint32_t runtime_read8(std::uint32_t address) { return mem_read8(address); }
std::uint32_t runtime_read16(std::uint32_t address) { return mem_read16(address); }
std::uint32_t runtime_read16s(std::uint32_t address) { return mem_read16s(address); }
std::uint32_t runtime_read32(std::uint32_t address) { return mem_read32(address); }
std::uint32_t runtime_write8(std::uint32_t address, std::uint32_t value) {
  return mem_write8(address, value);
}
std::uint32_t runtime_write16(std::uint32_t address, std::uint32_t value) {
  return mem_write16(address, value);
}
std::uint32_t runtime_write32(std::uint32_t address, std::uint32_t value) {
  return mem_write32(address, value);
}

void runtime_block_transfer_user(std::uint32_t instruction, std::uint32_t base) {
  transfer_user_bank(instruction, base);
}

}  // extern "C"
