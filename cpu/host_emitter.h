#pragma once
// What a host back end supplies to the translators. Everything else (scan, records, exits,
// condition runs, pending cycles, linking, the caches) is written once, above this line.

#include <cstdint>

#include "cpu/block_plan.h"

// Starts emitting at `start`; nothing may be written at or beyond `end`.
void host_begin_block(std::uint8_t* start, std::uint8_t* end);
// True once an emission ran out of room (the block must be thrown away).
bool host_block_overflowed();
std::uint8_t* host_position();

// Adds guest cycles to the budget counter without touching the guest flags.
void host_add_cycles(std::uint32_t cycles);

// A jump over the code that follows, taken when `condition` (an ARM condition field) fails.
// Returns the field that host_patch aims.
std::uint8_t* host_emit_condition_skip(unsigned condition);

// Aims the jump whose rel32 field is `field` at `target`; works on committed code too.
void host_patch(std::uint8_t* field, const std::uint8_t* target);

// The budget test and a jump to be patched to the target's block; a target that is the idle
// loop calls the scheduler unconditionally. Returns the jump's field.
std::uint8_t* host_emit_exit(std::uint32_t target, bool thumb);

// A plain jump to be patched; returns its field.
std::uint8_t* host_emit_jump();

// A jump to a constant guest address through the lookup.
void host_emit_indirect_jump(std::uint32_t target, bool thumb);

void host_emit_arm_instruction(BlockPlan& plan, unsigned index);
void host_emit_thumb_instruction(BlockPlan& plan, unsigned index);
