#pragma once
// The I/O register image: every register offset by its published name, and the one accessor
// through which the CPU, the renderer and the hardware read and store it. Writes that must act
// on the hardware go through the handlers in core/io/io_registers.h instead.

#include <cstdint>

#include "core/state.h"

// Offsets from 0x04000000.
enum IoRegister : std::uint32_t {
  IO_DISPCNT = 0x000,
  IO_DISPSTAT = 0x004,
  IO_VCOUNT = 0x006,
  IO_BG0CNT = 0x008,
  IO_BG0HOFS = 0x010,
  IO_BG0VOFS = 0x012,
  IO_BG2PA = 0x020,
  IO_BG2PB = 0x022,
  IO_BG2PC = 0x024,
  IO_BG2PD = 0x026,
  IO_BG2X = 0x028,
  IO_BG2Y = 0x02C,
  IO_BG3PA = 0x030,
  IO_BG3PD = 0x036,
  IO_BG3X = 0x038,
  IO_BG3Y = 0x03C,
  IO_WIN0H = 0x040,
  IO_WIN0V = 0x044,
  IO_WININ = 0x048,
  IO_WINOUT = 0x04A,
  IO_BLDCNT = 0x050,
  IO_BLDALPHA = 0x052,
  IO_BLDY = 0x054,
  IO_SOUND_FIRST = 0x060,  // tone, wave and noise channel registers up to 0x07F
  IO_SOUND1CNT_L = 0x060,
  IO_SOUND1CNT_H = 0x062,
  IO_SOUND1CNT_X = 0x064,
  IO_SOUND2CNT_L = 0x068,
  IO_SOUND2CNT_H = 0x06C,
  IO_SOUND3CNT_L = 0x070,
  IO_SOUND3CNT_H = 0x072,
  IO_SOUND3CNT_X = 0x074,
  IO_SOUND4CNT_L = 0x078,
  IO_SOUND4CNT_H = 0x07C,
  IO_SOUNDCNT_L = 0x080,
  IO_SOUNDCNT_H = 0x082,
  IO_SOUNDCNT_X = 0x084,
  IO_WAVE_RAM = 0x090,
  IO_FIFO_A = 0x0A0,
  IO_FIFO_B = 0x0A4,
  IO_DMA0SAD = 0x0B0,  // four channels of 12 bytes: SAD, DAD, CNT_L, CNT_H
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

inline std::uint32_t io_read16(std::uint32_t offset) {
  return machine.io_regs[offset] | static_cast<std::uint32_t>(machine.io_regs[offset + 1]) << 8;
}

inline std::uint32_t io_read32(std::uint32_t offset) {
  return io_read16(offset) | io_read16(offset + 2) << 16;
}

inline void io_store16(std::uint32_t offset, std::uint32_t value) {
  machine.io_regs[offset] = static_cast<std::uint8_t>(value);
  machine.io_regs[offset + 1] = static_cast<std::uint8_t>(value >> 8);
}

// A BG2X/BG2Y/BG3X/BG3Y register as a reference point: 28 bits, sign-extended.
inline std::int32_t io_affine_reference(std::uint32_t offset) {
  return static_cast<std::int32_t>(io_read32(offset) << 4) >> 4;
}
