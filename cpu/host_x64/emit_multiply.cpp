// ARM multiplies. A flag-setting multiply sets N and Z and leaves C and V as they were (the
// ARMv4 C is unpredictable; keeping it is what later cores define).

#include "cpu/host_x64/block_code.h"
#include "cpu/host_x64/emit_arm.h"

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

}  // namespace x64

using namespace x64;

void host_emit_multiply(const ArmInstruction& in, const Multiply& m) {
  // C and V survive a multiply; they need saving only while someone reads them later.
  bool keep = m.s ? (in.live & (FLAG_C | FLAG_V)) != 0 : in.live != 0;
  if (keep) save_flags();
  load_guest(r8d, m.rm, in.pc);
  load_guest(edx, m.rs, in.pc);
  code().imul(r8d, edx);
  if (m.accumulate) {
    load_guest(edx, m.rn, in.pc);
    code().add(r8d, edx);
  }
  if (m.s && keep) {
    set_multiply_flags(r8d, r8d);
  } else if (m.s) {
    code().test(r8d, r8d);
  } else if (keep) {
    restore_flags();
  }
  if (m.rd != 15) store_guest(m.rd, r8d);
}

// The 64-bit product lands in edx:eax, so the saved flags move to esi meanwhile.
void host_emit_multiply_long(const ArmInstruction& in, const MultiplyLong& m) {
  // The flag-setting form builds N and Z into the saved flags; otherwise they are saved only
  // while a later instruction reads them.
  bool keep = m.s || in.live != 0;
  if (keep) {
    save_flags();
    code().mov(esi, eax);
  }
  load_guest(eax, m.rm, in.pc);
  load_guest(ecx, m.rs, in.pc);
  if (m.is_signed) {
    code().imul(ecx);
  } else {
    code().mul(ecx);
  }
  if (m.accumulate) {
    load_guest(ecx, m.rd_low, in.pc);
    load_guest(r8d, m.rd_high, in.pc);
    code().add(eax, ecx);
    code().adc(edx, r8d);
  }
  code().mov(r8d, eax);
  code().mov(r9d, edx);
  if (keep) code().mov(eax, esi);
  if (m.s) {
    code().mov(edi, r8d);
    code().or_(edi, r9d);
    set_multiply_flags(r9d, edi);
  } else if (keep) {
    restore_flags();
  }
  if (m.rd_low != 15) store_guest(m.rd_low, r8d);
  if (m.rd_high != 15) store_guest(m.rd_high, r9d);
}
