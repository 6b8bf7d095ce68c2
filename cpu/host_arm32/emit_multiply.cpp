// ARM multiplies as the same host instructions. A flag-setting multiply sets N and Z and leaves
// C and V as they were, which the host's own MULS and UMULLS do. The results go through scratch
// registers so that no host form names its destination twice (unpredictable on ARMv4).

#include "cpu/host_arm32/block_code.h"
#include "cpu/host_arm32/emit_arm.h"

using namespace arm32;

namespace {

std::uint32_t multiply_word(bool accumulate, bool s, unsigned rd, unsigned rn, unsigned rs,
                            unsigned rm) {
  return 0xE0000090 | (accumulate ? 1u << 21 : 0) | (s ? 1u << 20 : 0) | (rd << 16) | (rn << 12) |
         (rs << 8) | rm;
}

std::uint32_t multiply_long_word(bool is_signed, bool accumulate, bool s, unsigned high,
                                 unsigned low, unsigned rs, unsigned rm) {
  return 0xE0800090 | (is_signed ? 1u << 22 : 0) | (accumulate ? 1u << 21 : 0) |
         (s ? 1u << 20 : 0) | (high << 16) | (low << 12) | (rs << 8) | rm;
}

}  // namespace

void host_emit_multiply(const ArmInstruction& in, const Multiply& m) {
  unsigned rm = read_guest(m.rm, R1, in.pc);
  unsigned rs = read_guest(m.rs, R2, in.pc);
  unsigned rn = m.accumulate ? read_guest(m.rn, R9, in.pc) : 0;
  emit(multiply_word(m.accumulate, m.s, R0, rn, rs, rm));
  if (m.rd != 15) store_guest(m.rd, R0);
}

void host_emit_multiply_long(const ArmInstruction& in, const MultiplyLong& m) {
  unsigned rm = read_guest(m.rm, R2, in.pc);
  unsigned rs = read_guest(m.rs, R9, in.pc);
  if (m.accumulate) {
    load_guest(R0, m.rd_low, in.pc);
    load_guest(R1, m.rd_high, in.pc);
  }
  emit(multiply_long_word(m.is_signed, m.accumulate, m.s, R1, R0, rs, rm));
  if (m.rd_low != 15) store_guest(m.rd_low, R0);
  if (m.rd_high != 15) store_guest(m.rd_high, R1);
}
