#include "core/io/keypad.h"

#include "core/io/io_image.h"
#include "core/machine_link.h"
#include "core/timing/scheduler.h"

namespace {

constexpr std::uint32_t KEYCNT_IRQ_ENABLE = 1u << 14;
constexpr std::uint32_t KEYCNT_ALL_SELECTED = 1u << 15;  // clear: any selected key will do

}  // namespace

void check_keypad_irq(std::uint32_t keys) {
  std::uint32_t keycnt = io_read16(IO_KEYCNT);
  if ((keycnt & KEYCNT_IRQ_ENABLE) == 0) return;
  std::uint32_t selected = keycnt & ALL_BUTTONS;
  std::uint32_t pressed = keys & selected;
  bool condition_met = (keycnt & KEYCNT_ALL_SELECTED) != 0 ? pressed == selected : pressed != 0;
  if (condition_met) machine_link.raise_interrupts(INTERRUPT_KEYPAD);
}

void set_held_buttons(std::uint32_t buttons) {
  buttons &= ALL_BUTTONS;
  std::uint32_t held_before = ~io_read16(IO_KEYINPUT) & ALL_BUTTONS;
  io_store16(IO_KEYINPUT, ~buttons & ALL_BUTTONS);
  if ((buttons & ~held_before) == 0) return;
  check_keypad_irq(buttons);
  // Between frames no scheduler pass is running to notice the request: a stopped or halted CPU
  // wakes here by the scheduler's own rule.
  wake_on_requested_interrupt();
}
