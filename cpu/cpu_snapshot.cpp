// The CPU's section of a snapshot image.

#include "core/state.h"
#include "cpu/cpu_state.h"

namespace {

static_assert(CPU_STATE_BYTES ==
              sizeof machine.registers + sizeof machine.saved_psr + sizeof machine.banked);

// Snapshots are little-endian whatever the host.
std::uint8_t* put_word(std::uint8_t* out, std::uint32_t value) {
  for (unsigned shift = 0; shift < 32; shift += 8) {
    *out++ = static_cast<std::uint8_t>(value >> shift);
  }
  return out;
}

const std::uint8_t* get_word(const std::uint8_t* in, std::uint32_t& value) {
  value = 0;
  for (unsigned shift = 0; shift < 32; shift += 8) {
    value |= static_cast<std::uint32_t>(*in++) << shift;
  }
  return in;
}

}  // namespace

// The slots come from wherever the register area lives now, which is the state the game sees.
std::uint8_t* store_cpu_state(std::uint8_t* out) {
  for (unsigned slot = 0; slot < REGISTER_SLOTS; ++slot) out = put_word(out, reg[slot]);
  for (std::uint32_t psr : machine.saved_psr) out = put_word(out, psr);
  for (const auto& bank : machine.banked) {
    for (std::uint32_t word : bank) out = put_word(out, word);
  }
  return out;
}

const std::uint8_t* load_cpu_state(const std::uint8_t* in) {
  for (unsigned slot = 0; slot < REGISTER_SLOTS; ++slot) in = get_word(in, reg[slot]);
  for (std::uint32_t& psr : machine.saved_psr) in = get_word(in, psr);
  for (auto& bank : machine.banked) {
    for (std::uint32_t& word : bank) in = get_word(in, word);
  }
  return in;
}
