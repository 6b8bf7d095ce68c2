#include "cpu/arm_decode.h"
#include "cpu/block_emission.h"
#include "cpu/instruction_emission.h"
#include "cpu/translation_settings.h"

namespace {

void emit_branch(const ArmInstruction& in) {
  if (arm_bit(in.opcode, 24)) host_store_guest_constant(14, in.next);
  emit_direct_exit(in.plan, in.address, arm_branch_target(in.opcode, in.address), false);
}

void emit_swi(const ArmInstruction& in) {
  if (swi_runs_inline(arm_bits(in.opcode, 16, 8))) {
    host_emit_inline_divide(false);
    return;
  }
  host_emit_swi_entry(false, in.next);
  emit_direct_exit(in.plan, in.address, 0x08, false);
}

void emit_halfword_transfer(const ArmInstruction& in) {
  Transfer t;
  if (!decode_halfword_transfer(in.opcode, in.pc, &t)) return;
  in.plan.pending_cycles += t.load ? LOAD_EXTRA_CYCLES : STORE_EXTRA_CYCLES;
  host_emit_transfer(in, t);
}

void emit_single_transfer(const ArmInstruction& in) {
  Transfer t = decode_single_transfer(in.opcode, in.pc);
  in.plan.pending_cycles += t.load ? LOAD_EXTRA_CYCLES : STORE_EXTRA_CYCLES;
  host_emit_transfer(in, t);
}

void emit_block_transfer(const ArmInstruction& in) {
  BlockTransfer b = decode_block_transfer(in.opcode, in.pc, in.address, in.thumb);
  in.plan.pending_cycles += block_transfer_extra_cycles(b);
  host_emit_block_transfer(in, b);
}

void emit_mrs(const ArmInstruction& in) {
  PsrRead r = decode_mrs(in.opcode);
  if (r.rd != 15) host_emit_mrs(in, r);
}

}  // namespace

void emit_arm_instruction(BlockPlan& plan, unsigned index) {
  const InstructionRecord& record = plan.records[index];
  std::uint32_t address = record_address(plan, index);
  ArmInstruction in{plan,        record.opcode, address, record.flags_live_after,
                    address + 8, address + 4,   false};
  emit_arm_equivalent(in);
}

void emit_arm_equivalent(const ArmInstruction& in) {
  switch (classify_arm(in.opcode)) {
    case ArmClass::DATA_PROCESSING:
      host_emit_data_processing(in, decode_data_processing(in.opcode, in.pc));
      break;
    case ArmClass::MULTIPLY:
      in.plan.pending_cycles += MULTIPLY_EXTRA_CYCLES;
      host_emit_multiply(in, decode_multiply(in.opcode));
      break;
    case ArmClass::MULTIPLY_LONG:
      in.plan.pending_cycles += MULTIPLY_LONG_EXTRA_CYCLES;
      host_emit_multiply_long(in, decode_multiply_long(in.opcode));
      break;
    case ArmClass::SWAP:
      in.plan.pending_cycles += SWAP_EXTRA_CYCLES;
      host_emit_swap(in, decode_swap(in.opcode));
      break;
    case ArmClass::HALFWORD_TRANSFER: emit_halfword_transfer(in); break;
    case ArmClass::SINGLE_TRANSFER: emit_single_transfer(in); break;
    case ArmClass::BLOCK_TRANSFER: emit_block_transfer(in); break;
    case ArmClass::BRANCH: emit_branch(in); break;
    case ArmClass::BRANCH_EXCHANGE: host_emit_branch_exchange(in, arm_bits(in.opcode, 0, 4)); break;
    case ArmClass::MRS: emit_mrs(in); break;
    case ArmClass::MSR: host_emit_msr(in, decode_msr(in.opcode)); break;
    case ArmClass::SWI: emit_swi(in); break;
    case ArmClass::UNDEFINED: break;
  }
}
