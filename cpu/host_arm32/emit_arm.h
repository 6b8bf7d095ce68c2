#pragma once
// What the 32-bit ARM emitters of the instruction classes share.

#include "cpu/host_emitter.h"

namespace arm32 {

// Leaves the block for the guest address in r0 after the cycles so far are counted.
void emit_arm_jump_to_r0(const ArmInstruction& in, bool restore_psr);

}  // namespace arm32
