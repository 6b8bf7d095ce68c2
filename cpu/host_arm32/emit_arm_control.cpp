// ARM branches, BX, software interrupts and PSR transfers on an ARM host.

#include "cpu/block_emission.h"
#include "cpu/host_arm32/block_code.h"
#include "cpu/host_arm32/emit_arm.h"
#include "cpu/runtime.h"

namespace arm32 {

void emit_arm_jump_to_r0(const ArmInstruction& in, bool restore_psr) {
  flush_pending_cycles(in.plan);
  if (restore_psr) {
    jump_runtime(return_from_exception);
  } else {
    jump_runtime(in.thumb ? jump_indirect_thumb : jump_indirect_arm);
  }
}

}  // namespace arm32

using namespace arm32;

void host_emit_branch_exchange(const ArmInstruction& in, unsigned rm) {
  load_guest(R0, rm, in.pc);
  flush_pending_cycles(in.plan);
  jump_runtime(in.thumb ? jump_exchange_thumb : jump_exchange_arm);
}

void host_emit_inline_divide(bool thumb) {
  call_runtime(thumb ? swi_divide_thumb : swi_divide_arm);
}

void host_emit_swi_entry(bool thumb, std::uint32_t return_address) {
  call_runtime(thumb ? enter_swi_thumb : enter_swi_arm, return_address);
}

// The CPSR slot with the live host flags in bits 31-28; neither AND nor ORR sets flags.
void host_emit_mrs(const ArmInstruction&, const PsrRead& r) {
  unsigned rd = destination(r.rd, R0);
  if (r.spsr) {
    call_runtime(read_spsr);
    store_guest(r.rd, R0);
    return;
  }
  emit(0xE10F0000 | (R1 << 12));  // MRS r1, CPSR
  emit(load_store(AL, true, Width::WORD, R2, SP, REGISTER_AREA_OFFSET + 4 * 20));
  emit(dp_immediate(AL, AND, false, R1, R1, 0xF0000000));
  emit(dp_immediate(AL, BIC, false, R2, R2, 0xF0000000));
  emit(dp_register(AL, ORR, false, rd, R1, R2));
  store_guest(r.rd, rd);
}

void host_emit_msr(const ArmInstruction& in, const PsrWrite& w) {
  if (w.immediate) {
    emit_constant(R0, w.value);
  } else {
    load_guest(R0, w.rm, in.pc);
  }
  emit_constant(R1, w.mask);
  if (w.spsr) {
    call_runtime(write_spsr_masked);
  } else {
    call_runtime(write_cpsr_arm, in.address);
  }
}
