// ARM data processing. The second operand is built in edx, the first in r8d, the result in r8d.
// Host CF holds NOT C, so subtraction-family flags come out right as they are and the
// addition family needs one cmc; logical operations rebuild C from the shifter and keep V.

#include <bit>

#include "core/state.h"
#include "cpu/arm_decode.h"
#include "cpu/runtime.h"
#include "cpu/x64/block_code.h"
#include "cpu/x64/emit_arm.h"

using namespace Xbyak::util;

namespace x64 {

namespace {

enum ShiftType : unsigned { SHIFT_LSL, SHIFT_LSR, SHIFT_ASR, SHIFT_ROR };

bool is_immediate(std::uint32_t opcode) { return arm_bit(opcode, 25); }
bool is_register_shift(std::uint32_t opcode) { return !is_immediate(opcode) && arm_bit(opcode, 4); }

// A register operand without a shift (LSL #0).
bool is_plain_register(std::uint32_t opcode) {
  return !is_immediate(opcode) && arm_bits(opcode, 4, 8) == 0;
}

std::uint32_t immediate_value(std::uint32_t opcode) {
  return std::rotr(arm_bits(opcode, 0, 8), static_cast<int>(2 * arm_bits(opcode, 8, 4)));
}

// The shifter reads the old C when it rotates through it (RRX) or when its carry-out is "C
// unchanged" and someone wants that carry.
bool shifter_reads_carry(std::uint32_t opcode, bool want_carry) {
  if (is_immediate(opcode)) return want_carry && arm_bits(opcode, 8, 4) == 0;
  if (is_register_shift(opcode)) return want_carry;
  unsigned type = arm_bits(opcode, 5, 2);
  unsigned amount = arm_bits(opcode, 7, 5);
  if (amount != 0) return false;
  return type == SHIFT_ROR || (type == SHIFT_LSL && want_carry);
}

// r9d = (value >> bit) & 1: the shifter's carry-out, from edx before it is shifted.
void carry_from_bit(unsigned bit) {
  code().mov(r9d, edx);
  if (bit != 0) code().shr(r9d, static_cast<std::uint8_t>(bit));
  code().and_(r9d, 1);
}

void shift_by_immediate(unsigned type, unsigned amount, bool want_carry) {
  switch (type) {
    case SHIFT_LSL:
      if (amount == 0) return;
      if (want_carry) carry_from_bit(32 - amount);
      code().shl(edx, static_cast<std::uint8_t>(amount));
      return;
    case SHIFT_LSR:
      if (amount == 0) amount = 32;
      if (want_carry) carry_from_bit(amount - 1);
      if (amount == 32) {
        code().xor_(edx, edx);
      } else {
        code().shr(edx, static_cast<std::uint8_t>(amount));
      }
      return;
    case SHIFT_ASR:
      if (amount == 0) amount = 32;
      if (want_carry) carry_from_bit(amount - 1);
      code().sar(edx, static_cast<std::uint8_t>(amount == 32 ? 31 : amount));
      return;
    default:
      if (amount == 0) {  // RRX: C in at the top, bit 0 out
        code().mov(ecx, r9d);
        code().shl(ecx, 31);
        code().mov(r9d, edx);
        code().and_(r9d, 1);
        code().shr(edx, 1);
        code().or_(edx, ecx);
        return;
      }
      if (want_carry) carry_from_bit(amount - 1);
      code().ror(edx, static_cast<std::uint8_t>(amount));
      return;
  }
}

void shift_by_register(unsigned type, unsigned rs, std::uint32_t pc_value) {
  static void (*const routines[4])() = {shift_lsl_by_register, shift_lsr_by_register,
                                        shift_asr_by_register, shift_ror_by_register};
  load_guest(ecx, rs, pc_value);
  call_runtime(routines[type]);
}

// The second operand into edx; with want_carry, the shifter's carry-out into r9d (which holds
// the old C beforehand whenever shifter_reads_carry says so).
void emit_operand2(std::uint32_t opcode, std::uint32_t pc_value, bool want_carry) {
  if (is_immediate(opcode)) {
    std::uint32_t value = immediate_value(opcode);
    code().mov(edx, value);
    if (want_carry && arm_bits(opcode, 8, 4) != 0) code().mov(r9d, value >> 31);
    return;
  }
  load_guest(edx, arm_bits(opcode, 0, 4), pc_value);
  unsigned type = arm_bits(opcode, 5, 2);
  if (is_register_shift(opcode)) {
    shift_by_register(type, arm_bits(opcode, 8, 4), pc_value);
  } else {
    shift_by_immediate(type, arm_bits(opcode, 7, 5), want_carry);
  }
}

void finish(const ArmInstruction& in, unsigned rd, bool restore_psr) {
  if (rd == 15) {
    code().mov(eax, r8d);
    emit_arm_jump_to_eax(in, restore_psr);
  } else {
    store_guest(rd, r8d);
  }
}

// MOV/MVN of a plain operand, and ADD/SUB without S: host forms that leave the flags alone,
// so the common address arithmetic needs no flag saving.
bool emit_without_flags(const ArmInstruction& in, unsigned op, unsigned rn, unsigned rd,
                        std::uint32_t pc_value) {
  std::uint32_t opcode = in.opcode;
  bool plain = is_immediate(opcode) || is_plain_register(opcode);
  if (arm_bit(opcode, 20) || !plain) return false;
  if (op == OP_MOV || op == OP_MVN) {
    emit_operand2(opcode, pc_value, false);
    if (op == OP_MVN) code().not_(edx);
    code().mov(r8d, edx);
  } else if ((op == OP_ADD || op == OP_SUB) && is_immediate(opcode)) {
    std::uint32_t value = immediate_value(opcode);
    std::uint32_t addend = op == OP_ADD ? value : 0u - value;
    load_guest(r8d, rn, pc_value);
    code().lea(r8d, code().ptr[r8 + static_cast<std::int32_t>(addend)]);
  } else if (op == OP_ADD || op == OP_SUB) {
    emit_operand2(opcode, pc_value, false);
    load_guest(r8d, rn, pc_value);
    if (op == OP_ADD) {
      code().lea(r8d, code().ptr[r8 + rdx]);
    } else {
      code().not_(edx);  // a - b = a + ~b + 1
      code().lea(r8d, code().ptr[r8 + rdx + 1]);
    }
  } else {
    return false;
  }
  finish(in, rd, false);
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
bool emit_in_place(const ArmInstruction& in, unsigned op, unsigned rn, unsigned rd) {
  std::uint32_t opcode = in.opcode;
  bool s = arm_bit(opcode, 20);
  bool writes = !is_compare_op(op);
  bool supported = op == OP_AND || op == OP_EOR || op == OP_ORR || op == OP_ADD || op == OP_SUB ||
                   op == OP_CMP || op == OP_TST;
  if (!supported || rn == 15 || rd == 15 || (writes && rd != rn)) return false;
  bool immediate = is_immediate(opcode);
  unsigned rm = arm_bits(opcode, 0, 4);
  if (!immediate && (!is_plain_register(opcode) || rm == 15)) return false;
  if (!s && in.live != 0) return false;
  if (s && is_logical_op(op) && (in.live & (FLAG_C | FLAG_V))) return false;

  const Xbyak::Reg32* source = immediate ? nullptr : cached_register(rm);
  if (!immediate && source == nullptr) {
    load_guest(edx, rm, 0);
    source = &edx;
  }
  // The target is its cached register or its slot; an Address must not be copied into an
  // Operand, which would lose the memory form.
  auto apply = [&](const Xbyak::Operand& target) {
    if (immediate) {
      apply_in_place(op, target, immediate_value(opcode));
    } else {
      apply_in_place(op, target, *source);
    }
  };
  if (const Xbyak::Reg32* host = cached_register(rn)) {
    apply(*host);
  } else {
    apply(code().dword[code().rip + &machine.registers[rn]]);
  }
  if (s && op == OP_ADD) code().cmc();
  return true;
}

// MOVS with a constant shift of 1-31 while V is dead: the host shift itself leaves N, Z and the
// shifted-out bit as C.
bool emit_flag_setting_shift(const ArmInstruction& in, unsigned op, unsigned rd) {
  std::uint32_t opcode = in.opcode;
  if (op != OP_MOV || !arm_bit(opcode, 20) || rd == 15 || is_immediate(opcode) ||
      is_register_shift(opcode) || (in.live & FLAG_V)) {
    return false;
  }
  unsigned type = arm_bits(opcode, 5, 2);
  auto amount = static_cast<std::uint8_t>(arm_bits(opcode, 7, 5));
  if (amount == 0 || type == SHIFT_ROR) return false;
  load_guest(edx, arm_bits(opcode, 0, 4), in.pc);
  if (type == SHIFT_LSL) code().shl(edx, amount);
  if (type == SHIFT_LSR) code().shr(edx, amount);
  if (type == SHIFT_ASR) code().sar(edx, amount);
  if (in.live & FLAG_C) code().cmc();
  store_guest(rd, edx);
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

void emit_data_processing(const ArmInstruction& in) {
  std::uint32_t opcode = in.opcode;
  unsigned op = arm_bits(opcode, 21, 4);
  bool s = arm_bit(opcode, 20);
  unsigned rn = arm_bits(opcode, 16, 4);
  unsigned rd = arm_bits(opcode, 12, 4);
  std::uint32_t pc_value = is_register_shift(opcode) ? in.pc + 4 : in.pc;
  if (emit_without_flags(in, op, rn, rd, pc_value)) return;
  if (emit_in_place(in, op, rn, rd)) return;
  if (emit_flag_setting_shift(in, op, rd)) return;

  bool logical = is_logical_op(op);
  bool carry_in = op == OP_ADC || op == OP_SBC || op == OP_RSC;
  // A logical S needs the full flag rebuild only while a later instruction reads C or V;
  // otherwise N and Z from the result are all that matter.
  bool full_logical_flags = s && logical && (in.live & (FLAG_C | FLAG_V));
  bool want_carry = full_logical_flags;
  bool reads_carry = shifter_reads_carry(opcode, want_carry);
  bool keep_flags = !s && in.live != 0;
  bool saved = keep_flags || carry_in || reads_carry || full_logical_flags;

  if (saved) save_flags();
  if (reads_carry) old_carry_into_r9();
  emit_operand2(opcode, pc_value, want_carry);
  if (op != OP_MOV && op != OP_MVN) load_guest(r8d, rn, pc_value);
  emit_operation(op, s);
  if (keep_flags) {
    restore_flags();
  } else if (full_logical_flags) {
    set_logical_flags();
  } else if (s && logical) {
    code().test(r8d, r8d);
  }
  if (!is_compare_op(op)) {
    finish(in, rd, s);
  } else if (rd == 15) {
    // The ARM7TDMI keeps the old "P" form: a compare into r15 copies the SPSR into the CPSR.
    code().mov(eax, in.next);
    emit_arm_jump_to_eax(in, true);
  }
}

}  // namespace x64
