#pragma once
// How much a block uses each guest register, for hosts that keep the most used ones in host
// registers for the block's length. Only a weight: a register counted too often or too seldom
// costs speed, never correctness.

#include <cstdint>

#include "cpu/block_plan.h"

struct RegisterUse {
  unsigned weight[16];  // r15 always 0: reading it gives a constant, writing it jumps
  // Every register an instruction of the block may write (bit n for rn), or more: a host that
  // writes back only these when the block leaves must never miss one. Registers that runtime
  // routines change behind the block (the SWI entry, division, mode changes) are not in it; those
  // routines reload what they change.
  std::uint16_t written;
};

// Counts each named register of each instruction, those inside a loop of the block (between a
// branch back and its target) many times over.
RegisterUse count_register_use(const BlockPlan& plan);

// The registers a host with `count` host registers should cache for the block: the highest
// weights first, ties to the lower number, never one the block does not name. Returns how many
// it wrote into `chosen`.
unsigned choose_cached_registers(const RegisterUse& use, unsigned count, std::uint8_t chosen[]);

// A block's span in its state: a branch that stays inside keeps the cached registers in place,
// since it never comes back through the block's entry.
struct BlockSpan {
  std::uint32_t start, end, instruction_size;
};

BlockSpan block_span(const BlockPlan& plan);
bool stays_inside(const BlockSpan& span, std::uint32_t target, bool thumb);
