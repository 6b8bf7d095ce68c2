#include "cpu/block_scan.h"

#include "core/memory/memory.h"
#include "core/state.h"
#include "cpu/guest_fetch.h"
#include "cpu/translation_cache.h"
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

// Instructions looked at past a branch: enough for the usual compare or flag-setting operation
// near a block's start.
constexpr unsigned PEEKED_INSTRUCTIONS = 6;

// True when the code at `address` can be read now without paging anything in, and cannot change
// unless this block goes too: BIOS and cartridge code never change; work RAM code only under a
// RAM block, when it is tagged.
bool may_peek(const BlockPlan& plan, std::uint32_t address) {
  if (address == translation_settings.idle_loop_address || is_translation_gate(address) ||
      is_stop_address(address) || address >= 0x0E000000) {
    return false;
  }
  std::uint32_t region = address >> 24;
  if (region == REGION_BIOS) return address < sizeof machine.bios_area.image;
  bool ram = region == REGION_EWRAM || region == REGION_IWRAM;
  bool rom = region >= 0x08;
  if (!rom && !(ram && plan.region == CODE_REGION_RAM)) return false;
  return machine.read_map[(address >> 15) & (MAP_ENTRIES - 1)] != nullptr;
}

}  // namespace

std::uint8_t flags_read_at(const BlockPlan& plan, std::uint32_t target,
                           const InstructionSetFlags& set) {
  std::uint8_t reads = 0, written = 0;
  std::uint32_t address = target;
  for (unsigned k = 0; k < PEEKED_INSTRUCTIONS && (reads | written) != ALL_FLAGS; ++k) {
    if (!may_peek(plan, address)) return ALL_FLAGS;
    std::uint32_t opcode =
        plan.instruction_size == 4 ? fetch_guest32(address) : fetch_guest16(address);
    if (plan.region == CODE_REGION_RAM && address >> 24 != REGION_BIOS && address < 0x08000000) {
      tag_ram_code(address, plan.instruction_size);
    }
    unsigned condition = set.condition(opcode);
    FlagUsage flags = set.usage(opcode);
    if (set.may_jump(opcode)) flags.reads = ALL_FLAGS;
    reads |= static_cast<std::uint8_t>((flags.reads | condition_reads(condition)) & ~written);
    if (condition == CONDITION_ALWAYS) written |= flags.writes;
    address += plan.instruction_size;
  }
  return static_cast<std::uint8_t>(reads | (ALL_FLAGS & ~written));
}

bool block_ends_after(BlockPlan& plan, bool unconditional_jump, std::uint32_t next,
                      unsigned exits_before) {
  if (unconditional_jump && (exits_before < 1 || !is_exit_target(plan, next, exits_before))) {
    plan.ends_with_jump = true;
    return true;
  }
  return plan.exit_count >= MAX_BLOCK_EXITS || plan.count >= plan.instruction_limit ||
         is_stop_address(next) || is_translation_gate(next);
}

void finish_scan(BlockPlan& plan, FlagUsage (*usage)(std::uint32_t opcode),
                 EntryReads entry_reads) {
  plan.end = plan.start + plan.count * plan.instruction_size;
  mark_internal_targets(plan);
  compute_flag_liveness(plan, usage, entry_reads);
}
