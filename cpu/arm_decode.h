#pragma once
// ARM-state instruction classes, decided once from the opcode bits. The scan, the emitters and
// the tests' instruction generator all classify through here.

#include <bit>
#include <cstdint>

enum class ArmClass {
  DATA_PROCESSING,
  MULTIPLY,
  MULTIPLY_LONG,
  SWAP,
  HALFWORD_TRANSFER,
  SINGLE_TRANSFER,
  BLOCK_TRANSFER,
  BRANCH,
  BRANCH_EXCHANGE,
  MRS,
  MSR,
  SWI,
  UNDEFINED,  // also the coprocessor space: the console has no coprocessor
};

ArmClass classify_arm(std::uint32_t opcode);

// clang-format off
enum ArmDataOp : unsigned {
  OP_AND, OP_EOR, OP_SUB, OP_RSB, OP_ADD, OP_ADC, OP_SBC, OP_RSC,
  OP_TST, OP_TEQ, OP_CMP, OP_CMN, OP_ORR, OP_MOV, OP_BIC, OP_MVN,
};
// clang-format on

inline unsigned arm_bits(std::uint32_t opcode, unsigned low, unsigned count) {
  return (opcode >> low) & ((1u << count) - 1);
}
inline bool arm_bit(std::uint32_t opcode, unsigned bit) { return (opcode >> bit) & 1; }

// The immediate of data processing and MSR: eight bits rotated right by twice bits 8-11.
inline std::uint32_t arm_rotated_immediate(std::uint32_t opcode) {
  return std::rotr(arm_bits(opcode, 0, 8), static_cast<int>(2 * arm_bits(opcode, 8, 4)));
}

inline bool is_logical_op(unsigned op) {
  return op == OP_AND || op == OP_EOR || op == OP_TST || op == OP_TEQ || op == OP_ORR ||
         op == OP_MOV || op == OP_BIC || op == OP_MVN;
}
inline bool is_compare_op(unsigned op) { return op >= OP_TST && op <= OP_CMN; }

// True when the instruction sets the guest flags.
bool arm_writes_flags(std::uint32_t opcode);

// The guest flags an ARM instruction reads (apart from its condition) and always writes.
struct FlagUsage;
FlagUsage arm_flag_usage(std::uint32_t opcode);

// True when the shifter operand of a data-processing instruction reads C: RRX, or a carry-out
// that is "C unchanged" (no rotation, no shift, or a register shift that may count 0).
bool arm_shifter_keeps_carry(std::uint32_t opcode);

// True when the instruction writes the PC (branches, BX, PC destinations, SWI into the BIOS).
bool arm_may_jump(std::uint32_t opcode);

// The target of B/BL at `address`.
inline std::uint32_t arm_branch_target(std::uint32_t opcode, std::uint32_t address) {
  std::int32_t offset = static_cast<std::int32_t>(opcode << 8) >> 6;
  return address + 8 + static_cast<std::uint32_t>(offset);
}
