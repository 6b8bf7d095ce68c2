#include "cpu/arm_decode.h"
#include "cpu/block_emission.h"
#include "cpu/host_emitter.h"
#include "cpu/runtime.h"
#include "cpu/x64/block_code.h"
#include "cpu/x64/emit_arm.h"

namespace x64 {

void emit_arm_jump_to_eax(const ArmInstruction& in, bool restore_psr) {
  flush_pending_cycles(in.plan);
  jump_runtime(restore_psr ? return_from_exception : jump_indirect_arm);
}

}  // namespace x64

void host_emit_arm_instruction(BlockPlan& plan, unsigned index) {
  const InstructionRecord& record = plan.records[index];
  x64::ArmInstruction in{plan, record.opcode, record_address(plan, index), record.flags_live_after};
  switch (classify_arm(record.opcode)) {
    case ArmClass::DATA_PROCESSING: x64::emit_data_processing(in); break;
    case ArmClass::MULTIPLY: x64::emit_multiply(in); break;
    case ArmClass::MULTIPLY_LONG: x64::emit_multiply_long(in); break;
    case ArmClass::SWAP: x64::emit_swap(in); break;
    case ArmClass::HALFWORD_TRANSFER: x64::emit_halfword_transfer(in); break;
    case ArmClass::SINGLE_TRANSFER: x64::emit_single_transfer(in); break;
    case ArmClass::BLOCK_TRANSFER: x64::emit_block_transfer(in); break;
    case ArmClass::BRANCH: x64::emit_branch(in); break;
    case ArmClass::BRANCH_EXCHANGE: x64::emit_branch_exchange(in); break;
    case ArmClass::MRS: x64::emit_mrs(in); break;
    case ArmClass::MSR: x64::emit_msr(in); break;
    case ArmClass::SWI: x64::emit_swi(in); break;
    case ArmClass::UNDEFINED: break;
  }
}
