#pragma once
// The cartridge's general-purpose port at ROM offsets 0xC4-0xC8, where a clock chip may sit.

#include <cstdint>

constexpr std::uint32_t GPIO_DATA = 0xC4;
constexpr std::uint32_t GPIO_DIRECTION = 0xC6;
constexpr std::uint32_t GPIO_CONTROL = 0xC8;

// Until the clock is emulated, the port only remembers what was written to it.
void gpio_write16(std::uint32_t offset, std::uint32_t value);
