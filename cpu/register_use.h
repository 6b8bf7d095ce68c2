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
