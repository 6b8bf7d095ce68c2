#include "cpu/arm_decode.h"

#include "cpu/block_plan.h"
#include "cpu/translation_settings.h"

ArmClass classify_arm(std::uint32_t opcode) {
  if ((opcode & 0x0FFFFFF0) == 0x012FFF10) return ArmClass::BRANCH_EXCHANGE;
  if ((opcode & 0x0FC000F0) == 0x00000090) return ArmClass::MULTIPLY;
  if ((opcode & 0x0F8000F0) == 0x00800090) return ArmClass::MULTIPLY_LONG;
  if ((opcode & 0x0FB00FF0) == 0x01000090) return ArmClass::SWAP;
  if ((opcode & 0x0E000090) == 0x00000090) {
    return (opcode & 0x60) != 0 ? ArmClass::HALFWORD_TRANSFER : ArmClass::UNDEFINED;
  }
  if ((opcode & 0x0FBF0FFF) == 0x010F0000) return ArmClass::MRS;
  if ((opcode & 0x0FB00FF0) == 0x01200000 || (opcode & 0x0FB00000) == 0x03200000) {
    return ArmClass::MSR;
  }
  switch (arm_bits(opcode, 25, 3)) {
    case 0:
    case 1: {
      // The compare opcodes without S are the PSR and BX space; what is left there is undefined.
      unsigned op = arm_bits(opcode, 21, 4);
      if (is_compare_op(op) && !arm_bit(opcode, 20)) return ArmClass::UNDEFINED;
      return ArmClass::DATA_PROCESSING;
    }
    case 2: return ArmClass::SINGLE_TRANSFER;
    case 3: return arm_bit(opcode, 4) ? ArmClass::UNDEFINED : ArmClass::SINGLE_TRANSFER;
    case 4: return ArmClass::BLOCK_TRANSFER;
    case 5: return ArmClass::BRANCH;
    case 7: return arm_bit(opcode, 24) ? ArmClass::SWI : ArmClass::UNDEFINED;
    default: return ArmClass::UNDEFINED;
  }
}

bool arm_writes_flags(std::uint32_t opcode) {
  switch (classify_arm(opcode)) {
    case ArmClass::DATA_PROCESSING:
    case ArmClass::MULTIPLY:
    case ArmClass::MULTIPLY_LONG: return arm_bit(opcode, 20);
    case ArmClass::MSR: return !arm_bit(opcode, 22);
    default: return false;
  }
}

bool arm_may_jump(std::uint32_t opcode) {
  unsigned rd = arm_bits(opcode, 12, 4);
  switch (classify_arm(opcode)) {
    case ArmClass::BRANCH:
    case ArmClass::BRANCH_EXCHANGE: return true;
    case ArmClass::SWI: return !swi_runs_inline(arm_bits(opcode, 16, 8));
    case ArmClass::DATA_PROCESSING:
      return rd == 15;  // a compare into r15 restores the CPSR from the SPSR
    case ArmClass::BLOCK_TRANSFER:
      return arm_bit(opcode, 20) && (arm_bit(opcode, 15) || arm_bits(opcode, 0, 16) == 0);
    case ArmClass::SINGLE_TRANSFER:
    case ArmClass::HALFWORD_TRANSFER: return rd == 15 && arm_bit(opcode, 20);
    default: return false;
  }
}

bool arm_shifter_keeps_carry(std::uint32_t opcode) {
  if (arm_bit(opcode, 25)) return arm_bits(opcode, 8, 4) == 0;
  if (arm_bit(opcode, 4)) return true;
  return arm_bits(opcode, 7, 5) == 0 && arm_bits(opcode, 5, 2) == 0;
}

namespace {

bool is_rrx(std::uint32_t opcode) {
  return !arm_bit(opcode, 25) && !arm_bit(opcode, 4) && arm_bits(opcode, 5, 2) == 3 &&
         arm_bits(opcode, 7, 5) == 0;
}

FlagUsage data_processing_flags(std::uint32_t opcode) {
  unsigned op = arm_bits(opcode, 21, 4);
  std::uint8_t reads = 0;
  if (op == OP_ADC || op == OP_SBC || op == OP_RSC || is_rrx(opcode)) reads |= FLAG_C;
  if (!arm_bit(opcode, 20)) return {reads, 0};
  if (!is_logical_op(op)) return {reads, ALL_FLAGS};
  std::uint8_t writes = FLAG_N | FLAG_Z;
  if (!arm_shifter_keeps_carry(opcode)) writes |= FLAG_C;
  return {reads, writes};
}

}  // namespace

FlagUsage arm_flag_usage(std::uint32_t opcode) {
  switch (classify_arm(opcode)) {
    case ArmClass::DATA_PROCESSING: return data_processing_flags(opcode);
    case ArmClass::MULTIPLY:
    case ArmClass::MULTIPLY_LONG:
      return {0, static_cast<std::uint8_t>(arm_bit(opcode, 20) ? FLAG_N | FLAG_Z : 0)};
    case ArmClass::MRS:
    case ArmClass::MSR:
    case ArmClass::SWI: return {ALL_FLAGS, 0};
    default: return {0, 0};
  }
}
