#include "core/gpio.h"

#include "core/state.h"

void gpio_write16(std::uint32_t offset, std::uint32_t value) {
  switch (offset) {
    case GPIO_DATA: machine.gpio_shadow[0] = static_cast<std::uint8_t>(value); break;
    case GPIO_DIRECTION: machine.gpio_shadow[1] = static_cast<std::uint8_t>(value); break;
    case GPIO_CONTROL: machine.gpio_shadow[2] = static_cast<std::uint8_t>(value); break;
    default: break;
  }
}
