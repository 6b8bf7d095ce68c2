#pragma once
// Random ARMv4T test cases for the differential translator tests: short instruction sequences
// of one class, with the registers, flags and data memory they start from.
//
// Only code whose result the ARM7TDMI defines is generated, and only where Unicorn's ARM926
// (an ARMv5 core, our oracle) gives the same result. Left out on purpose:
//  - PC as a destination, as a stored value (STR/STM store PC+12 on the ARM7TDMI, PC+8 on the
//    oracle) or as an operand of a shift by register (PC+12 against the oracle's PC+8);
//    PC as a plain data-processing operand and as the base of literal loads is generated;
//  - unaligned word loads and stores, unaligned SWP and LDM/STM bases (the ARM7TDMI rotates
//    or aligns, the oracle accesses unaligned memory or faults) and unaligned halfwords;
//  - MSR writes of bits 27-8 (Q and J exist on the oracle only) and MSR into T;
//  - the C flag after MUL/MLA with S and the C and V flags after the long multiplies with S,
//    which the ARM7TDMI leaves meaningless (the oracle keeps them): masked out, and no later
//    instruction in the same case reads them;
//  - every register combination the architecture calls UNPREDICTABLE (MUL Rd == Rm, long
//    multiplies with RdHi, RdLo and Rm not distinct, write-back with Rd == Rn or Rm == Rn,
//    LDM with write-back and the base in the list, STM with write-back and the base not the
//    lowest register, SWP with Rn equal to Rd or Rm, LDM/STM with S, an empty list or PC);
//  - ARMv5-only encodings (BLX, CLZ, QADD, LDRD, STRD, the NV condition).

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

enum class ArmCaseClass {
  DATA_PROCESSING,
  MULTIPLY,
  SINGLE_TRANSFER,    // LDR, STR, LDRB, STRB (and the T forms)
  HALFWORD_TRANSFER,  // LDRH, STRH, LDRSB, LDRSH
  BLOCK_TRANSFER,     // LDM, STM
  SWAP,               // SWP, SWPB
  PSR_FLAGS,          // MRS and MSR on the flags, mixed with instructions that use them
  PSR_MODES,          // MSR switching modes, banked registers and SPSRs
  CONDITIONAL,        // all conditions on random flags, with forward B, BL and BX
};

inline constexpr ArmCaseClass ALL_ARM_CASE_CLASSES[] = {
    ArmCaseClass::DATA_PROCESSING,   ArmCaseClass::MULTIPLY,       ArmCaseClass::SINGLE_TRANSFER,
    ArmCaseClass::HALFWORD_TRANSFER, ArmCaseClass::BLOCK_TRANSFER, ArmCaseClass::SWAP,
    ArmCaseClass::PSR_FLAGS,         ArmCaseClass::PSR_MODES,      ArmCaseClass::CONDITIONAL,
};

const char* arm_case_class_name(ArmCaseClass case_class);

// The data memory a case may read and write. Both are filled with the same random bytes on both
// sides and compared afterwards; generated code touches nothing else except its literal pool.
struct DataWindow {
  std::uint32_t base;
  std::uint32_t size;
};
inline constexpr DataWindow DATA_WINDOWS[2] = {{0x03000000, 0x4000}, {0x02000000, 0x4000}};

// Where the code of a case is placed: mostly the cartridge, some in IWRAM and EWRAM, all
// clear of the data windows and of the top of IWRAM.
inline constexpr std::uint32_t ROM_CODE_ADDRESS = 0x08000000;
inline constexpr std::uint32_t IWRAM_CODE_ADDRESS = 0x03004000;
inline constexpr std::uint32_t EWRAM_CODE_ADDRESS = 0x02020000;
// The literal pool sits this far past the start of the code: beyond the longest case and the
// `B .` the driver plants at the stop address, yet within reach of the 8-bit offsets of
// halfword literal loads.
inline constexpr std::uint32_t LITERAL_POOL_OFFSET = 0xB0;
inline constexpr std::size_t MAX_CASE_INSTRUCTIONS = 40;

struct ArmCase {
  std::uint32_t code_address = ROM_CODE_ADDRESS;
  std::vector<std::uint32_t> code;      // the stop address is the word right after it
  std::vector<std::uint32_t> literals;  // at code_address + LITERAL_POOL_OFFSET
  std::uint32_t r[16] = {};             // r[15] == code_address
  std::uint32_t cpsr = 0x1F;
  std::vector<std::uint8_t> window_bytes[2];  // initial contents of DATA_WINDOWS
  // CPSR bits with a defined value at the end; the rest are not compared.
  std::uint32_t cpsr_mask = 0xFFFFFFFF;
  std::string mask_reason;

  std::uint32_t stop_address() const {
    return code_address + 4 * static_cast<std::uint32_t>(code.size());
  }
  std::uint32_t literal_address() const { return code_address + LITERAL_POOL_OFFSET; }
};

// The same (class, seed, index) always gives the same case, so that one failing case can be
// run again on its own.
ArmCase generate_arm_case(ArmCaseClass case_class, std::uint64_t seed, std::uint64_t index);

// Whether an instruction with condition field `cond` executes under the flags of `cpsr`.
bool arm_condition_passes(unsigned cond, std::uint32_t cpsr);

// A short, assembler-like rendering of one ARM instruction for failure reports; branch
// targets are computed from `address`.
std::string disassemble_arm(std::uint32_t instruction, std::uint32_t address);
