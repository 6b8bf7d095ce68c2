#pragma once
// What the x86-64 emitters of the instruction classes share.

#include "cpu/host_emitter.h"

namespace x64 {

// Leaves the block for the guest address in eax after the cycles so far are counted.
void emit_arm_jump_to_eax(const ArmInstruction& in, bool restore_psr);

}  // namespace x64
