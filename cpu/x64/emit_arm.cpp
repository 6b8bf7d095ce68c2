#include "cpu/x64/emit_arm.h"
#include "cpu/arm_decode.h"
#include "cpu/block_emission.h"
#include "cpu/host_emitter.h"
#include "cpu/runtime.h"
#include "cpu/x64/block_code.h"

namespace x64 {

void emit_arm_jump_to_eax(const ArmInstruction& in, bool restore_psr) {
  flush_pending_cycles(in.plan);
  if (restore_psr) {
    jump_runtime(return_from_exception);
  } else {
    jump_runtime(in.thumb ? jump_indirect_thumb : jump_indirect_arm);
  }
}

}  // namespace x64

void host_emit_arm_instruction(BlockPlan& plan, unsigned index) {
  const InstructionRecord& record = plan.records[index];
  std::uint32_t address = record_address(plan, index);
  x64::set_thumb_block(false);
  x64::ArmInstruction in{plan,        record.opcode, address, record.flags_live_after,
                         address + 8, address + 4,   false};
  x64::emit_arm_equivalent(in);
}

namespace x64 {

void emit_arm_equivalent(const ArmInstruction& in) {
  switch (classify_arm(in.opcode)) {
    case ArmClass::DATA_PROCESSING: emit_data_processing(in); break;
    case ArmClass::MULTIPLY: emit_multiply(in); break;
    case ArmClass::MULTIPLY_LONG: emit_multiply_long(in); break;
    case ArmClass::SWAP: emit_swap(in); break;
    case ArmClass::HALFWORD_TRANSFER: emit_halfword_transfer(in); break;
    case ArmClass::SINGLE_TRANSFER: emit_single_transfer(in); break;
    case ArmClass::BLOCK_TRANSFER: emit_block_transfer(in); break;
    case ArmClass::BRANCH: emit_branch(in); break;
    case ArmClass::BRANCH_EXCHANGE: emit_branch_exchange(in); break;
    case ArmClass::MRS: emit_mrs(in); break;
    case ArmClass::MSR: emit_msr(in); break;
    case ArmClass::SWI: emit_swi(in); break;
    case ArmClass::UNDEFINED: break;
  }
}

}  // namespace x64
