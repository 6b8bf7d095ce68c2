#include "cpu/block_scan.h"

#include "cpu/translation_settings.h"

namespace {

// The last 16 bytes of each work RAM are where the BIOS keeps its handler pointers; code never
// runs on into them.
bool is_stop_address(std::uint32_t address) {
  return address == 0x03007FF0 || address == 0x0203FFF0;
}

void mark_internal_targets(BlockPlan& plan) {
  bool thumb = plan.instruction_size == 2;
  for (unsigned e = 0; e < plan.exit_count; ++e) {
    const BlockExit& exit = plan.exits[e];
    std::uint32_t target = exit.target;
    if (exit.thumb != thumb || target <= plan.start || target >= plan.end) continue;
    if ((target - plan.start) % plan.instruction_size != 0) continue;
    plan.records[(target - plan.start) / plan.instruction_size].internal_target = 1;
  }
}

}  // namespace

bool block_ends_after(BlockPlan& plan, bool unconditional_jump, std::uint32_t next,
                      unsigned exits_before) {
  if (unconditional_jump && (exits_before < 1 || !is_exit_target(plan, next, exits_before))) {
    plan.ends_with_jump = true;
    return true;
  }
  return plan.exit_count >= MAX_BLOCK_EXITS || plan.count >= plan.instruction_limit ||
         is_stop_address(next) || is_translation_gate(next);
}

void finish_scan(BlockPlan& plan, FlagUsage (*usage)(std::uint32_t opcode)) {
  plan.end = plan.start + plan.count * plan.instruction_size;
  mark_internal_targets(plan);
  compute_flag_liveness(plan, usage);
}
