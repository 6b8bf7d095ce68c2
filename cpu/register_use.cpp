#include "cpu/register_use.h"

#include "cpu/arm_decode.h"
#include "cpu/thumb_decode.h"

namespace {

constexpr unsigned LOOP_WEIGHT = 8;

void mark_written(RegisterUse& use, std::uint32_t field) {
  use.written = static_cast<std::uint16_t>(use.written | (1u << (field & 15)));
}

// A superset of what each class writes: the base of every transfer, whether or not it is
// written back.
void mark_arm_writes(RegisterUse& use, std::uint32_t op) {
  bool load = op & (1u << 20);
  switch (classify_arm(op)) {
    case ArmClass::DATA_PROCESSING:
      if (!is_compare_op((op >> 21) & 15)) mark_written(use, op >> 12);
      break;
    case ArmClass::MULTIPLY: mark_written(use, op >> 16); break;
    case ArmClass::MULTIPLY_LONG:
      mark_written(use, op >> 16);
      mark_written(use, op >> 12);
      break;
    case ArmClass::SWAP: mark_written(use, op >> 12); break;
    case ArmClass::SINGLE_TRANSFER:
    case ArmClass::HALFWORD_TRANSFER:
      mark_written(use, op >> 16);
      if (load) mark_written(use, op >> 12);
      break;
    case ArmClass::BLOCK_TRANSFER:
      mark_written(use, op >> 16);
      if (load) use.written = static_cast<std::uint16_t>(use.written | (op & 0xFFFF));
      break;
    case ArmClass::BRANCH:
      if (op & (1u << 24)) mark_written(use, 14);
      break;
    case ArmClass::MRS: mark_written(use, op >> 12); break;
    default: break;
  }
}

void count(RegisterUse& use, std::uint32_t field, unsigned weight) {
  use.weight[field & 15] += weight;
}

void count_arm(RegisterUse& use, std::uint32_t op, unsigned w) {
  mark_arm_writes(use, op);
  switch (classify_arm(op)) {
    case ArmClass::DATA_PROCESSING: {
      unsigned data_op = (op >> 21) & 15;
      if (data_op != OP_MOV && data_op != OP_MVN) count(use, op >> 16, w);
      if (data_op < OP_TST || data_op > OP_CMN) count(use, op >> 12, w);
      if (!(op & (1u << 25))) {
        count(use, op, w);
        if (op & 0x10) count(use, op >> 8, w);
      }
      break;
    }
    case ArmClass::MULTIPLY:
      count(use, op >> 16, w);
      count(use, op >> 8, w);
      count(use, op, w);
      if (op & (1u << 21)) count(use, op >> 12, w);
      break;
    case ArmClass::MULTIPLY_LONG:
    case ArmClass::SWAP:
      count(use, op >> 16, w);
      count(use, op >> 12, w);
      count(use, op, w);
      if (classify_arm(op) == ArmClass::MULTIPLY_LONG) count(use, op >> 8, w);
      break;
    case ArmClass::SINGLE_TRANSFER:
      count(use, op >> 16, w);
      count(use, op >> 12, w);
      if (op & (1u << 25)) count(use, op, w);
      break;
    case ArmClass::HALFWORD_TRANSFER:
      count(use, op >> 16, w);
      count(use, op >> 12, w);
      if (!(op & (1u << 22))) count(use, op, w);
      break;
    case ArmClass::BLOCK_TRANSFER:
      count(use, op >> 16, w);
      for (unsigned n = 0; n < 16; ++n) {
        if (op & (1u << n)) count(use, n, w);
      }
      break;
    case ArmClass::BRANCH:
      if (op & (1u << 24)) count(use, 14, w);
      break;
    case ArmClass::BRANCH_EXCHANGE: count(use, op, w); break;
    case ArmClass::MRS: count(use, op >> 12, w); break;
    case ArmClass::MSR:
      if (!(op & (1u << 25))) count(use, op, w);
      break;
    default: break;
  }
}

void count_thumb(RegisterUse& use, std::uint16_t h, std::uint32_t address, unsigned w) {
  ThumbInstruction decoded = decode_thumb(h, address);
  switch (decoded.kind) {
    case ThumbKind::ARM_EQUIVALENT: count_arm(use, decoded.arm_opcode, w); break;
    case ThumbKind::LONG_BRANCH_PREFIX:
    case ThumbKind::LONG_BRANCH:
      count(use, 14, w);
      mark_written(use, 14);
      break;
    case ThumbKind::BRANCH_EXCHANGE: count(use, h >> 3, w); break;
    case ThumbKind::PC_ADDRESS:
      count(use, (h >> 8) & 7, w);
      mark_written(use, (h >> 8) & 7);
      break;
    default: break;
  }
}

}  // namespace

RegisterUse count_register_use(const BlockPlan& plan) {
  unsigned weight[MAX_BLOCK_INSTRUCTIONS];
  for (unsigned i = 0; i < plan.count; ++i) weight[i] = 1;
  for (unsigned i = 0; i < plan.count; ++i) {
    const InstructionRecord& record = plan.records[i];
    std::uint32_t target = record.branch_target;
    if (!record.has_branch_target || target < plan.start || target > record_address(plan, i)) {
      continue;
    }
    for (unsigned k = (target - plan.start) / plan.instruction_size; k <= i; ++k) {
      weight[k] = LOOP_WEIGHT;
    }
  }
  RegisterUse use{};
  for (unsigned i = 0; i < plan.count; ++i) {
    const InstructionRecord& record = plan.records[i];
    if (plan.instruction_size == 2) {
      count_thumb(use, static_cast<std::uint16_t>(record.opcode), record_address(plan, i),
                  weight[i]);
    } else {
      count_arm(use, record.opcode, weight[i]);
    }
  }
  use.weight[15] = 0;
  return use;
}

unsigned choose_cached_registers(const RegisterUse& use, unsigned count, std::uint8_t chosen[]) {
  bool taken[16] = {};
  unsigned chosen_count = 0;
  for (; chosen_count < count; ++chosen_count) {
    unsigned best = 16;
    for (unsigned n = 0; n < 15; ++n) {
      if (use.weight[n] == 0 || taken[n]) continue;
      if (best == 16 || use.weight[n] > use.weight[best]) best = n;
    }
    if (best == 16) break;
    taken[best] = true;
    chosen[chosen_count] = static_cast<std::uint8_t>(best);
  }
  return chosen_count;
}

BlockSpan block_span(const BlockPlan& plan) {
  return {plan.start, plan.end, plan.instruction_size};
}

bool stays_inside(const BlockSpan& span, std::uint32_t target, bool thumb) {
  return thumb == (span.instruction_size == 2) && target >= span.start && target < span.end &&
         (target - span.start) % span.instruction_size == 0;
}
