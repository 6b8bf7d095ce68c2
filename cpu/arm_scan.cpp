// The first pass over an ARM block: where it ends, what each instruction is, where its direct
// exits go.

#include "cpu/arm_scan.h"

#include "cpu/arm_decode.h"
#include "cpu/block_scan.h"
#include "cpu/guest_fetch.h"
#include "cpu/translation_cache.h"
#include "cpu/translation_settings.h"

namespace {

std::uint8_t attributes_of(std::uint32_t opcode) {
  std::uint8_t attributes = static_cast<std::uint8_t>(opcode >> 28);
  if (arm_writes_flags(opcode)) attributes |= ATTR_WRITES_FLAGS;
  if (arm_may_jump(opcode)) attributes |= ATTR_CONTROL;
  return attributes;
}

void add_exit(BlockPlan& plan, std::uint32_t target) {
  plan.exits[plan.exit_count++] = {target, false, nullptr};
}

unsigned condition_of(std::uint32_t opcode) { return opcode >> 28; }

std::uint8_t arm_entry_reads(const BlockPlan& plan, std::uint32_t target) {
  static constexpr InstructionSetFlags arm_flags = {arm_flag_usage, arm_may_jump, condition_of};
  return flags_read_at(plan, target, arm_flags);
}

}  // namespace

void scan_arm_block(BlockPlan& plan, bool tag_code) {
  std::uint32_t address = plan.start;
  for (;;) {
    std::uint32_t opcode = fetch_guest32(address);
    if (tag_code) tag_ram_code(address, 4);
    InstructionRecord& record = plan.records[plan.count++];
    record = {nullptr, opcode, attributes_of(opcode), 0, ALL_FLAGS, false, 0, ALL_FLAGS};

    unsigned exits_before = plan.exit_count;
    ArmClass kind = classify_arm(opcode);
    if (kind == ArmClass::BRANCH) {
      record.has_branch_target = true;
      record.branch_target = arm_branch_target(opcode, address);
      add_exit(plan, record.branch_target);
    }
    if (kind == ArmClass::SWI && !swi_runs_inline(arm_bits(opcode, 16, 8))) add_exit(plan, 0x08);

    bool unconditional_jump =
        (record.attributes & ATTR_CONTROL) && (opcode >> 28) == CONDITION_ALWAYS;
    if (block_ends_after(plan, unconditional_jump, address + 4, exits_before)) break;
    address += 4;
  }
  finish_scan(plan, arm_flag_usage, arm_entry_reads);
}
