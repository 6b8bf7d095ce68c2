#pragma once
// The parts of a block scan that do not depend on the instruction set.

#include <cstdint>

#include "cpu/block_plan.h"

// Called after each scanned instruction, with `unconditional_jump` telling whether it always
// leaves and `exits_before` the exit count before it. True when the block ends after it: an
// unconditional jump ends it unless an earlier branch of the block comes back right after it;
// the exit and instruction limits, the two stop addresses at the top of work RAM and the
// translation gates end it too.
bool block_ends_after(BlockPlan& plan, bool unconditional_jump, std::uint32_t next,
                      unsigned exits_before);

// Sets the block end, marks the instructions that the block's own branches reach and works out
// flag liveness.
void finish_scan(BlockPlan& plan, FlagUsage (*usage)(std::uint32_t opcode));
