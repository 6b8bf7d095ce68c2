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

// What the flag liveness needs to know of an instruction set to look at code outside the block.
struct InstructionSetFlags {
  FlagUsage (*usage)(std::uint32_t opcode);
  bool (*may_jump)(std::uint32_t opcode);
  unsigned (*condition)(std::uint32_t opcode);
};

// The flags the code at `target` (in the plan's state) may read before writing them, from its
// first few instructions; ALL_FLAGS where that code could change without this block being
// thrown away with it, or where it is an idle loop, a gate or a stop address. Code in work RAM
// counts only for a block in work RAM, whose cache a write to the tagged instructions flushes.
std::uint8_t flags_read_at(const BlockPlan& plan, std::uint32_t target,
                           const InstructionSetFlags& set);

// Sets the block end, marks the instructions that the block's own branches reach and works out
// flag liveness.
void finish_scan(BlockPlan& plan, FlagUsage (*usage)(std::uint32_t opcode), EntryReads entry_reads);
