#pragma once

#include "cpu/block_plan.h"

// Fills plan.records, plan.exits and plan.end for the ARM block at plan.start, tagging the
// words it covers when the block is in work RAM.
void scan_arm_block(BlockPlan& plan, bool tag_code);
