#pragma once
// Random ARMv4T Thumb test cases for the differential translator tests: short instruction
// sequences of one format (or a mix), with the registers, flags and data memory they start from.
//
// Only code whose result the ARM7TDMI defines is generated, and only where Unicorn's ARM926
// (an ARMv5 core, our oracle) gives the same result. Left out on purpose:
//  - SWI (SWI 6 runs inline as a division in the translator; the oracle has no BIOS behind its
//    vectors), the undefined condition 0b1110 of the conditional branch, BKPT, BLX (both the
//    register form and the 0b11101 second half of a long branch: ARMv5 only) and a second
//    half of BL without its first half right before it;
//  - MUL with Rd == Rm (unpredictable before ARMv6), and the C flag after MUL, which the
//    ARM7TDMI leaves meaningless and the oracle keeps: masked out, and no later ADC, SBC or
//    C-reading branch condition is generated while it is meaningless;
//  - high-register ADD, CMP and MOV with two low registers (unpredictable before ARMv6) and BX
//    with a nonzero bits 2-0; ADD and MOV into PC only with an even, forward target in the case;
//  - POP {PC} of a value with bit 0 clear (the oracle switches to ARM state, the ARM7TDMI
//    stays in Thumb state): every popped PC has bit 0 set, and returns through MOV PC, LR are
//    only made from a BL-set LR;
//  - BX PC from a halfword that is not word-aligned (an unaligned ARM target);
//  - unaligned word and halfword accesses (the ARM7TDMI rotates or loads a sign-extended byte,
//    the oracle accesses unaligned memory);
//  - LDMIA with the base in the list, STMIA with the base in the list but not its lowest
//    register, and empty lists for LDMIA, STMIA, PUSH and POP (all unpredictable).

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "arm_instruction_generator.h"  // DATA_WINDOWS and the code addresses

enum class ThumbCaseClass {
  SHIFT_IMMEDIATE,     // LSL, LSR, ASR #imm
  ADD_SUBTRACT,        // ADD/SUB Rd, Rs, Rn or #imm3
  IMMEDIATE,           // MOV, CMP, ADD, SUB #imm8
  ALU,                 // the sixteen register operations
  HIGH_REGISTER,       // ADD, CMP, MOV with r8-r15; MOV/ADD into PC and BX within Thumb code
  PC_RELATIVE_LOAD,    // LDR Rd, [PC, #imm]
  REGISTER_OFFSET,     // LDR, STR, LDRB, STRB, STRH, LDRH, LDSB, LDSH with [Rb, Ro]
  IMMEDIATE_OFFSET,    // LDR, STR, LDRB, STRB, LDRH, STRH with [Rb, #imm]
  SP_RELATIVE,         // LDR/STR Rd, [SP, #imm], ADD SP, #+-imm, ADD Rd, SP, #imm
  LOAD_ADDRESS,        // ADD Rd, PC/SP, #imm, and accesses through the result
  PUSH_POP,            // PUSH {..., LR}, POP {..., PC}
  MULTIPLE_TRANSFER,   // LDMIA, STMIA
  CONDITIONAL_BRANCH,  // the fourteen conditions on random flags, forward and in counted loops
  BRANCH,              // B, forward and backward between shuffled pieces of code
  LONG_BRANCH,         // BL to near and far subroutines and back
  INTERWORKING,        // BX between ARM and Thumb code, both ways, ending in the first state
  MIXED,               // every format without branches, one after the other
};

inline constexpr ThumbCaseClass ALL_THUMB_CASE_CLASSES[] = {
    ThumbCaseClass::SHIFT_IMMEDIATE,
    ThumbCaseClass::ADD_SUBTRACT,
    ThumbCaseClass::IMMEDIATE,
    ThumbCaseClass::ALU,
    ThumbCaseClass::HIGH_REGISTER,
    ThumbCaseClass::PC_RELATIVE_LOAD,
    ThumbCaseClass::REGISTER_OFFSET,
    ThumbCaseClass::IMMEDIATE_OFFSET,
    ThumbCaseClass::SP_RELATIVE,
    ThumbCaseClass::LOAD_ADDRESS,
    ThumbCaseClass::PUSH_POP,
    ThumbCaseClass::MULTIPLE_TRANSFER,
    ThumbCaseClass::CONDITIONAL_BRANCH,
    ThumbCaseClass::BRANCH,
    ThumbCaseClass::LONG_BRANCH,
    ThumbCaseClass::INTERWORKING,
    ThumbCaseClass::MIXED,
};

const char* thumb_case_class_name(ThumbCaseClass case_class);

// What a halfword of generated code is, for listings: the code is Thumb except where ARM code
// of an interworking case sits, and some halfwords are placed only to show if they ever run.
enum class HalfwordRole : std::uint8_t {
  THUMB,
  SKIPPED,  // Thumb code that no path reaches
  ARM_LOW,  // the low half of an ARM instruction, whose high half follows
  ARM_HIGH,
};

struct ThumbCode {
  std::uint32_t address = 0;
  std::vector<std::uint16_t> halfwords;
  std::vector<HalfwordRole> roles;

  std::uint32_t end() const { return address + 2 * static_cast<std::uint32_t>(halfwords.size()); }
};

// The literal pool sits this far past the start of the main code: beyond the longest case and
// the stop instruction, within reach of PC-relative loads.
inline constexpr std::uint32_t THUMB_LITERAL_POOL_OFFSET = 0x100;
inline constexpr std::size_t MAX_CASE_HALFWORDS = 120;

struct ThumbCase {
  ThumbCode code;  // starts at r[15]; the stop address is right after it
  ThumbCode far;   // a second stretch of code for far long branches; empty if unused
  std::vector<std::uint32_t> literals;  // at literal_address()
  std::uint32_t r[16] = {};
  std::uint32_t cpsr = 0x3F;  // T set, except for interworking cases that start in ARM state
  std::vector<std::uint8_t> window_bytes[2];  // initial contents of DATA_WINDOWS
  // CPSR bits with a defined value at the end; the rest are not compared.
  std::uint32_t cpsr_mask = 0xFFFFFFFF;
  std::string mask_reason;

  bool starts_in_thumb() const { return (cpsr & 0x20) != 0; }
  std::uint32_t stop_address() const { return code.end(); }
  std::uint32_t literal_address() const { return code.address + THUMB_LITERAL_POOL_OFFSET; }
};

// The same (class, seed, index) always gives the same case, so that one failing case can be
// run again on its own.
ThumbCase generate_thumb_case(ThumbCaseClass case_class, std::uint64_t seed, std::uint64_t index);

// A short, assembler-like rendering of one Thumb instruction for failure reports; branch and
// literal addresses are computed from `address`. `next` is the halfword after it, which
// completes a long branch.
std::string disassemble_thumb(std::uint16_t halfword, std::uint32_t address,
                              std::uint16_t next = 0);
