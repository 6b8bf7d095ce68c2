#pragma once
// ARMv4 instruction words for the 32-bit ARM host: data processing, constants through
// split_immediate, loads and stores, block transfers and branches whose sites are one word, so
// that linking can re-aim them in place.

#include <cstdint>

namespace arm32 {

enum Condition : std::uint32_t { EQ, NE, CS, CC, MI, PL, VS, VC, HI, LS, GE, LT, GT, LE, AL };

enum Register : unsigned { R0, R1, R2, R3, R4, R5, R6, R7, R8, R9, R10, R11, R12, SP, LR, PC };

enum DataOp : std::uint32_t {
  AND,
  EOR,
  SUB,
  RSB,
  ADD,
  ADC,
  SBC,
  RSC,
  TST,
  TEQ,
  CMP,
  CMN,
  ORR,
  MOV,
  BIC,
  MVN
};

enum ShiftKind : std::uint32_t { LSL, LSR, ASR, ROR };

// The 12-bit operand field of `value` as a rotated 8-bit immediate, or -1 when it has none.
std::int32_t encode_immediate(std::uint32_t value);

// Splits `value` into rotated 8-bit pieces whose OR is the value, fewest first found by
// scanning from bit 0: at most four. Returns how many it wrote into `pieces`.
unsigned split_immediate(std::uint32_t value, std::uint32_t pieces[4]);

// Data processing with an immediate that must be encodable (see encode_immediate).
std::uint32_t dp_immediate(Condition c, DataOp op, bool s, unsigned rd, unsigned rn,
                           std::uint32_t value);
// Data processing with a register shifted by a constant (0-31; LSR/ASR 32 encode as 0).
std::uint32_t dp_register(Condition c, DataOp op, bool s, unsigned rd, unsigned rn, unsigned rm,
                          ShiftKind shift = LSL, unsigned amount = 0);
// Data processing with a register shifted by a register.
std::uint32_t dp_register_shift(Condition c, DataOp op, bool s, unsigned rd, unsigned rn,
                                unsigned rm, ShiftKind shift, unsigned rs);

// The words that put any constant into rd: one MOV or MVN when it encodes, else a MOV and
// ORRs of the pieces. Returns the count (1-4).
unsigned load_constant(Condition c, unsigned rd, std::uint32_t value, std::uint32_t words[4]);

enum class Width : std::uint8_t { WORD, BYTE, HALF, SIGNED_BYTE, SIGNED_HALF };

// Loads and stores with an immediate offset: up to 4095 for words and bytes, 255 for the
// halfword forms. Negative offsets subtract. Signed forms are loads only.
std::uint32_t load_store(Condition c, bool load, Width width, unsigned rd, unsigned rn,
                         std::int32_t offset, bool pre = true, bool writeback = false);
// Word or byte with a register offset shifted by a constant.
std::uint32_t load_store_register(Condition c, bool load, bool byte, unsigned rd, unsigned rn,
                                  unsigned rm, bool up = true, ShiftKind shift = LSL,
                                  unsigned amount = 0);

// LDM/STM: `pre` and `up` choose the addressing mode (IA: false, true; DB: true, false).
std::uint32_t block_transfer(Condition c, bool load, unsigned rn, std::uint16_t list, bool pre,
                             bool up, bool writeback);

// B or BL at `site` to `target`. False when the target is out of the 32 MB reach or not
// word-aligned; the word is left alone then.
bool branch(Condition c, bool link, const std::uint32_t* site, const void* target,
            std::uint32_t* word);
// Re-aims the branch at `site`, keeping its condition and link bit. False as for branch().
bool patch_branch(std::uint32_t* site, const void* target);

std::uint32_t branch_exchange(Condition c, unsigned rm);

}  // namespace arm32
