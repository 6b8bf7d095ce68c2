// The BIOS division call, run in place of the BIOS code.

#include "core/state.h"
#include "cpu/cpu_state.h"

namespace {

bool is_negative(std::uint32_t value) { return (value >> 31) != 0; }

std::uint32_t magnitude(std::uint32_t value) { return is_negative(value) ? 0u - value : value; }

std::uint32_t negated_if(bool negate, std::uint32_t value) { return negate ? 0u - value : value; }

}  // namespace

// Works on magnitudes in unsigned arithmetic so that no operand can trap the host:
// - INT_MIN / -1 gives the wrapped two's-complement answer: r0 = 0x80000000, r1 = 0,
//   r3 = 0x80000000.
// - The console's BIOS loops forever on a zero divisor, which no game can rely on. We return
//   r0 = -1 for a negative dividend and 1 otherwise, r1 = the dividend, r3 = 1: the quotient
//   keeps the sign a division by a tiny positive divisor would give, and r0 * r1_in + r1 is
//   still the dividend.
void swi_divide() {
  std::uint32_t dividend = reg[0];
  std::uint32_t divisor = reg[1];
  if (divisor == 0) {
    reg[0] = negated_if(is_negative(dividend), 1);
    reg[1] = dividend;
    reg[3] = 1;
    return;
  }
  std::uint32_t quotient = magnitude(dividend) / magnitude(divisor);
  std::uint32_t remainder = magnitude(dividend) % magnitude(divisor);
  // Truncation toward zero: the remainder takes the dividend's sign.
  reg[0] = negated_if(is_negative(dividend) != is_negative(divisor), quotient);
  reg[1] = negated_if(is_negative(dividend), remainder);
  reg[3] = quotient;
}
