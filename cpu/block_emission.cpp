#include "cpu/block_emission.h"

#include <cstddef>
#include <vector>

#include "cpu/access_timing.h"
#include "cpu/host_emitter.h"
#include "cpu/translation_cache.h"

BlockPlan block_plan;

void begin_block_plan(BlockPlan& plan, std::uint32_t start, int region, unsigned instruction_size,
                      unsigned instruction_limit) {
  plan.start = start;
  plan.end = start;
  plan.count = 0;
  plan.instruction_limit = instruction_limit;
  plan.instruction_size = instruction_size;
  plan.region = region;
  plan.ends_with_jump = false;
  plan.pending_cycles = 0;
  plan.exit_count = 0;
  plan.emitted_exits = 0;
}

bool is_exit_target(const BlockPlan& plan, std::uint32_t address, unsigned count) {
  for (unsigned e = 0; e < count; ++e) {
    if (plan.exits[e].target == address) return true;
  }
  return false;
}

std::uint8_t condition_reads(unsigned condition) {
  // clang-format off
  static constexpr std::uint8_t reads[16] = {
      FLAG_Z, FLAG_Z, FLAG_C, FLAG_C, FLAG_N, FLAG_N, FLAG_V, FLAG_V,
      FLAG_C | FLAG_Z, FLAG_C | FLAG_Z, FLAG_N | FLAG_V, FLAG_N | FLAG_V,
      FLAG_N | FLAG_Z | FLAG_V, FLAG_N | FLAG_Z | FLAG_V, 0, 0,
  };
  // clang-format on
  return reads[condition & 15];
}

namespace {

bool lands_inside(const BlockPlan& plan, std::uint32_t target) {
  return target >= plan.start && target < plan.end &&
         (target - plan.start) % plan.instruction_size == 0;
}

}  // namespace

// A conditional instruction may not run, so its writes kill nothing; an unconditional branch
// never goes on to the next instruction. The block's own backward branches make this a fixed
// point, reached from nothing live in a few passes.
void compute_flag_liveness(BlockPlan& plan, FlagUsage (*usage)(std::uint32_t opcode),
                           EntryReads entry_reads) {
  std::uint8_t live_before[MAX_BLOCK_INSTRUCTIONS] = {};
  std::uint8_t outside_reads[MAX_BLOCK_INSTRUCTIONS] = {};
  for (unsigned i = 0; i < plan.count; ++i) {
    const InstructionRecord& record = plan.records[i];
    if (record.has_branch_target && !lands_inside(plan, record.branch_target)) {
      outside_reads[i] = entry_reads(plan, record.branch_target);
    }
  }
  const std::uint8_t live_at_end = entry_reads(plan, plan.end);
  plan.flags_live_at_end = live_at_end;
  for (bool changed = true; changed;) {
    changed = false;
    std::uint8_t live = live_at_end;
    for (unsigned i = plan.count; i-- > 0;) {
      InstructionRecord& record = plan.records[i];
      record.flags_live_after = live;
      unsigned condition = record.attributes & ATTR_CONDITION;
      FlagUsage flags = usage(record.opcode);
      if (record.has_branch_target) {
        std::uint32_t target = record.branch_target;
        record.flags_live_at_target =
            lands_inside(plan, target) ? live_before[(target - plan.start) / plan.instruction_size]
                                       : outside_reads[i];
        flags.reads |= record.flags_live_at_target;
        if (condition == CONDITION_ALWAYS) live = 0;
      } else if (record.attributes & ATTR_CONTROL) {
        flags.reads = ALL_FLAGS;
      }
      std::uint8_t killed = condition == CONDITION_ALWAYS ? flags.writes : 0;
      live = static_cast<std::uint8_t>((live & ~killed) | flags.reads | condition_reads(condition));
      if (live != live_before[i]) changed = true;
      live_before[i] = live;
    }
  }
}

void flush_pending_cycles(BlockPlan& plan) {
  if (plan.pending_cycles == 0) return;
  host_add_cycles(plan.pending_cycles);
  plan.pending_cycles = 0;
}

namespace {

// The flags the code at an exit's target may read, as the liveness pass found them.
std::uint8_t flags_live_at_exit(const BlockPlan& plan, std::uint32_t from, std::uint32_t target,
                                bool thumb) {
  if (thumb != (plan.instruction_size == 2)) return ALL_FLAGS;
  if (target == plan.end && from + plan.instruction_size == plan.end &&
      !plan.records[plan.count - 1].has_branch_target) {
    return plan.flags_live_at_end;
  }
  const InstructionRecord& record = plan.records[(from - plan.start) / plan.instruction_size];
  if (record.has_branch_target && record.branch_target == target) {
    return record.flags_live_at_target;
  }
  return target == plan.end ? plan.flags_live_at_end : std::uint8_t{ALL_FLAGS};
}

}  // namespace

void emit_direct_exit(BlockPlan& plan, std::uint32_t from, std::uint32_t target, bool thumb) {
  flush_pending_cycles(plan);
  bool flags_dead = flags_live_at_exit(plan, from, target, thumb) == 0;
  BlockExit& exit = plan.exits[plan.emitted_exits++];
  exit.thumb = thumb;
  bool same_state = thumb == (plan.instruction_size == 2);
  bool forward_inside = same_state && target > from && target < plan.end &&
                        (target - plan.start) % plan.instruction_size == 0;
  exit.patch = forward_inside ? host_emit_jump()
               : flags_dead   ? host_emit_exit_with_dead_flags(target, thumb)
                              : host_emit_exit(target, thumb);
}

namespace {

// Instructions share one condition test while their attributes match; a flag-setting
// instruction and a branch target always start a new one, since the flags or the way in differ.
bool needs_new_test(const BlockPlan& plan, unsigned index) {
  if (index == 0) return true;
  const InstructionRecord& record = plan.records[index];
  return record.attributes != plan.records[index - 1].attributes ||
         (record.attributes & ATTR_WRITES_FLAGS) || record.internal_target;
}

enum class Emitted { ALL, CACHE_FULL, TOO_LONG };

// True when the code so far has passed the host byte limit and instructions remain: the block
// must end after instruction `index`.
bool too_long_after(const BlockPlan& plan, unsigned index) {
  return index + 1 < plan.count &&
         host_position() - plan.records[0].host > std::ptrdiff_t{MAX_BLOCK_HOST_BYTES};
}

// The first instruction after the group that shares the condition test of instruction `first`.
unsigned group_end(const BlockPlan& plan, unsigned first) {
  unsigned end = first + 1;
  while (end < plan.count && !needs_new_test(plan, end)) ++end;
  return end;
}

// How the cycles counted before a condition test reach both ways past it. They are written
// before the test when a way through the group may leave with them (a jump flushes what is
// pending) or the instruction after it is a branch target (which must find none pending). A
// lone conditional branch is cheaper still: its exit writes them together with its own, and the
// way past it takes them on as if it had never been there.
enum class CarryAcross { FLUSH_FIRST, KEEP, RESTORE_AFTER };

CarryAcross cycles_across_test(const BlockPlan& plan, unsigned first) {
  unsigned end = group_end(plan, first);
  if (end < plan.count && plan.records[end].internal_target) return CarryAcross::FLUSH_FIRST;
  if (end == first + 1 && plan.records[first].has_branch_target) return CarryAcross::RESTORE_AFTER;
  for (unsigned i = first; i < end; ++i) {
    if (plan.records[i].attributes & ATTR_CONTROL) return CarryAcross::FLUSH_FIRST;
  }
  return CarryAcross::KEEP;
}

Emitted emit_instructions(BlockPlan& plan, InstructionEmitter emit) {
  AccessWidth fetch_width = plan.instruction_size == 4 ? ACCESS_32 : ACCESS_16;
  std::uint8_t* skip = nullptr;
  bool restore_after_skip = false;
  std::uint32_t cycles_past_skip = 0;
  auto end_skip = [&] {
    if (skip != nullptr) host_patch(skip, host_position());
    if (skip != nullptr && restore_after_skip) plan.pending_cycles = cycles_past_skip;
    skip = nullptr;
    restore_after_skip = false;
  };
  for (unsigned i = 0; i < plan.count; ++i) {
    InstructionRecord& record = plan.records[i];
    // A branch of this block lands before the condition test, which it must not bypass.
    record.host = host_position();
    if (needs_new_test(plan, i)) {
      end_skip();
      unsigned condition = record.attributes & ATTR_CONDITION;
      if (condition != CONDITION_ALWAYS) {
        CarryAcross carry = cycles_across_test(plan, i);
        if (carry == CarryAcross::FLUSH_FIRST) flush_pending_cycles(plan);
        restore_after_skip = carry == CarryAcross::RESTORE_AFTER;
        cycles_past_skip = plan.pending_cycles;
        skip = host_emit_condition_skip(condition);
      }
    }
    plan.pending_cycles += access_cycles(record_address(plan, i), fetch_width);
    emit(plan, i);
    if (cache_full_after_instruction(plan.region)) return Emitted::CACHE_FULL;
    if (too_long_after(plan, i)) {
      plan.instruction_limit = i + 1;
      return Emitted::TOO_LONG;
    }
    if (i + 1 < plan.count && plan.records[i + 1].internal_target) flush_pending_cycles(plan);
  }
  end_skip();
  return Emitted::ALL;
}

// A block that does not end in an unconditional jump goes on at the next address: through the
// lookup, or, when only a length limit ended it, through an exit that is linked like a branch.
void emit_closing_jump(BlockPlan& plan, bool thumb) {
  std::uint8_t last = plan.records[plan.count - 1].attributes;
  bool always_leaves = plan.ends_with_jump && (last & ATTR_CONDITION) == CONDITION_ALWAYS;
  if (always_leaves) return;
  flush_pending_cycles(plan);
  bool cut_by_limit = plan.count == plan.instruction_limit;
  if (cut_by_limit && plan.emitted_exits < MAX_BLOCK_EXITS) {
    plan.exits[plan.emitted_exits] = {plan.end, thumb, nullptr, true};
    emit_direct_exit(plan, plan.end - plan.instruction_size, plan.end, thumb);
    return;
  }
  host_emit_indirect_jump(plan.end, thumb);
}

bool is_inside(const BlockPlan& plan, std::uint32_t target) {
  return target >= plan.start && target < plan.end &&
         (target - plan.start) % plan.instruction_size == 0;
}

// Each exit leaving the block first points at a stub that reaches its target through the
// lookup; linking then points it at the target's block where that can be had.
std::vector<BlockExit> link_internal_and_stub_external(BlockPlan& plan) {
  std::vector<BlockExit> external;
  for (unsigned e = 0; e < plan.emitted_exits; ++e) {
    const BlockExit& exit = plan.exits[e];
    if (is_inside(plan, exit.target)) {
      host_patch(exit.patch, plan.records[(exit.target - plan.start) / plan.instruction_size].host);
      continue;
    }
    host_patch(exit.patch, host_position());
    host_emit_indirect_jump(exit.target, exit.thumb);
    external.push_back(exit);
  }
  return external;
}

int throw_away_block(int region) {
  ++caches.cache_full_count;
  flush_code_region(region);
  return TRANSLATE_CACHE_FULL;
}

}  // namespace

int emit_and_link_block(BlockPlan& plan, InstructionEmitter emit, bool tag_code) {
  int region = plan.region;
  bool thumb = plan.instruction_size == 2;
  std::uint8_t* end = code_area_start(region) + code_area_size(region);
  host_begin_block(caches.write_pointer[region], end);
  host_emit_block_entry(plan);
  Emitted emitted = emit_instructions(plan, emit);
  if (emitted == Emitted::CACHE_FULL) return TRANSLATE_CACHE_FULL;
  if (emitted == Emitted::TOO_LONG) return BLOCK_TOO_LONG;
  emit_closing_jump(plan, thumb);
  std::vector<BlockExit> external = link_internal_and_stub_external(plan);
  if (host_block_overflowed()) return throw_away_block(region);

  caches.write_pointer[region] = host_position();
  if (tag_code) note_ram_block_end(plan.start, plan.end);
  if (!caches.link_nested_blocks) return TRANSLATE_OK;

  for (const BlockExit& exit : external) {
    bool only_if_translated = exit.successor && caches.lookup_depth > 1;  // 1: the outermost
    BlockAddress block = only_if_translated ? find_translated_block(exit.target, exit.thumb)
                         : exit.thumb       ? lookup_thumb_block(exit.target)
                                            : lookup_arm_block(exit.target);
    if (block == LOOKUP_RETRY) return TRANSLATE_CACHE_FULL;
    if (is_block_address(block)) host_patch(exit.patch, reinterpret_cast<std::uint8_t*>(block));
  }
  return TRANSLATE_OK;
}
