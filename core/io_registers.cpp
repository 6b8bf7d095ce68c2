#include "core/io_registers.h"

#include "core/alerts.h"
#include "core/state.h"

std::uint32_t io_write8(std::uint32_t offset, std::uint32_t value) {
  machine.io_regs[offset & 0x3FF] = static_cast<std::uint8_t>(value);
  return ALERT_NONE;
}

std::uint32_t io_write16(std::uint32_t offset, std::uint32_t value) {
  offset &= 0x3FE;
  machine.io_regs[offset] = static_cast<std::uint8_t>(value);
  machine.io_regs[offset + 1] = static_cast<std::uint8_t>(value >> 8);
  return ALERT_NONE;
}

std::uint32_t io_write32(std::uint32_t offset, std::uint32_t value) {
  std::uint32_t low = io_write16(offset & 0x3FC, value & 0xFFFF);
  std::uint32_t high = io_write16((offset & 0x3FC) + 2, value >> 16);
  return low != ALERT_NONE ? low : high;
}
