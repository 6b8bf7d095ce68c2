// ARM branches, BX, software interrupts and PSR transfers.

#include "core/state.h"
#include "cpu/arm_decode.h"
#include "cpu/block_emission.h"
#include "cpu/runtime.h"
#include "cpu/translation_settings.h"
#include "cpu/x64/block_code.h"
#include "cpu/x64/emit_arm.h"

#include <bit>

using namespace Xbyak::util;

namespace x64 {

void emit_branch(const ArmInstruction& in) {
  if (arm_bit(in.opcode, 24)) store_guest_constant(14, in.next);
  emit_direct_exit(in.plan, in.address, arm_branch_target(in.opcode, in.address), false);
}

void emit_branch_exchange(const ArmInstruction& in) {
  load_guest(eax, arm_bits(in.opcode, 0, 4), in.pc);
  flush_pending_cycles(in.plan);
  jump_runtime(in.thumb ? jump_exchange_thumb : jump_exchange_arm);
}

void emit_swi(const ArmInstruction& in) {
  std::uint32_t number = arm_bits(in.opcode, 16, 8);
  if (swi_runs_inline(number)) {
    call_runtime(swi_divide_arm);
    return;
  }
  call_runtime(enter_swi_arm, in.next);
  emit_direct_exit(in.plan, in.address, 0x08, false);
}

// The CPSR with the live flags folded in: N and Z from ah's SF and ZF, C from NOT CF, V from al.
void emit_mrs(const ArmInstruction& in) {
  unsigned rd = arm_bits(in.opcode, 12, 4);
  if (rd == 15) return;
  if (arm_bit(in.opcode, 22)) {
    call_runtime(read_spsr);
    store_guest(rd, eax);
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
  store_guest(rd, edx);
}

// The field mask selects whole bytes of the PSR.
void emit_msr(const ArmInstruction& in) {
  std::uint32_t opcode = in.opcode;
  std::uint32_t mask = 0;
  for (unsigned field = 0; field < 4; ++field) {
    if (arm_bit(opcode, 16 + field)) mask |= 0xFFu << (8 * field);
  }
  if (arm_bit(opcode, 25)) {
    code().mov(eax,
               std::rotr(arm_bits(opcode, 0, 8), static_cast<int>(2 * arm_bits(opcode, 8, 4))));
  } else {
    load_guest(eax, arm_bits(opcode, 0, 4), in.pc);
  }
  code().mov(edx, mask);
  if (arm_bit(opcode, 22)) {
    call_runtime(write_spsr_masked);
  } else {
    call_runtime(write_cpsr_arm, in.address);
  }
}

}  // namespace x64
