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
  IO_BG2X = 0x028,
  IO_BG2Y = 0x02C,
  IO_BG3PA = 0x030,
  IO_BG3PD = 0x036,
  IO_BG3X = 0x038,
  IO_BG3Y = 0x03C,
  IO_SOUND_FIRST = 0x060,  // tone, wave and noise channel registers up to 0x07F
  IO_SOUNDCNT_L = 0x080,
  IO_SOUNDCNT_H = 0x082,
  IO_SOUNDCNT_X = 0x084,
  IO_WAVE_RAM = 0x090,
  IO_FIFO_A = 0x0A0,
  IO_FIFO_B = 0x0A4,
  IO_DMA0SAD = 0x0B0,
  IO_TM0CNT_L = 0x100,
  IO_KEYINPUT = 0x130,
  IO_KEYCNT = 0x132,
  IO_RCNT = 0x134,
  IO_IE = 0x200,
  IO_IF = 0x202,
  IO_WAITCNT = 0x204,
  IO_IME = 0x208,
  IO_POSTFLG = 0x300,
  IO_HALTCNT = 0x301,
};

// Each returns an Alert. Offsets are 0x000-0x3FF.
std::uint32_t io_write8(std::uint32_t offset, std::uint32_t value);
std::uint32_t io_write16(std::uint32_t offset, std::uint32_t value);
std::uint32_t io_write32(std::uint32_t offset, std::uint32_t value);

// Plain access to the image, for the parts that keep registers current themselves.
std::uint32_t io_read16(std::uint32_t offset);
std::uint32_t io_read32(std::uint32_t offset);
void io_store16(std::uint32_t offset, std::uint32_t value);

// A BG2X/BG2Y/BG3X/BG3Y register as a reference point: 28 bits, sign-extended.
std::int32_t io_affine_reference(std::uint32_t offset);
