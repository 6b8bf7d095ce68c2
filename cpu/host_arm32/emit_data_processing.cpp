// ARM data processing on an ARM host: the guest instruction runs as the same host instruction,
// S bit and shifter included, on the mapped registers, so the host flags it leaves are the
// guest's. Uncached operands come from their slots into r0 (Rn), r1 (Rm) and r2 (Rs); an
// uncached result goes through r0 to its slot.

#include "cpu/arm_decode.h"
#include "cpu/host_arm32/block_code.h"
#include "cpu/host_arm32/emit_arm.h"
#include "cpu/runtime.h"

namespace arm32 {

namespace {

constexpr std::uint32_t HOST_CARRY = 1u << 29;

// The shift field of a constant shift: LSR and ASR #32 encode as #0, RRX as ROR #0.
void shift_field(Shift shift, unsigned amount, ShiftKind* kind, unsigned* field) {
  if (shift == Shift::RRX) {
    *kind = ROR;
    *field = 0;
    return;
  }
  *kind = static_cast<ShiftKind>(shift);
  *field = amount & 31;
}

// A guest immediate that rotates sets C from its bit 31; the host picks the unrotated encoding
// for values below 256, which leaves C alone, so C (0 for such values) is cleared beforehand.
void prepare_immediate_carry(const DataProcessing& d, std::int32_t encoding) {
  if (!d.s || !is_logical_op(d.op) || !d.operand.rotated || (encoding >> 8) != 0) return;
  emit(0xE10F0000 | (R2 << 12));  // MRS r2, CPSR
  emit(dp_immediate(AL, BIC, false, R2, R2, HOST_CARRY));
  emit(0xE128F000 | R2);  // MSR CPSR_f, r2
}

void emit_operation(const DataProcessing& d, unsigned rd, unsigned rn) {
  auto op = static_cast<DataOp>(d.op);
  const ShifterOperand& operand = d.operand;
  if (operand.kind == ShifterOperand::IMMEDIATE) {
    std::int32_t encoding = encode_immediate(operand.immediate);
    if (encoding >= 0) {
      prepare_immediate_carry(d, encoding);
      emit(dp_immediate(AL, op, d.s, rd, rn, operand.immediate));
    } else {  // never for a guest encoding: the same value encodes on the host
      emit_constant(R1, operand.immediate);
      emit(dp_register(AL, op, d.s, rd, rn, R1));
    }
    return;
  }
  unsigned rm = read_guest(operand.rm, R1, d.pc);
  if (operand.kind == ShifterOperand::SHIFT_BY_REGISTER) {
    unsigned rs = read_guest(operand.rs, R2, d.pc);
    emit(dp_register_shift(AL, op, d.s, rd, rn, rm, static_cast<ShiftKind>(operand.shift), rs));
    return;
  }
  ShiftKind kind;
  unsigned amount;
  shift_field(operand.shift, operand.amount, &kind, &amount);
  emit(dp_register(AL, op, d.s, rd, rn, rm, kind, amount));
}

}  // namespace

}  // namespace arm32

using namespace arm32;

void host_emit_data_processing(const ArmInstruction& in, const DataProcessing& d) {
  bool compare = is_compare_op(d.op);
  bool moves = d.op == OP_MOV || d.op == OP_MVN;
  unsigned rn = moves ? 0 : read_guest(d.rn, R0, d.pc);
  unsigned rd = compare || d.rd == 15 ? R0 : destination(d.rd, R0);
  emit_operation(d, rd, rn);
  if (compare) {
    if (d.psr_restore_only) {
      emit_constant(R0, in.next);
      emit_arm_jump_to_r0(in, true);
    }
  } else if (d.rd == 15) {
    emit_arm_jump_to_r0(in, d.restores_psr);
  } else {
    store_guest(d.rd, rd);
  }
}
