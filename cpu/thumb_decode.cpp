#include "cpu/thumb_decode.h"

#include <bit>

#include "cpu/arm_decode.h"
#include "cpu/block_plan.h"

namespace {

constexpr std::uint32_t ALWAYS = 0xE0000000;
constexpr std::uint32_t S_BIT = 1u << 20;

// ARM data processing: op, S, Rn, Rd and the operand bits.
std::uint32_t data_processing(unsigned op, bool s, unsigned rn, unsigned rd,
                              std::uint32_t operand) {
  return ALWAYS | (op << 21) | (s ? S_BIT : 0) | (rn << 16) | (rd << 12) | operand;
}
constexpr std::uint32_t IMMEDIATE = 1u << 25;

// An ARM immediate operand for values that fit eight bits shifted left by an even amount.
std::uint32_t immediate_operand(std::uint32_t value) {
  for (unsigned rotate = 0; rotate < 16; ++rotate) {
    std::uint32_t eight_bits = std::rotl(value, static_cast<int>(2 * rotate));
    if (eight_bits <= 0xFF) return IMMEDIATE | (rotate << 8) | eight_bits;
  }
  return IMMEDIATE;  // not reached: every Thumb immediate fits
}

std::uint32_t register_shift_by_immediate(unsigned rm, unsigned type, unsigned amount) {
  return (amount << 7) | (type << 5) | rm;
}

ThumbInstruction arm(std::uint32_t opcode, std::uint32_t pc) {
  return {ThumbKind::ARM_EQUIVALENT, opcode, pc};
}

ThumbInstruction shift_or_add(std::uint16_t h, std::uint32_t pc) {
  unsigned rd = h & 7, rs = (h >> 3) & 7;
  unsigned op = (h >> 11) & 3;
  if (op != 3) {  // LSL, LSR, ASR by immediate (0 means 32 for the right shifts, as in ARM)
    return arm(
        data_processing(OP_MOV, true, 0, rd, register_shift_by_immediate(rs, op, (h >> 6) & 31)),
        pc);
  }
  unsigned operand = (h >> 6) & 7;
  bool immediate = h & (1u << 10);
  unsigned arm_op = (h & (1u << 9)) ? OP_SUB : OP_ADD;
  return arm(data_processing(arm_op, true, rs, rd, immediate ? IMMEDIATE | operand : operand), pc);
}

ThumbInstruction immediate_op(std::uint16_t h, std::uint32_t pc) {
  static constexpr unsigned ops[4] = {OP_MOV, OP_CMP, OP_ADD, OP_SUB};
  unsigned rd = (h >> 8) & 7;
  return arm(data_processing(ops[(h >> 11) & 3], true, rd, rd, IMMEDIATE | (h & 0xFF)), pc);
}

ThumbInstruction alu_op(std::uint16_t h, std::uint32_t pc) {
  unsigned rd = h & 7, rs = (h >> 3) & 7;
  constexpr unsigned SHIFT_BY_REGISTER = 1u << 4;
  auto shift = [&](unsigned type) {
    return data_processing(OP_MOV, true, 0, rd, (rs << 8) | (type << 5) | SHIFT_BY_REGISTER | rd);
  };
  switch ((h >> 6) & 15) {
    case 0x0: return arm(data_processing(OP_AND, true, rd, rd, rs), pc);
    case 0x1: return arm(data_processing(OP_EOR, true, rd, rd, rs), pc);
    case 0x2: return arm(shift(0), pc);
    case 0x3: return arm(shift(1), pc);
    case 0x4: return arm(shift(2), pc);
    case 0x5: return arm(data_processing(OP_ADC, true, rd, rd, rs), pc);
    case 0x6: return arm(data_processing(OP_SBC, true, rd, rd, rs), pc);
    case 0x7: return arm(shift(3), pc);
    case 0x8: return arm(data_processing(OP_TST, true, rd, 0, rs), pc);
    case 0x9: return arm(data_processing(OP_RSB, true, rs, rd, IMMEDIATE), pc);  // NEG
    case 0xA: return arm(data_processing(OP_CMP, true, rd, 0, rs), pc);
    case 0xB: return arm(data_processing(OP_CMN, true, rd, 0, rs), pc);
    case 0xC: return arm(data_processing(OP_ORR, true, rd, rd, rs), pc);
    case 0xD: return arm(ALWAYS | S_BIT | (rd << 16) | (rd << 8) | 0x90 | rs, pc);  // MULS
    case 0xE: return arm(data_processing(OP_BIC, true, rd, rd, rs), pc);
    default: return arm(data_processing(OP_MVN, true, 0, rd, rs), pc);
  }
}

ThumbInstruction high_register_op(std::uint16_t h, std::uint32_t pc) {
  unsigned rd = (h & 7) | ((h >> 4) & 8);
  unsigned rs = (h >> 3) & 15;
  switch ((h >> 8) & 3) {
    case 0: return arm(data_processing(OP_ADD, false, rd, rd, rs), pc);
    case 1: return arm(data_processing(OP_CMP, true, rd, 0, rs), pc);
    case 2: return arm(data_processing(OP_MOV, false, 0, rd, rs), pc);
    default: return {ThumbKind::BRANCH_EXCHANGE, 0, pc};
  }
}

// ARM single transfer: P=1, U=1, no write-back; immediate or register offset.
std::uint32_t single_transfer(bool load, bool byte, unsigned rn, unsigned rd, std::uint32_t offset,
                              bool register_offset) {
  return ALWAYS | (1u << 26) | (register_offset ? 1u << 25 : 0) | (1u << 24) | (1u << 23) |
         (byte ? 1u << 22 : 0) | (load ? 1u << 20 : 0) | (rn << 16) | (rd << 12) | offset;
}

// ARM halfword transfer: P=1, U=1, no write-back; kind 1 H, 2 SB, 3 SH.
std::uint32_t halfword_transfer(bool load, unsigned kind, unsigned rn, unsigned rd,
                                std::uint32_t offset, bool register_offset) {
  std::uint32_t offset_bits = register_offset ? offset : ((offset & 0xF0) << 4) | (offset & 0xF);
  return ALWAYS | (1u << 24) | (1u << 23) | (register_offset ? 0 : 1u << 22) |
         (load ? 1u << 20 : 0) | (rn << 16) | (rd << 12) | 0x90 | (kind << 5) | offset_bits;
}

ThumbInstruction register_offset_transfer(std::uint16_t h, std::uint32_t pc) {
  unsigned rd = h & 7, rb = (h >> 3) & 7, ro = (h >> 6) & 7;
  if (!(h & (1u << 9))) {
    return arm(single_transfer(h & (1u << 11), h & (1u << 10), rb, rd, ro, true), pc);
  }
  switch ((h >> 10) & 3) {
    case 0: return arm(halfword_transfer(false, 1, rb, rd, ro, true), pc);  // STRH
    case 1: return arm(halfword_transfer(true, 2, rb, rd, ro, true), pc);   // LDSB
    case 2: return arm(halfword_transfer(true, 1, rb, rd, ro, true), pc);   // LDRH
    default: return arm(halfword_transfer(true, 3, rb, rd, ro, true), pc);  // LDSH
  }
}

ThumbInstruction block_transfer(bool load, unsigned rn, std::uint32_t list, bool decrement_before,
                                std::uint32_t pc) {
  std::uint32_t mode = decrement_before ? (1u << 24) : (1u << 23);
  return arm(ALWAYS | (4u << 25) | mode | (1u << 21) | (load ? 1u << 20 : 0) | (rn << 16) | list,
             pc);
}

ThumbInstruction misc(std::uint16_t h, std::uint32_t pc) {
  if ((h & 0xFF00) == 0xB000) {  // ADD SP, #+-imm
    unsigned op = (h & 0x80) ? OP_SUB : OP_ADD;
    return arm(data_processing(op, false, 13, 13, immediate_operand((h & 0x7Fu) * 4)), pc);
  }
  if ((h & 0xF600) == 0xB400) {  // PUSH / POP
    bool load = h & (1u << 11);
    std::uint32_t list = h & 0xFF;
    if (h & (1u << 8)) list |= load ? 1u << 15 : 1u << 14;
    if (list == 0) return {ThumbKind::UNDEFINED, 0, pc};
    return block_transfer(load, 13, list, !load, pc);
  }
  return {ThumbKind::UNDEFINED, 0, pc};
}

}  // namespace

ThumbInstruction decode_thumb(std::uint16_t h, std::uint32_t address) {
  std::uint32_t pc = address + 4;
  unsigned rd8 = (h >> 8) & 7;
  switch (h >> 12) {
    case 0x0:
    case 0x1: return shift_or_add(h, pc);
    case 0x2:
    case 0x3: return immediate_op(h, pc);
    case 0x4:
      if ((h & 0xFC00) == 0x4000) return alu_op(h, pc);
      if ((h & 0xFC00) == 0x4400) return high_register_op(h, pc);
      // LDR Rd, [PC, #imm]: the PC is word-aligned for this one.
      return arm(single_transfer(true, false, 15, rd8, (h & 0xFFu) * 4, false), pc & ~2u);
    case 0x5: return register_offset_transfer(h, pc);
    case 0x6:
    case 0x7: {
      bool byte = h & (1u << 12);
      std::uint32_t offset = ((h >> 6) & 31u) * (byte ? 1 : 4);
      return arm(single_transfer(h & (1u << 11), byte, (h >> 3) & 7, h & 7, offset, false), pc);
    }
    case 0x8:
      return arm(
          halfword_transfer(h & (1u << 11), 1, (h >> 3) & 7, h & 7, ((h >> 6) & 31u) * 2, false),
          pc);
    case 0x9:
      return arm(single_transfer(h & (1u << 11), false, 13, rd8, (h & 0xFFu) * 4, false), pc);
    case 0xA:
      if (!(h & (1u << 11))) return {ThumbKind::PC_ADDRESS, 0, pc & ~2u};
      return arm(data_processing(OP_ADD, false, 13, rd8, immediate_operand((h & 0xFFu) * 4)), pc);
    case 0xB: return misc(h, pc);
    case 0xC:  // an empty list moves r15 alone, as in ARM state
      return block_transfer(h & (1u << 11), rd8, h & 0xFFu, false, pc);
    case 0xD:
      if (is_thumb_swi(h)) return {ThumbKind::SWI, 0, pc};
      if (is_thumb_conditional_branch(h)) return {ThumbKind::CONDITIONAL_BRANCH, 0, pc};
      return {ThumbKind::UNDEFINED, 0, pc};
    case 0xE:
      if (h & (1u << 11)) return {ThumbKind::UNDEFINED, 0, pc};
      return {ThumbKind::BRANCH, 0, pc};
    default:
      return {is_long_branch_prefix(h) ? ThumbKind::LONG_BRANCH_PREFIX : ThumbKind::LONG_BRANCH, 0,
              pc};
  }
}

std::uint32_t thumb_branch_target(std::uint16_t h, std::uint32_t address) {
  std::int32_t offset = (h & 0xF000) == 0xD000
                            ? static_cast<std::int8_t>(h & 0xFF) * 2
                            : (static_cast<std::int32_t>((h & 0x7FFu) << 21) >> 20);
  return address + 4 + static_cast<std::uint32_t>(offset);
}

std::uint32_t thumb_long_branch_target(std::uint16_t first, std::uint16_t second,
                                       std::uint32_t address) {
  std::int32_t high = static_cast<std::int32_t>((first & 0x7FFu) << 21) >> 9;
  return address + 4 + static_cast<std::uint32_t>(high) + (second & 0x7FFu) * 2;
}

FlagUsage thumb_flag_usage(std::uint32_t halfword) {
  auto h = static_cast<std::uint16_t>(halfword);
  ThumbInstruction in = decode_thumb(h, 0);
  if (in.kind == ThumbKind::ARM_EQUIVALENT) {
    FlagUsage usage = arm_flag_usage(in.arm_opcode);
    // A high-register ADD or MOV into PC jumps without being a control instruction.
    bool writes_pc = (h & 0xFC87) == 0x4487 && ((h >> 8) & 3) != 1;
    if (writes_pc) usage.reads = ALL_FLAGS;
    return usage;
  }
  if (in.kind == ThumbKind::SWI || in.kind == ThumbKind::BRANCH_EXCHANGE) return {ALL_FLAGS, 0};
  return {0, 0};
}
