// ARM branches, BX, software interrupts and PSR transfers on x86-64.

#include "core/state.h"
#include "cpu/block_emission.h"
#include "cpu/host_x64/block_code.h"
#include "cpu/host_x64/emit_arm.h"
#include "cpu/runtime.h"

using namespace Xbyak::util;

namespace x64 {

void emit_arm_jump_to_eax(const ArmInstruction& in, bool restore_psr) {
  flush_pending_cycles(in.plan);
  if (restore_psr) {
    leave_for_runtime(return_from_exception);
  } else {
    leave_for_runtime(in.thumb ? jump_indirect_thumb : jump_indirect_arm);
  }
}

}  // namespace x64

using namespace x64;

void host_emit_branch_exchange(const ArmInstruction& in, unsigned rm) {
  load_guest(eax, rm, in.pc);
  flush_pending_cycles(in.plan);
  leave_for_runtime(in.thumb ? jump_exchange_thumb : jump_exchange_arm);
}

void host_emit_inline_divide(bool thumb) {
  call_runtime(thumb ? swi_divide_thumb : swi_divide_arm);
}

void host_emit_swi_entry(bool thumb, std::uint32_t return_address) {
  call_runtime(thumb ? enter_swi_thumb : enter_swi_arm, return_address);
}

// The CPSR with the live flags folded in: N and Z from ah's SF and ZF, C from NOT CF, V from al.
void host_emit_mrs(const ArmInstruction&, const PsrRead& r) {
  if (r.spsr) {
    call_runtime(read_spsr);
    store_guest(r.rd, eax);
    return;
  }
  Xbyak::Label no_carry, no_overflow;
  save_flags();
  code().mov(edx, code().dword[rip + &machine.registers[SLOT_CPSR]]);
  code().and_(edx, 0x0FFFFFFF);
  code().mov(ecx, eax);
  code().shl(ecx, 16);
  code().and_(ecx, 0xC0000000);
  code().or_(edx, ecx);
  code().test(ah, 1);
  code().jnz(no_carry);
  code().or_(edx, 0x20000000);
  code().L(no_carry);
  code().test(al, al);
  code().jz(no_overflow);
  code().or_(edx, 0x10000000);
  code().L(no_overflow);
  restore_flags();
  store_guest(r.rd, edx);
}

void host_emit_msr(const ArmInstruction& in, const PsrWrite& w) {
  if (w.immediate) {
    code().mov(eax, w.value);
  } else {
    load_guest(eax, w.rm, in.pc);
  }
  code().mov(edx, w.mask);
  if (w.spsr) {
    call_runtime(write_spsr_masked);
  } else {
    call_runtime(write_cpsr_arm, in.address);
  }
}
