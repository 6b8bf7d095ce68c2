// The first pass over an ARM block: where it ends, what each instruction is, where its direct
// exits go.

#include "cpu/arm_scan.h"

#include "cpu/arm_decode.h"
#include "cpu/guest_fetch.h"
#include "cpu/translation_cache.h"
#include "cpu/translation_settings.h"

namespace {

// The last 16 bytes of each work RAM are where the BIOS keeps its handler pointers; code never
// runs on into them.
bool is_stop_address(std::uint32_t address) {
  return address == 0x03007FF0 || address == 0x0203FFF0;
}

std::uint8_t attributes_of(std::uint32_t opcode) {
  std::uint8_t attributes = static_cast<std::uint8_t>(opcode >> 28);
  if (arm_writes_flags(opcode)) attributes |= ATTR_WRITES_FLAGS;
  if (arm_may_jump(opcode)) attributes |= ATTR_CONTROL;
  return attributes;
}

void add_exit(BlockPlan& plan, std::uint32_t target) {
  plan.exits[plan.exit_count++] = {target, false, nullptr};
}

// An unconditional jump ends the block unless an earlier branch of the block comes back to the
// code right after it.
bool jump_ends_block(const BlockPlan& plan, std::uint32_t opcode, std::uint32_t next,
                     unsigned exits_before) {
  if ((opcode >> 28) != CONDITION_ALWAYS) return false;
  return exits_before < 1 || !is_exit_target(plan, next, exits_before);
}

void mark_internal_targets(BlockPlan& plan) {
  for (unsigned e = 0; e < plan.exit_count; ++e) {
    std::uint32_t target = plan.exits[e].target;
    if (target <= plan.start || target >= plan.end || (target & 3) != 0) continue;
    plan.records[(target - plan.start) / 4].internal_target = 1;
  }
}

}  // namespace

void scan_arm_block(BlockPlan& plan, bool tag_code) {
  std::uint32_t address = plan.start;
  for (;;) {
    std::uint32_t opcode = fetch_guest32(address);
    if (tag_code) tag_ram_code(address, 4);
    InstructionRecord& record = plan.records[plan.count++];
    record = {nullptr, opcode, attributes_of(opcode), 0, ALL_FLAGS};

    unsigned exits_before = plan.exit_count;
    ArmClass kind = classify_arm(opcode);
    if (kind == ArmClass::BRANCH) add_exit(plan, arm_branch_target(opcode, address));
    if (kind == ArmClass::SWI && !swi_runs_inline(arm_bits(opcode, 16, 8))) add_exit(plan, 0x08);

    std::uint32_t next = address + 4;
    bool jumps = record.attributes & ATTR_CONTROL;
    if (jumps && jump_ends_block(plan, opcode, next, exits_before)) {
      plan.ends_with_jump = true;
      break;
    }
    if (plan.exit_count >= MAX_BLOCK_EXITS || plan.count >= MAX_BLOCK_INSTRUCTIONS ||
        is_stop_address(next) || is_translation_gate(next)) {
      break;
    }
    address = next;
  }
  plan.end = plan.start + plan.count * 4;
  mark_internal_targets(plan);
  compute_flag_liveness(plan, arm_flag_usage);
}
