#pragma once

#include "cpu/block_plan.h"

// Fills plan.records, plan.exits and plan.end for the Thumb block at plan.start, tagging the
// halfwords it covers when the block is in work RAM.
void scan_thumb_block(BlockPlan& plan, bool tag_code);
