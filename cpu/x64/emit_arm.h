#pragma once
// The x86-64 emitters of the ARM instruction classes.

#include <cstdint>

#include "cpu/block_plan.h"

namespace x64 {

// An ARM instruction to emit. Thumb instructions with an ARM equivalent come here too, as that
// equivalent with the Thumb PC, return address and register map.
struct ArmInstruction {
  BlockPlan& plan;
  std::uint32_t opcode;
  std::uint32_t address;
  std::uint8_t live;   // flags a later instruction may read (FlagBit)
  std::uint32_t pc;    // what reading r15 gives: address + 8 in ARM state, + 4 in Thumb
  std::uint32_t next;  // the next instruction's address
  bool thumb;
};

// Emits by the instruction's ARM class.
void emit_arm_equivalent(const ArmInstruction& in);

void emit_data_processing(const ArmInstruction& in);
void emit_multiply(const ArmInstruction& in);
void emit_multiply_long(const ArmInstruction& in);
void emit_single_transfer(const ArmInstruction& in);
void emit_halfword_transfer(const ArmInstruction& in);
void emit_block_transfer(const ArmInstruction& in);
void emit_swap(const ArmInstruction& in);
void emit_branch(const ArmInstruction& in);
void emit_branch_exchange(const ArmInstruction& in);
void emit_mrs(const ArmInstruction& in);
void emit_msr(const ArmInstruction& in);
void emit_swi(const ArmInstruction& in);

// Leaves the block for the guest address in eax after the cycles so far are counted.
void emit_arm_jump_to_eax(const ArmInstruction& in, bool restore_psr);

}  // namespace x64
