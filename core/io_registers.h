#pragma once
// The I/O register image and its write handlers.

#include <cstdint>

// Register offsets from 0x04000000, by their published names.
enum IoRegister : std::uint32_t {
  IO_DISPCNT = 0x000,
  IO_DISPSTAT = 0x004,
  IO_VCOUNT = 0x006,
  IO_BG2PA = 0x020,
  IO_BG2PD = 0x026,
  IO_BG3PA = 0x030,
  IO_BG3PD = 0x036,
  IO_KEYINPUT = 0x130,
  IO_KEYCNT = 0x132,
  IO_RCNT = 0x134,
  IO_IE = 0x200,
  IO_IF = 0x202,
  IO_WAITCNT = 0x204,
  IO_IME = 0x208,
  IO_HALTCNT = 0x301,
};

// Each returns an Alert. Offsets are 0x000-0x3FF. Until the registers with side effects are
// decoded, every write is stored as it stands.
std::uint32_t io_write8(std::uint32_t offset, std::uint32_t value);
std::uint32_t io_write16(std::uint32_t offset, std::uint32_t value);
std::uint32_t io_write32(std::uint32_t offset, std::uint32_t value);
