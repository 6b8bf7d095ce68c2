// Thumb instructions on x86-64: those with an ARM equivalent go through the ARM emitters with
// the Thumb register map; branches, BX, SWI and the long branch with link are handled here.

#include "cpu/block_emission.h"
#include "cpu/host_emitter.h"
#include "cpu/runtime.h"
#include "cpu/thumb_decode.h"
#include "cpu/translation_settings.h"
#include "cpu/x64/block_code.h"
#include "cpu/x64/emit_arm.h"

using namespace Xbyak::util;

namespace x64 {

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
    store_guest_constant(14, return_address);
    emit_direct_exit(plan, address, thumb_long_branch_target(first, h, address - 2), true);
    return;
  }
  load_guest(eax, 14, 0);
  code().lea(eax, code().ptr[rax + static_cast<int>((h & 0x7FFu) * 2)]);
  store_guest_constant(14, return_address);
  flush_pending_cycles(plan);
  jump_runtime(jump_indirect_thumb);
}

void emit_thumb_swi(BlockPlan& plan, std::uint16_t h, std::uint32_t address) {
  if (swi_runs_inline(h & 0xFF)) {
    call_runtime(swi_divide_thumb);
    return;
  }
  call_runtime(enter_swi_thumb, address + 2);
  emit_direct_exit(plan, address, 0x08, false);  // the BIOS runs in ARM state
}

}  // namespace

}  // namespace x64

void host_emit_thumb_instruction(BlockPlan& plan, unsigned index) {
  using namespace x64;
  const InstructionRecord& record = plan.records[index];
  auto h = static_cast<std::uint16_t>(record.opcode);
  std::uint32_t address = record_address(plan, index);
  set_thumb_block(true);
  ThumbInstruction decoded = decode_thumb(h, address);
  switch (decoded.kind) {
    case ThumbKind::ARM_EQUIVALENT: {
      ArmInstruction in{plan,       decoded.arm_opcode, address, record.flags_live_after,
                        decoded.pc, address + 2,        true};
      emit_arm_equivalent(in);
      break;
    }
    case ThumbKind::CONDITIONAL_BRANCH:
    case ThumbKind::BRANCH:
      emit_direct_exit(plan, address, thumb_branch_target(h, address), true);
      break;
    case ThumbKind::LONG_BRANCH_PREFIX:
      store_guest_constant(14, address + 4 + static_cast<std::uint32_t>(long_branch_high(h)));
      break;
    case ThumbKind::LONG_BRANCH: emit_long_branch(plan, index, h, address); break;
    case ThumbKind::BRANCH_EXCHANGE:
      load_guest(eax, (h >> 3) & 15, decoded.pc);
      flush_pending_cycles(plan);
      jump_runtime(jump_exchange_thumb);
      break;
    case ThumbKind::SWI: emit_thumb_swi(plan, h, address); break;
    case ThumbKind::PC_ADDRESS:
      store_guest_constant((h >> 8) & 7, decoded.pc + (h & 0xFFu) * 4);
      break;
    case ThumbKind::UNDEFINED: break;
  }
}
