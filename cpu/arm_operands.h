#pragma once
// ARM instructions decoded into what a host emitter needs: registers, constants and the guest's
// addressing, shifting and block-transfer rules already applied, so no host reads opcode bits.

#include <cstdint>

// A shift as the guest performs it. Immediate amounts are what the shift really does: LSR and
// ASR #0 encode #32, ROR #0 encodes RRX, LSL #0 is no shift.
enum class Shift : std::uint8_t { LSL, LSR, ASR, ROR, RRX };

struct ShifterOperand {
  enum Kind : std::uint8_t { IMMEDIATE, SHIFT_BY_IMMEDIATE, SHIFT_BY_REGISTER };
  Kind kind;
  std::uint32_t immediate;  // IMMEDIATE: the rotated constant
  bool rotated;             // IMMEDIATE: the carry-out is bit 31 rather than the old C
  unsigned rm;
  Shift shift;
  unsigned amount;  // SHIFT_BY_IMMEDIATE: 0-32
  unsigned rs;      // SHIFT_BY_REGISTER
};

inline bool is_plain_register(const ShifterOperand& operand) {
  return operand.kind == ShifterOperand::SHIFT_BY_IMMEDIATE && operand.shift == Shift::LSL &&
         operand.amount == 0;
}

// The shifter reads the old C when it rotates through it (RRX) or when its carry-out is "C
// unchanged" and the emitter wants that carry.
bool shifter_reads_carry(const ShifterOperand& operand, bool want_carry);

struct DataProcessing {
  unsigned op;  // ArmDataOp
  bool s;
  unsigned rn;
  unsigned rd;
  ShifterOperand operand;
  std::uint32_t pc;  // what r15 reads as: 4 more when the shift amount comes from a register
  // A write to r15 with S copies the SPSR into the CPSR. The ARM7TDMI keeps the old "P" form
  // too: a compare into r15 does only that copy and continues at the next instruction.
  bool restores_psr;
  bool psr_restore_only;
};

struct Multiply {
  unsigned rd;
  unsigned rn;  // the accumulator
  unsigned rs;
  unsigned rm;
  bool accumulate;
  bool s;
};

struct MultiplyLong {
  unsigned rd_high;
  unsigned rd_low;
  unsigned rs;
  unsigned rm;
  bool is_signed;
  bool accumulate;
  bool s;
};

enum class TransferSize : std::uint8_t { WORD, BYTE, HALF, SIGNED_BYTE, SIGNED_HALF };

struct Transfer {
  unsigned rn;
  unsigned rd;
  bool pre;
  bool up;
  bool writeback;  // the base changes: post-indexing always, never for an r15 base
  bool load;
  TransferSize size;
  bool immediate_offset;
  std::uint32_t immediate;
  unsigned rm;  // a register offset, shifted by a constant
  Shift shift;
  unsigned amount;
  std::uint32_t stored_pc;  // what a stored r15 reads as
};

struct Swap {
  unsigned rn;
  unsigned rd;
  unsigned rm;
  bool byte;
};

struct BlockTransfer {
  unsigned rn;
  std::uint32_t list;         // an empty list transfers r15 alone (ARMv4)
  unsigned count;             // registers whose room the base moves over: 16 for an empty list
  std::int32_t start_offset;  // the lowest address, relative to the base
  std::int32_t change;        // the base's change
  bool writeback;
  bool load;
  // The S bit: with r15 loaded the SPSR comes back with it; otherwise the registers are the
  // user bank's, which the runtime transfers from the opcode itself.
  bool restores_psr;
  bool user_bank;
  // ARM7TDMI stores the original base when it is the first register of the list and the
  // updated one otherwise.
  bool stores_updated_base;
  std::uint32_t stored_pc;
};

struct PsrRead {
  unsigned rd;
  bool spsr;
};

struct PsrWrite {
  bool spsr;
  std::uint32_t mask;  // the field bits select whole bytes
  bool immediate;
  std::uint32_t value;  // immediate
  unsigned rm;
};

// `pc` is what reading r15 gives (address + 8 in ARM state, + 4 in Thumb); `address` the
// instruction's own address.
DataProcessing decode_data_processing(std::uint32_t opcode, std::uint32_t pc);
Multiply decode_multiply(std::uint32_t opcode);
MultiplyLong decode_multiply_long(std::uint32_t opcode);
Transfer decode_single_transfer(std::uint32_t opcode, std::uint32_t pc);
// False for the doubleword forms, which do not exist on this CPU and do nothing.
bool decode_halfword_transfer(std::uint32_t opcode, std::uint32_t pc, Transfer* out);
Swap decode_swap(std::uint32_t opcode);
BlockTransfer decode_block_transfer(std::uint32_t opcode, std::uint32_t pc, std::uint32_t address,
                                    bool thumb);
PsrRead decode_mrs(std::uint32_t opcode);
PsrWrite decode_msr(std::uint32_t opcode);

// Guest cycles counted for an instruction beyond its first.
constexpr std::uint32_t MULTIPLY_EXTRA_CYCLES = 2;
constexpr std::uint32_t MULTIPLY_LONG_EXTRA_CYCLES = 3;
constexpr std::uint32_t LOAD_EXTRA_CYCLES = 2;
constexpr std::uint32_t STORE_EXTRA_CYCLES = 1;
constexpr std::uint32_t SWAP_EXTRA_CYCLES = 3;
inline std::uint32_t block_transfer_extra_cycles(const BlockTransfer& b) { return b.count + 1; }
