#include "frontend/key_register.h"

#include "core/io_registers.h"
#include "cpu/cpu_state.h"

namespace {

constexpr std::uint32_t KEY_BITS = 0x3FF;

}  // namespace

void send_buttons_to_console(std::uint32_t held, bool check_interrupt) {
  if (check_interrupt) check_keypad_irq(held);
  io_store16(IO_KEYINPUT, ~held & KEY_BITS);  // the register reads 0 for a held button
}
