// Thumb instructions: those with an ARM equivalent go through the ARM classes with the Thumb
// register map; branches, BX, SWI and the long branch with link are decided here.

#include "cpu/block_emission.h"
#include "cpu/instruction_emission.h"
#include "cpu/thumb_decode.h"
#include "cpu/translation_settings.h"

namespace {

std::int32_t long_branch_high(std::uint16_t first) {
  return static_cast<std::int32_t>((first & 0x7FFu) << 21) >> 9;
}

// The second half of a long branch. With its first half just before it in the block the target
// is known; otherwise (a block starting between the halves) it comes from LR at run time.
void emit_long_branch(BlockPlan& plan, unsigned index, std::uint16_t h, std::uint32_t address) {
  std::uint32_t return_address = (address + 2) | 1;
  auto first = static_cast<std::uint16_t>(index > 0 ? plan.records[index - 1].opcode : 0);
  if (index > 0 && is_long_branch_prefix(first)) {
    host_store_guest_constant(14, return_address);
    emit_direct_exit(plan, address, thumb_long_branch_target(first, h, address - 2), true);
    return;
  }
  host_emit_long_branch_from_lr(plan, (h & 0x7FFu) * 2, return_address);
}

void emit_thumb_swi(BlockPlan& plan, std::uint16_t h, std::uint32_t address) {
  if (swi_runs_inline(h & 0xFF)) {
    host_emit_inline_divide(true);
    return;
  }
  host_emit_swi_entry(true, address + 2);
  emit_direct_exit(plan, address, 0x08, false);  // the BIOS runs in ARM state
}

}  // namespace

void emit_thumb_instruction(BlockPlan& plan, unsigned index) {
  const InstructionRecord& record = plan.records[index];
  auto h = static_cast<std::uint16_t>(record.opcode);
  std::uint32_t address = record_address(plan, index);
  ThumbInstruction decoded = decode_thumb(h, address);
  ArmInstruction in{plan,       decoded.arm_opcode, address, record.flags_live_after,
                    decoded.pc, address + 2,        true};
  switch (decoded.kind) {
    case ThumbKind::ARM_EQUIVALENT: emit_arm_equivalent(in); break;
    case ThumbKind::CONDITIONAL_BRANCH:
    case ThumbKind::BRANCH:
      emit_direct_exit(plan, address, thumb_branch_target(h, address), true);
      break;
    case ThumbKind::LONG_BRANCH_PREFIX:
      host_store_guest_constant(14, address + 4 + static_cast<std::uint32_t>(long_branch_high(h)));
      break;
    case ThumbKind::LONG_BRANCH: emit_long_branch(plan, index, h, address); break;
    case ThumbKind::BRANCH_EXCHANGE: host_emit_branch_exchange(in, (h >> 3) & 15); break;
    case ThumbKind::SWI: emit_thumb_swi(plan, h, address); break;
    case ThumbKind::PC_ADDRESS:
      host_store_guest_constant((h >> 8) & 7, decoded.pc + (h & 0xFFu) * 4);
      break;
    case ThumbKind::UNDEFINED: break;
  }
}
