#pragma once
// The emission of one guest instruction: its class, its decoded operands, its cycles and the
// guest's choices (long-branch pairing, inline SWIs), ahead of the host's emitters.

#include "cpu/block_plan.h"
#include "cpu/host_emitter.h"

void emit_arm_instruction(BlockPlan& plan, unsigned index);
void emit_thumb_instruction(BlockPlan& plan, unsigned index);

// Emits by the instruction's ARM class.
void emit_arm_equivalent(const ArmInstruction& in);
