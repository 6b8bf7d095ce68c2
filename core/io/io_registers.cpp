// The I/O write handlers. Reads need none: the read page table maps the register image directly,
// so every register reads back what was last stored, except those that the scheduler, the
// timers and the key input keep current themselves.

#include "core/io/io_registers.h"

#include "core/alerts.h"
#include "core/dma/dma.h"
#include "core/machine_link.h"
#include "core/sound/sound.h"
#include "core/state.h"
#include "core/timing/timers.h"

namespace {

constexpr std::uint32_t DISPCNT_MODE = 0x0007;
constexpr std::uint32_t DISPSTAT_STATUS = 0x0007;    // V-blank, H-blank, V-count: the scheduler's
constexpr std::uint32_t SOUNDCNT_X_STATUS = 0x000F;  // channel-on flags: the sound generator's
constexpr std::uint32_t SOUNDCNT_H_FIFO_A_TIMER = 1u << 10;
constexpr std::uint32_t SOUNDCNT_H_FIFO_A_RESET = 1u << 11;
constexpr std::uint32_t SOUNDCNT_H_FIFO_B_TIMER = 1u << 14;
constexpr std::uint32_t SOUNDCNT_H_FIFO_B_RESET = 1u << 15;
constexpr std::uint32_t HALTCNT_STOP = 0x80;

bool in_range(std::uint32_t offset, std::uint32_t first, std::uint32_t end) {
  return offset >= first && offset < end;
}

bool is_affine_reference(std::uint32_t offset) {
  return in_range(offset, IO_BG2X, IO_BG2Y + 4) || in_range(offset, IO_BG3X, IO_BG3Y + 4);
}
bool is_tone_register(std::uint32_t offset) {
  return in_range(offset, IO_SOUND_FIRST, IO_SOUNDCNT_L);
}
bool is_wave_ram(std::uint32_t offset) { return in_range(offset, IO_WAVE_RAM, IO_FIFO_A); }
bool is_fifo(std::uint32_t offset) { return in_range(offset, IO_FIFO_A, IO_FIFO_B + 4); }
bool is_timer(std::uint32_t offset) { return in_range(offset, IO_TM0CNT_L, IO_TM0CNT_L + 16); }
unsigned fifo_of(std::uint32_t offset) { return offset < IO_FIFO_B ? FIFO_A : FIFO_B; }
unsigned timer_of(std::uint32_t offset) { return (offset - IO_TM0CNT_L) / 4; }

// Channel of a DMAxCNT_H offset, or DMA_CHANNELS when `offset` is not one.
unsigned dma_control_channel(std::uint32_t offset) {
  for (unsigned n = 0; n < DMA_CHANNELS; ++n) {
    if (offset == dma_register_base(n) + DMA_CNT_H) return n;
  }
  return DMA_CHANNELS;
}

void latch_affine_reference(std::uint32_t offset) {
  std::uint32_t base = offset & ~3u;
  unsigned background = base >= IO_BG3X ? 1 : 0;
  bool is_y = (base & 4) != 0;
  (is_y ? machine.affine_ref_y : machine.affine_ref_x)[background] = io_affine_reference(base);
}

void write_dispcnt(std::uint32_t value) {
  if (((value ^ io_read16(IO_DISPCNT)) & DISPCNT_MODE) != 0) machine.oam_dirty = 1;
  io_store16(IO_DISPCNT, value);
}

void write_dispstat(std::uint32_t value) {
  io_store16(IO_DISPSTAT, (value & ~DISPSTAT_STATUS) | (io_read16(IO_DISPSTAT) & DISPSTAT_STATUS));
}

void write_tone_register(std::uint32_t offset, std::uint32_t value) {
  io_store16(offset, value);
  decode_sound_register(offset);
  machine.sound_registers_written = 1;
}

// Which FIFOs timers 0 and 1 drive follows the two timer-select bits.
void write_soundcnt_h(std::uint32_t value) {
  io_store16(IO_SOUNDCNT_H, value);
  decode_sound_register(IO_SOUNDCNT_H);
  std::uint32_t on_timer1 =
      ((value & SOUNDCNT_H_FIFO_A_TIMER) ? 1u : 0u) | ((value & SOUNDCNT_H_FIFO_B_TIMER) ? 2u : 0u);
  machine.timers[0].fifo_channels = ~on_timer1 & 3u;
  machine.timers[1].fifo_channels = on_timer1;
  if (value & SOUNDCNT_H_FIFO_A_RESET) fifo_reset(FIFO_A);
  if (value & SOUNDCNT_H_FIFO_B_RESET) fifo_reset(FIFO_B);
}

void write_soundcnt_x(std::uint32_t value) {
  io_store16(IO_SOUNDCNT_X,
             (value & ~SOUNDCNT_X_STATUS) | (io_read16(IO_SOUNDCNT_X) & SOUNDCNT_X_STATUS));
  decode_sound_register(IO_SOUNDCNT_X);
}

void write_timer_register(std::uint32_t offset, std::uint32_t value) {
  if ((offset & 2) == 0) {
    write_timer_reload(timer_of(offset), value);
  } else {
    write_timer_control(timer_of(offset), value);
  }
}

void acknowledge_interrupts(std::uint32_t bits) { io_store16(IO_IF, io_read16(IO_IF) & ~bits); }

// HALTCNT bit 7 chooses stop over halt, as the BIOS's Halt (0x00) and Stop (0x80) write it.
std::uint32_t write_haltcnt(std::uint32_t value) {
  machine_link.set_halt_state((value & HALTCNT_STOP) ? CPU_STOPPED : CPU_HALTED);
  return ALERT_HALTED;
}

// The halfword a byte write makes of its register: the new byte beside the stored one.
std::uint32_t merge_byte(std::uint32_t halfword, std::uint32_t offset, std::uint32_t byte) {
  unsigned shift = (offset & 1) * 8;
  return (halfword & ~(0xFFu << shift)) | (byte << shift);
}

}  // namespace

std::uint32_t io_write16(std::uint32_t offset, std::uint32_t value) {
  offset &= 0x3FE;
  value &= 0xFFFF;
  if (is_tone_register(offset)) {
    write_tone_register(offset, value);
  } else if (is_affine_reference(offset)) {
    io_store16(offset, value);
    latch_affine_reference(offset);
  } else if (is_wave_ram(offset)) {
    io_store16(offset, value);
    mark_wave_changed();
  } else if (is_fifo(offset)) {
    fifo_push16(fifo_of(offset), value);
  } else if (is_timer(offset)) {
    write_timer_register(offset, value);
  } else if (unsigned channel = dma_control_channel(offset); channel < DMA_CHANNELS) {
    return write_dma_control(channel, value);
  } else {
    switch (offset) {
      case IO_DISPCNT: write_dispcnt(value); break;
      case IO_DISPSTAT: write_dispstat(value); break;
      case IO_VCOUNT:
      case IO_KEYINPUT: break;
      case IO_SOUNDCNT_L:
        io_store16(offset, value);
        decode_sound_register(offset);
        break;
      case IO_SOUNDCNT_H: write_soundcnt_h(value); break;
      case IO_SOUNDCNT_X: write_soundcnt_x(value); break;
      case IO_IF: acknowledge_interrupts(value); break;
      case IO_POSTFLG:
        machine.io_regs[IO_POSTFLG] = static_cast<std::uint8_t>(value);
        return write_haltcnt(value >> 8);
      default: io_store16(offset, value); break;
    }
  }
  return ALERT_NONE;
}

std::uint32_t io_write8(std::uint32_t offset, std::uint32_t value) {
  offset &= 0x3FF;
  value &= 0xFF;
  if (is_fifo(offset)) {
    fifo_push8(fifo_of(offset), value);
    return ALERT_NONE;
  }
  std::uint32_t halfword = offset & ~1u;
  if (is_timer(offset) && (offset & 2) == 0) {
    write_timer_reload(timer_of(offset), merge_byte(timer_reload(timer_of(offset)), offset, value));
    return ALERT_NONE;
  }
  switch (halfword) {
    case IO_VCOUNT:
    case IO_KEYINPUT: return ALERT_NONE;
    case IO_IF: acknowledge_interrupts(value << (offset & 1) * 8); return ALERT_NONE;
    case IO_POSTFLG:
      if (offset == IO_HALTCNT) return write_haltcnt(value);
      machine.io_regs[IO_POSTFLG] = static_cast<std::uint8_t>(value);
      return ALERT_NONE;
    default: return io_write16(halfword, merge_byte(io_read16(halfword), offset, value));
  }
}

std::uint32_t io_write32(std::uint32_t offset, std::uint32_t value) {
  offset &= 0x3FC;
  if (is_affine_reference(offset)) {
    io_store16(offset, value & 0xFFFF);
    io_store16(offset + 2, value >> 16);
    latch_affine_reference(offset);
    return ALERT_NONE;
  }
  if (is_fifo(offset)) {
    fifo_push32(fifo_of(offset), value);
    return ALERT_NONE;
  }
  std::uint32_t low = io_write16(offset, value & 0xFFFF);
  std::uint32_t high = io_write16(offset + 2, value >> 16);
  return high != ALERT_NONE ? high : low;
}
