// ARM data processing. The second operand is built in edx, the first in r8d, the result in r8d.
// Host CF holds NOT C, so subtraction-family flags come out right as they are and the
// addition family needs one cmc; logical operations rebuild C from the shifter and keep V.

#include "core/state.h"
#include "cpu/arm_decode.h"
#include "cpu/host_x64/block_code.h"
#include "cpu/host_x64/emit_arm.h"
#include "cpu/runtime.h"

using namespace Xbyak::util;

namespace x64 {

namespace {

// r9d = (value >> bit) & 1: the shifter's carry-out, from edx before it is shifted.
void carry_from_bit(unsigned bit) {
  code().mov(r9d, edx);
  if (bit != 0) code().shr(r9d, static_cast<std::uint8_t>(bit));
  code().and_(r9d, 1);
}

void shift_by_immediate(Shift shift, unsigned amount, bool want_carry) {
  switch (shift) {
    case Shift::LSL:
      if (amount == 0) return;
      if (want_carry) carry_from_bit(32 - amount);
      code().shl(edx, static_cast<std::uint8_t>(amount));
      return;
    case Shift::LSR:
      if (want_carry) carry_from_bit(amount - 1);
      if (amount == 32) {
        code().xor_(edx, edx);
      } else {
        code().shr(edx, static_cast<std::uint8_t>(amount));
      }
      return;
    case Shift::ASR:
      if (want_carry) carry_from_bit(amount - 1);
      code().sar(edx, static_cast<std::uint8_t>(amount == 32 ? 31 : amount));
      return;
    case Shift::RRX:  // C in at the top, bit 0 out
      code().mov(ecx, r9d);
      code().shl(ecx, 31);
      code().mov(r9d, edx);
      code().and_(r9d, 1);
      code().shr(edx, 1);
      code().or_(edx, ecx);
      return;
    default:
      if (want_carry) carry_from_bit(amount - 1);
      code().ror(edx, static_cast<std::uint8_t>(amount));
      return;
  }
}

void shift_by_register(Shift shift, unsigned rs, std::uint32_t pc_value) {
  static void (*const routines[4])() = {shift_lsl_by_register, shift_lsr_by_register,
                                        shift_asr_by_register, shift_ror_by_register};
  load_guest(ecx, rs, pc_value);
  call_runtime(routines[static_cast<unsigned>(shift)]);
}

// The second operand into edx; with want_carry, the shifter's carry-out into r9d (which holds
// the old C beforehand whenever shifter_reads_carry says so).
void emit_operand2(const ShifterOperand& operand, std::uint32_t pc_value, bool want_carry) {
  if (operand.kind == ShifterOperand::IMMEDIATE) {
    code().mov(edx, operand.immediate);
    if (want_carry && operand.rotated) code().mov(r9d, operand.immediate >> 31);
    return;
  }
  load_guest(edx, operand.rm, pc_value);
  if (operand.kind == ShifterOperand::SHIFT_BY_REGISTER) {
    shift_by_register(operand.shift, operand.rs, pc_value);
  } else {
    shift_by_immediate(operand.shift, operand.amount, want_carry);
  }
}

void finish(const ArmInstruction& in, const DataProcessing& d) {
  if (d.rd == 15) {
    code().mov(eax, r8d);
    emit_arm_jump_to_eax(in, d.restores_psr);
  } else {
    store_guest(d.rd, r8d);
  }
}

// MOV/MVN of a plain operand, and ADD/SUB without S: host forms that leave the flags alone,
// so the common address arithmetic needs no flag saving.
bool emit_without_flags(const ArmInstruction& in, const DataProcessing& d) {
  const ShifterOperand& operand = d.operand;
  bool immediate = operand.kind == ShifterOperand::IMMEDIATE;
  if (d.s || !(immediate || is_plain_register(operand))) return false;
  unsigned op = d.op;
  if ((op == OP_MOV || op == OP_MVN) && immediate && d.rd != 15) {
    store_guest_constant(d.rd, op == OP_MOV ? operand.immediate : ~operand.immediate);
    return true;
  }
  if (op == OP_MOV || op == OP_MVN) {
    emit_operand2(operand, d.pc, false);
    if (op == OP_MVN) code().not_(edx);
    code().mov(r8d, edx);
  } else if ((op == OP_ADD || op == OP_SUB) && immediate) {
    std::uint32_t addend = op == OP_ADD ? operand.immediate : 0u - operand.immediate;
    load_guest(r8d, d.rn, d.pc);
    code().lea(r8d, code().ptr[r8 + static_cast<std::int32_t>(addend)]);
  } else if (op == OP_ADD || op == OP_SUB) {
    emit_operand2(operand, d.pc, false);
    load_guest(r8d, d.rn, d.pc);
    if (op == OP_ADD) {
      code().lea(r8d, code().ptr[r8 + rdx]);
    } else {
      code().not_(edx);  // a - b = a + ~b + 1
      code().lea(r8d, code().ptr[r8 + rdx + 1]);
    }
  } else {
    return false;
  }
  finish(in, d);
  return true;
}

template <typename Source>
void apply_in_place(unsigned op, const Xbyak::Operand& target, const Source& source) {
  switch (op) {
    case OP_AND: code().and_(target, source); break;
    case OP_EOR: code().xor_(target, source); break;
    case OP_ORR: code().or_(target, source); break;
    case OP_ADD: code().add(target, source); break;
    case OP_SUB: code().sub(target, source); break;
    case OP_CMP: code().cmp(target, source); break;
    default: code().test(target, source); break;
  }
}

// Rd op= operand on the guest register itself when the host operation's own flags are what
// the guest wants (arithmetic S, logical S with C and V dead) or nobody reads them.
bool emit_in_place(const ArmInstruction& in, const DataProcessing& d) {
  unsigned op = d.op, rn = d.rn;
  bool writes = !is_compare_op(op);
  bool supported = op == OP_AND || op == OP_EOR || op == OP_ORR || op == OP_ADD || op == OP_SUB ||
                   op == OP_CMP || op == OP_TST;
  if (!supported || rn == 15 || d.rd == 15 || (writes && d.rd != rn)) return false;
  bool immediate = d.operand.kind == ShifterOperand::IMMEDIATE;
  unsigned rm = d.operand.rm;
  if (!immediate && (!is_plain_register(d.operand) || rm == 15)) return false;
  if (!d.s && in.live != 0) return false;
  if (d.s && is_logical_op(op) && (in.live & (FLAG_C | FLAG_V))) return false;

  const Xbyak::Reg32* source = immediate ? nullptr : cached_register(rm);
  if (!immediate && source == nullptr) {
    load_guest(edx, rm, 0);
    source = &edx;
  }
  // The target is its cached register or its slot; an Address must not be copied into an
  // Operand, which would lose the memory form.
  auto apply = [&](const Xbyak::Operand& target) {
    if (immediate) {
      apply_in_place(op, target, d.operand.immediate);
    } else {
      apply_in_place(op, target, *source);
    }
  };
  if (const Xbyak::Reg32* host = cached_register(rn)) {
    apply(*host);
  } else {
    apply(code().dword[code().rip + &machine.registers[rn]]);
  }
  if (d.s && op == OP_ADD) code().cmc();
  return true;
}

// MOVS with a constant shift of 1-31 while V is dead: the host shift itself leaves N, Z and the
// shifted-out bit as C.
bool emit_flag_setting_shift(const ArmInstruction& in, const DataProcessing& d) {
  const ShifterOperand& operand = d.operand;
  if (d.op != OP_MOV || !d.s || d.rd == 15 || operand.kind != ShifterOperand::SHIFT_BY_IMMEDIATE ||
      (in.live & FLAG_V)) {
    return false;
  }
  Shift shift = operand.shift;
  bool host_shift = shift == Shift::LSL || shift == Shift::LSR || shift == Shift::ASR;
  if (!host_shift || operand.amount == 0 || operand.amount == 32) return false;
  auto amount = static_cast<std::uint8_t>(operand.amount);
  // Shifted where the result lives when Rd has a host register of its own.
  const Xbyak::Reg32* cached_rd = cached_register(d.rd);
  const Xbyak::Reg32& value = cached_rd != nullptr ? *cached_rd : edx;
  load_guest(value, operand.rm, in.pc);
  if (shift == Shift::LSL) code().shl(value, amount);
  if (shift == Shift::LSR) code().shr(value, amount);
  if (shift == Shift::ASR) code().sar(value, amount);
  if (in.live & FLAG_C) code().cmc();
  if (cached_rd == nullptr) store_guest(d.rd, edx);
  return true;
}

// The old C as a bit, from the flags saved in ah (whose CF holds NOT C).
void old_carry_into_r9() {
  code().movzx(ecx, ah);
  code().and_(ecx, 1);
  code().xor_(ecx, 1);
  code().mov(r9d, ecx);
}

void emit_operation(unsigned op, bool s) {
  switch (op) {
    case OP_AND:
    case OP_TST: code().and_(r8d, edx); break;
    case OP_EOR:
    case OP_TEQ: code().xor_(r8d, edx); break;
    case OP_ORR: code().or_(r8d, edx); break;
    case OP_BIC:
      code().not_(edx);
      code().and_(r8d, edx);
      break;
    case OP_MOV: code().mov(r8d, edx); break;
    case OP_MVN:
      code().not_(edx);
      code().mov(r8d, edx);
      break;
    case OP_SUB:
    case OP_CMP: code().sub(r8d, edx); break;
    case OP_RSB:
      code().sub(edx, r8d);
      code().mov(r8d, edx);
      break;
    case OP_ADD:
    case OP_CMN:
      code().add(r8d, edx);
      if (s) code().cmc();
      break;
    case OP_ADC:
      code().sahf();  // the guest C again, after the shifter
      code().cmc();
      code().adc(r8d, edx);
      if (s) code().cmc();
      break;
    case OP_SBC:
      code().sahf();  // host CF is already the borrow sbb wants
      code().sbb(r8d, edx);
      break;
    default:  // OP_RSC
      code().sahf();
      code().sbb(edx, r8d);
      code().mov(r8d, edx);
      break;
  }
}

// N and Z from the result, C from the shifter (r9d), V as it was (al).
void set_logical_flags() {
  code().mov(edx, r9d);
  code().xor_(edx, 1);
  code().test(r8d, r8d);
  code().lahf();
  code().or_(ah, dl);
  restore_flags();
}

}  // namespace

}  // namespace x64

void host_emit_data_processing(const ArmInstruction& in, const DataProcessing& d) {
  using namespace x64;
  if (emit_without_flags(in, d)) return;
  if (emit_in_place(in, d)) return;
  if (emit_flag_setting_shift(in, d)) return;

  unsigned op = d.op;
  bool s = d.s;
  bool logical = is_logical_op(op);
  bool carry_in = op == OP_ADC || op == OP_SBC || op == OP_RSC;
  // A logical S needs the full flag rebuild only while a later instruction reads C or V;
  // otherwise N and Z from the result are all that matter.
  bool full_logical_flags = s && logical && (in.live & (FLAG_C | FLAG_V));
  bool want_carry = full_logical_flags;
  bool reads_carry = shifter_reads_carry(d.operand, want_carry);
  bool keep_flags = !s && in.live != 0;
  bool saved = keep_flags || carry_in || reads_carry || full_logical_flags;

  if (saved) save_flags();
  if (reads_carry) old_carry_into_r9();
  emit_operand2(d.operand, d.pc, want_carry);
  if (op != OP_MOV && op != OP_MVN) load_guest(r8d, d.rn, d.pc);
  emit_operation(op, s);
  if (keep_flags) {
    restore_flags();
  } else if (full_logical_flags) {
    set_logical_flags();
  } else if (s && logical) {
    code().test(r8d, r8d);
  }
  if (!is_compare_op(op)) {
    finish(in, d);
  } else if (d.psr_restore_only) {
    code().mov(eax, in.next);
    emit_arm_jump_to_eax(in, true);
  }
}
