#pragma once
// The emission pass and linking, shared by the ARM and Thumb translators.

#include <cstdint>

#include "cpu/block_plan.h"

using InstructionEmitter = void (*)(BlockPlan& plan, unsigned index);

// Emits the scanned block at its region's write pointer, commits it and links its exits.
// Returns TRANSLATE_OK, TRANSLATE_CACHE_FULL after a cache was flushed under it, or
// BLOCK_TOO_LONG when its code passed MAX_BLOCK_HOST_BYTES: nothing is committed then, and the
// block must be scanned again with the plan's instruction_limit, which now says where it ends.
constexpr int BLOCK_TOO_LONG = 1;
int emit_and_link_block(BlockPlan& plan, InstructionEmitter emit, bool tag_code);

// For instruction emitters: writes the cycles counted so far into the budget counter.
void flush_pending_cycles(BlockPlan& plan);

// For instruction emitters: the next direct exit found by the scan, from the instruction at
// `from`. Exits that may close a loop test the budget; a forward jump within the block cannot,
// so it is a plain jump.
void emit_direct_exit(BlockPlan& plan, std::uint32_t from, std::uint32_t target, bool thumb);
