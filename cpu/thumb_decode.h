#pragma once
// Thumb instructions as the translator sees them. Most have an ARM equivalent that sets the
// same flags and touches the same registers; those are emitted by the ARM emitters, with the
// Thumb PC and register map. The rest (branches, BX, SWI, the long branch with link, ADD Rd, PC)
// are handled on their own.

#include <cstdint>

enum class ThumbKind {
  ARM_EQUIVALENT,
  CONDITIONAL_BRANCH,
  BRANCH,
  LONG_BRANCH_PREFIX,  // first half of BL: LR = PC + (offset << 12)
  LONG_BRANCH,         // second half of BL
  BRANCH_EXCHANGE,
  SWI,
  PC_ADDRESS,  // ADD Rd, PC, #imm: a constant
  UNDEFINED,
};

struct ThumbInstruction {
  ThumbKind kind;
  std::uint32_t arm_opcode;  // ARM_EQUIVALENT
  std::uint32_t pc;          // what reading r15 gives to the equivalent
};

// `address` is the halfword's own address.
ThumbInstruction decode_thumb(std::uint16_t halfword, std::uint32_t address);

// The target of a conditional or unconditional branch at `address`.
std::uint32_t thumb_branch_target(std::uint16_t halfword, std::uint32_t address);

// The target of a long branch whose first half is at `address`.
std::uint32_t thumb_long_branch_target(std::uint16_t first, std::uint16_t second,
                                       std::uint32_t address);

inline bool is_long_branch_prefix(std::uint16_t halfword) { return (halfword & 0xF800) == 0xF000; }
inline bool is_long_branch_suffix(std::uint16_t halfword) { return (halfword & 0xF800) == 0xF800; }
inline bool is_thumb_swi(std::uint16_t halfword) { return (halfword & 0xFF00) == 0xDF00; }
inline bool is_thumb_conditional_branch(std::uint16_t halfword) {
  return (halfword & 0xF000) == 0xD000 && (halfword & 0x0F00) < 0x0E00;
}

// Flags the instruction reads and always writes, as for ARM (see block_plan.h).
struct FlagUsage;
FlagUsage thumb_flag_usage(std::uint32_t halfword);
