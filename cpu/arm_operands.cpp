#include "cpu/arm_operands.h"

#include <bit>

#include "cpu/arm_decode.h"

namespace {

// Bits 0-11 of a register operand shifted by a constant.
ShifterOperand shift_by_immediate(std::uint32_t opcode) {
  auto type = static_cast<Shift>(arm_bits(opcode, 5, 2));
  unsigned amount = arm_bits(opcode, 7, 5);
  if (amount == 0 && (type == Shift::LSR || type == Shift::ASR)) amount = 32;
  if (amount == 0 && type == Shift::ROR) type = Shift::RRX;
  return {ShifterOperand::SHIFT_BY_IMMEDIATE, 0, false, arm_bits(opcode, 0, 4), type, amount, 0};
}

ShifterOperand shifter_operand(std::uint32_t opcode) {
  if (arm_bit(opcode, 25)) {
    return {ShifterOperand::IMMEDIATE,
            arm_rotated_immediate(opcode),
            arm_bits(opcode, 8, 4) != 0,
            0,
            Shift::LSL,
            0,
            0};
  }
  if (!arm_bit(opcode, 4)) return shift_by_immediate(opcode);
  return {ShifterOperand::SHIFT_BY_REGISTER,
          0,
          false,
          arm_bits(opcode, 0, 4),
          static_cast<Shift>(arm_bits(opcode, 5, 2)),
          0,
          arm_bits(opcode, 8, 4)};
}

Transfer transfer_registers(std::uint32_t opcode, std::uint32_t pc) {
  Transfer t{};
  t.rn = arm_bits(opcode, 16, 4);
  t.rd = arm_bits(opcode, 12, 4);
  t.pre = arm_bit(opcode, 24);
  t.up = arm_bit(opcode, 23);
  t.writeback = (!t.pre || arm_bit(opcode, 21)) && t.rn != 15;
  t.load = arm_bit(opcode, 20);
  t.stored_pc = pc + 4;
  return t;
}

// The lowest address of an LDM/STM, relative to the base.
std::int32_t block_start_offset(bool pre, bool up, unsigned count) {
  auto size = static_cast<std::int32_t>(4 * count);
  if (up) return pre ? 4 : 0;
  return pre ? -size : -size + 4;
}

}  // namespace

bool shifter_reads_carry(const ShifterOperand& operand, bool want_carry) {
  switch (operand.kind) {
    case ShifterOperand::IMMEDIATE: return want_carry && !operand.rotated;
    case ShifterOperand::SHIFT_BY_REGISTER: return want_carry;
    default:
      if (operand.shift == Shift::RRX) return true;
      return operand.shift == Shift::LSL && operand.amount == 0 && want_carry;
  }
}

DataProcessing decode_data_processing(std::uint32_t opcode, std::uint32_t pc) {
  DataProcessing d{};
  d.op = arm_bits(opcode, 21, 4);
  d.s = arm_bit(opcode, 20);
  d.rn = arm_bits(opcode, 16, 4);
  d.rd = arm_bits(opcode, 12, 4);
  d.operand = shifter_operand(opcode);
  d.pc = d.operand.kind == ShifterOperand::SHIFT_BY_REGISTER ? pc + 4 : pc;
  d.restores_psr = d.s && d.rd == 15;
  d.psr_restore_only = is_compare_op(d.op) && d.rd == 15;
  return d;
}

Multiply decode_multiply(std::uint32_t opcode) {
  return {arm_bits(opcode, 16, 4), arm_bits(opcode, 12, 4), arm_bits(opcode, 8, 4),
          arm_bits(opcode, 0, 4),  arm_bit(opcode, 21),     arm_bit(opcode, 20)};
}

MultiplyLong decode_multiply_long(std::uint32_t opcode) {
  return {arm_bits(opcode, 16, 4), arm_bits(opcode, 12, 4), arm_bits(opcode, 8, 4),
          arm_bits(opcode, 0, 4),  arm_bit(opcode, 22),     arm_bit(opcode, 21),
          arm_bit(opcode, 20)};
}

Transfer decode_single_transfer(std::uint32_t opcode, std::uint32_t pc) {
  Transfer t = transfer_registers(opcode, pc);
  t.size = arm_bit(opcode, 22) ? TransferSize::BYTE : TransferSize::WORD;
  t.immediate_offset = !arm_bit(opcode, 25);
  t.immediate = arm_bits(opcode, 0, 12);
  ShifterOperand offset = shift_by_immediate(opcode);
  t.rm = offset.rm;
  t.shift = offset.shift;
  t.amount = offset.amount;
  return t;
}

bool decode_halfword_transfer(std::uint32_t opcode, std::uint32_t pc, Transfer* out) {
  static constexpr TransferSize sizes[4] = {TransferSize::HALF, TransferSize::HALF,
                                            TransferSize::SIGNED_BYTE, TransferSize::SIGNED_HALF};
  Transfer t = transfer_registers(opcode, pc);
  unsigned kind = arm_bits(opcode, 5, 2);
  if (!t.load && kind != 1) return false;
  t.size = sizes[kind];
  t.immediate_offset = arm_bit(opcode, 22);
  t.immediate = (arm_bits(opcode, 8, 4) << 4) | arm_bits(opcode, 0, 4);
  t.rm = arm_bits(opcode, 0, 4);
  t.shift = Shift::LSL;
  t.amount = 0;
  *out = t;
  return true;
}

Swap decode_swap(std::uint32_t opcode) {
  return {arm_bits(opcode, 16, 4), arm_bits(opcode, 12, 4), arm_bits(opcode, 0, 4),
          arm_bit(opcode, 22)};
}

BlockTransfer decode_block_transfer(std::uint32_t opcode, std::uint32_t pc, std::uint32_t address,
                                    bool thumb) {
  BlockTransfer b{};
  b.rn = arm_bits(opcode, 16, 4);
  b.list = arm_bits(opcode, 0, 16);
  bool pre = arm_bit(opcode, 24);
  bool up = arm_bit(opcode, 23);
  bool s = arm_bit(opcode, 22);
  b.writeback = arm_bit(opcode, 21);
  b.load = arm_bit(opcode, 20);
  // An empty list transfers r15 alone but moves the base as sixteen registers would.
  b.count = b.list == 0 ? 16u : static_cast<unsigned>(std::popcount(b.list));
  if (b.list == 0) b.list = 0x8000;
  auto size = static_cast<std::int32_t>(4 * b.count);
  b.start_offset = block_start_offset(pre, up, b.count);
  b.change = up ? size : -size;
  bool pc_loaded = b.load && (b.list & 0x8000);
  b.restores_psr = s && pc_loaded;
  b.user_bank = s && !pc_loaded;
  auto lowest = static_cast<unsigned>(std::countr_zero(b.list));
  b.stores_updated_base = !b.load && b.writeback && (b.list & (1u << b.rn)) != 0 && b.rn != lowest;
  // The PC is stored as the instruction's address + 12 (+ 6 in Thumb state).
  b.stored_pc = thumb ? address + 6 : pc + 4;
  return b;
}

PsrRead decode_mrs(std::uint32_t opcode) { return {arm_bits(opcode, 12, 4), arm_bit(opcode, 22)}; }

PsrWrite decode_msr(std::uint32_t opcode) {
  PsrWrite w{};
  w.spsr = arm_bit(opcode, 22);
  for (unsigned field = 0; field < 4; ++field) {
    if (arm_bit(opcode, 16 + field)) w.mask |= 0xFFu << (8 * field);
  }
  w.immediate = arm_bit(opcode, 25);
  w.value = arm_rotated_immediate(opcode);
  w.rm = arm_bits(opcode, 0, 4);
  return w;
}
