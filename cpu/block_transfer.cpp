#include "cpu/block_transfer.h"

#include <bit>

#include "core/memory/memory.h"
#include "core/state.h"
#include "cpu/cpu_state.h"

namespace {

// Where user-mode register n lives while the current mode may bank it.
std::uint32_t* user_register(unsigned n) {
  std::uint32_t mode = reg[SLOT_MODE_INDEX];
  if (mode == MODE_USER_SYSTEM) return &reg[n];
  if (n >= 13 && n <= 14) return &machine.banked[MODE_USER_SYSTEM][n - 8];
  if (n >= 8 && n <= 12 && mode == MODE_FIQ) return &machine.banked[MODE_USER_SYSTEM][n - 8];
  return &reg[n];
}

}  // namespace

void transfer_user_bank(std::uint32_t instruction, std::uint32_t base) {
  bool load = instruction & (1u << 20);
  std::uint32_t address = base & ~3u;
  for (unsigned n = 0; n < 16; ++n) {
    if (!(instruction & (1u << n))) continue;
    if (load) {
      *user_register(n) = mem_read32(address);
    } else {
      std::uint32_t value = n == 15 ? reg[SLOT_PC] + 4 : *user_register(n);
      mem_write32(address, value);
    }
    address += 4;
  }
}
