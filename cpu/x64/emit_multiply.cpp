// ARM multiplies. A flag-setting multiply sets N and Z and leaves C and V as they were (the
// ARMv4 C is unpredictable; keeping it is what later cores define).

#include "cpu/arm_decode.h"
#include "cpu/x64/block_code.h"
#include "cpu/x64/emit_arm.h"

using namespace Xbyak::util;

namespace x64 {

namespace {

// Flags saved in ah/al; N from bit 31 of `high`, Z from `zero_test` being 0. Clobbers ecx, edx.
void set_multiply_flags(const Xbyak::Reg32& high, const Xbyak::Reg32& zero_test) {
  code().mov(ecx, high);
  code().shr(ecx, 31);
  code().shl(ecx, 7);  // N at SF's place in ah
  code().test(zero_test, zero_test);
  code().setz(dl);
  code().shl(dl, 6);  // Z at ZF's place
  code().or_(cl, dl);
  code().and_(ah, 0x3F);
  code().or_(ah, cl);
  restore_flags();
}

}  // namespace

void emit_multiply(const ArmInstruction& in) {
  std::uint32_t opcode = in.opcode;
  unsigned rd = arm_bits(opcode, 16, 4);
  unsigned rn = arm_bits(opcode, 12, 4);
  unsigned rs = arm_bits(opcode, 8, 4);
  unsigned rm = arm_bits(opcode, 0, 4);
  std::uint32_t pc_value = in.pc;
  in.plan.pending_cycles += 2;

  bool s = arm_bit(opcode, 20);
  // C and V survive a multiply; they need saving only while someone reads them later.
  bool keep = s ? (in.live & (FLAG_C | FLAG_V)) != 0 : in.live != 0;
  if (keep) save_flags();
  load_guest(r8d, rm, pc_value);
  load_guest(edx, rs, pc_value);
  code().imul(r8d, edx);
  if (arm_bit(opcode, 21)) {
    load_guest(edx, rn, pc_value);
    code().add(r8d, edx);
  }
  if (s && keep) {
    set_multiply_flags(r8d, r8d);
  } else if (s) {
    code().test(r8d, r8d);
  } else if (keep) {
    restore_flags();
  }
  if (rd != 15) store_guest(rd, r8d);
}

// The 64-bit product lands in edx:eax, so the saved flags move to esi meanwhile.
void emit_multiply_long(const ArmInstruction& in) {
  std::uint32_t opcode = in.opcode;
  unsigned rd_high = arm_bits(opcode, 16, 4);
  unsigned rd_low = arm_bits(opcode, 12, 4);
  unsigned rs = arm_bits(opcode, 8, 4);
  unsigned rm = arm_bits(opcode, 0, 4);
  std::uint32_t pc_value = in.pc;
  in.plan.pending_cycles += 3;

  bool s = arm_bit(opcode, 20);
  // The flag-setting form builds N and Z into the saved flags; otherwise they are saved only
  // while a later instruction reads them.
  bool keep = s || in.live != 0;
  if (keep) {
    save_flags();
    code().mov(esi, eax);
  }
  load_guest(eax, rm, pc_value);
  load_guest(ecx, rs, pc_value);
  if (arm_bit(opcode, 22)) {
    code().imul(ecx);
  } else {
    code().mul(ecx);
  }
  if (arm_bit(opcode, 21)) {
    load_guest(ecx, rd_low, pc_value);
    load_guest(r8d, rd_high, pc_value);
    code().add(eax, ecx);
    code().adc(edx, r8d);
  }
  code().mov(r8d, eax);
  code().mov(r9d, edx);
  if (keep) code().mov(eax, esi);
  if (s) {
    code().mov(edi, r8d);
    code().or_(edi, r9d);
    set_multiply_flags(r9d, edi);
  } else if (keep) {
    restore_flags();
  }
  if (rd_low != 15) store_guest(rd_low, r8d);
  if (rd_high != 15) store_guest(rd_high, r9d);
}

}  // namespace x64
