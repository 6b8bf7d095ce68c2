// The first pass over a Thumb block. Unlike ARM, only branches are conditional, and a
// conditional branch never ends a block.

#include "cpu/thumb_scan.h"

#include "cpu/block_scan.h"
#include "cpu/guest_fetch.h"
#include "cpu/thumb_decode.h"
#include "cpu/translation_cache.h"
#include "cpu/translation_settings.h"

namespace {

// Branches, SWI into the BIOS, BX, POP with PC, MOV PC, Rm, LDMIA with an empty list and the
// second half of a long branch. A high-register ADD to PC jumps too but is not among them: the
// block goes on.
bool is_control(std::uint16_t h) {
  if (is_thumb_conditional_branch(h) || (h & 0xF800) == 0xE000) return true;
  if (is_thumb_swi(h)) return !swi_runs_inline(h & 0xFF);
  if ((h & 0xFF00) == 0x4700 || (h & 0xFF00) == 0xBD00 || (h & 0xFF87) == 0x4687) return true;
  if ((h & 0xF8FF) == 0xC800) return true;  // LDMIA with an empty list loads r15
  return is_long_branch_suffix(h);
}

std::uint8_t attributes_of(std::uint16_t h, bool control) {
  unsigned condition = is_thumb_conditional_branch(h) ? (h >> 8) & 15 : CONDITION_ALWAYS;
  std::uint8_t attributes = static_cast<std::uint8_t>(condition);
  if (control) attributes |= ATTR_CONTROL;
  if (thumb_flag_usage(h).writes != 0) attributes |= ATTR_WRITES_FLAGS;
  return attributes;
}

void add_exit(BlockPlan& plan, std::uint32_t target, bool thumb) {
  plan.exits[plan.exit_count++] = {target, thumb, nullptr};
}

void add_branch(BlockPlan& plan, std::uint32_t target) {
  InstructionRecord& record = plan.records[plan.count - 1];
  record.has_branch_target = true;
  record.branch_target = target;
  add_exit(plan, target, true);
}

void record_exits(BlockPlan& plan, std::uint16_t h, std::uint32_t address) {
  if (is_thumb_conditional_branch(h) || (h & 0xF800) == 0xE000) {
    add_branch(plan, thumb_branch_target(h, address));
  } else if (is_thumb_swi(h) && !swi_runs_inline(h & 0xFF)) {
    add_exit(plan, 0x08, false);
  } else if (is_long_branch_suffix(h) && plan.count >= 2) {
    auto first = static_cast<std::uint16_t>(plan.records[plan.count - 2].opcode);
    if (is_long_branch_prefix(first)) {
      add_branch(plan, thumb_long_branch_target(first, h, address - 2));
    }
  }
}

bool may_jump(std::uint32_t h) { return is_control(static_cast<std::uint16_t>(h)); }
FlagUsage usage_of(std::uint32_t h) { return thumb_flag_usage(static_cast<std::uint16_t>(h)); }
unsigned condition_of(std::uint32_t h) {
  auto halfword = static_cast<std::uint16_t>(h);
  return is_thumb_conditional_branch(halfword) ? (halfword >> 8) & 15 : CONDITION_ALWAYS;
}

std::uint8_t thumb_entry_reads(const BlockPlan& plan, std::uint32_t target) {
  static constexpr InstructionSetFlags thumb_flags = {usage_of, may_jump, condition_of};
  return flags_read_at(plan, target, thumb_flags);
}

}  // namespace

void scan_thumb_block(BlockPlan& plan, bool tag_code) {
  std::uint32_t address = plan.start;
  for (;;) {
    std::uint16_t h = fetch_guest16(address);
    if (tag_code) tag_ram_code(address, 2);
    bool control = is_control(h);
    InstructionRecord& record = plan.records[plan.count++];
    record = {nullptr, h, attributes_of(h, control), 0, ALL_FLAGS, false, 0, ALL_FLAGS};

    unsigned exits_before = plan.exit_count;
    record_exits(plan, h, address);

    bool unconditional_jump = control && !is_thumb_conditional_branch(h);
    if (block_ends_after(plan, unconditional_jump, address + 2, exits_before)) break;
    address += 2;
  }
  finish_scan(plan, usage_of, thumb_entry_reads);
}
