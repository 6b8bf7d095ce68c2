// DMA control decoding and the points where the display and the sound FIFOs start transfers;
// the transfer itself is in dma_transfer.cpp.

#include "core/dma/dma.h"

#include "core/alerts.h"
#include "core/dma/dma_loops.h"
#include "core/io/io_registers.h"
#include "core/memory/memory.h"

namespace {

constexpr std::uint32_t CONTROL_DEST_STEP_SHIFT = 5;
constexpr std::uint32_t CONTROL_SOURCE_STEP_SHIFT = 7;
constexpr std::uint32_t CONTROL_REPEAT = 1u << 9;
constexpr std::uint32_t CONTROL_WORDS = 1u << 10;
constexpr std::uint32_t CONTROL_START_SHIFT = 12;
constexpr std::uint32_t CONTROL_IRQ = 1u << 14;
constexpr std::uint32_t CONTROL_ENABLE = 1u << 15;
constexpr std::uint32_t FIFO_B_ADDRESS = 0x040000A4;
constexpr std::uint32_t DEST_FIXED = 2;
constexpr std::uint32_t FIFO_UNITS = 4;

std::uint32_t unit_count(unsigned channel) {
  std::uint32_t count = io_read16(dma_register_base(channel) + DMA_CNT_L);
  if (channel < 3) {
    count &= 0x3FFF;
    return count == 0 ? 0x4000 : count;
  }
  return count == 0 ? 0x10000 : count;
}

// Channels 1 and 2 in special mode feed a sound FIFO: four words at a time to a fixed address.
void link_to_fifo(DmaChannel& c) {
  c.word_size = 1;
  c.unit_count = FIFO_UNITS;
  c.dest_step = DEST_FIXED;
  c.sound_link = c.dest == (FIFO_B_ADDRESS & 0x0FFFFFFF) ? DMA_LINK_FIFO_B : DMA_LINK_FIFO_A;
}

// The EEPROM's address width shows in the length of the transfers that address it.
void note_eeprom_size(const DmaChannel& c) {
  if (c.channel == 3 && (c.dest >> 24) == REGION_EEPROM && (c.unit_count & 0x1F) == 0x11) {
    machine.backup.eeprom_8k = 1;
  }
}

void arm_channel(unsigned channel, std::uint32_t value) {
  DmaChannel& c = machine.dma_channels[channel];
  std::uint32_t base = dma_register_base(channel);
  c.channel = channel;
  c.source = io_read32(base + DMA_SAD) & 0x0FFFFFFF;
  c.dest = io_read32(base + DMA_DAD) & 0x0FFFFFFF;
  c.dest_step = (value >> CONTROL_DEST_STEP_SHIFT) & 3;
  c.source_step = (value >> CONTROL_SOURCE_STEP_SHIFT) & 3;
  c.repeat = (value & CONTROL_REPEAT) ? 1 : 0;
  c.word_size = (value & CONTROL_WORDS) ? 1 : 0;
  c.start_mode = (value >> CONTROL_START_SHIFT) & 3;
  c.irq_enable = (value & CONTROL_IRQ) ? 1 : 0;
  c.unit_count = unit_count(channel);
  c.sound_link = DMA_LINK_NONE;
  if ((channel == 1 || channel == 2) && c.start_mode == DMA_SPECIAL) link_to_fifo(c);
  note_eeprom_size(c);
}

}  // namespace

void reset_dma_channels() {
  for (unsigned n = 0; n < DMA_CHANNELS; ++n) {
    machine.dma_channels[n] = DmaChannel{};
    machine.dma_channels[n].channel = n;
    machine.dma_channels[n].start_mode = DMA_INACTIVE;
    machine.dma_channels[n].sound_link = DMA_LINK_NONE;
  }
}

std::uint32_t write_dma_control(unsigned channel, std::uint32_t value) {
  DmaChannel& c = machine.dma_channels[channel];
  std::uint32_t control = dma_register_base(channel) + DMA_CNT_H;
  if ((value & CONTROL_ENABLE) == 0) {
    c.start_mode = DMA_INACTIVE;
    c.sound_link = DMA_LINK_NONE;
    io_store16(control, value);
    return ALERT_NONE;
  }
  // An armed channel keeps what it was armed with: the write is dropped, register included.
  if (c.start_mode != DMA_INACTIVE) return ALERT_NONE;
  arm_channel(channel, value);
  io_store16(control, value);
  if (c.start_mode == DMA_IMMEDIATE) return run_dma_channel(c);
  return ALERT_NONE;
}

std::uint32_t start_timed_dma(DmaStartMode mode) {
  std::uint32_t alert = ALERT_NONE;
  for (DmaChannel& c : machine.dma_channels) {
    if (c.start_mode != mode) continue;
    alert = combine_alerts(alert, run_dma_channel(c));
  }
  return alert;
}

std::uint32_t start_sound_dma(unsigned fifo) {
  std::uint32_t alert = ALERT_NONE;
  for (unsigned n = 1; n <= 2; ++n) {
    DmaChannel& c = machine.dma_channels[n];
    if (c.start_mode != DMA_SPECIAL || c.sound_link != fifo) continue;
    alert = combine_alerts(alert, run_dma_channel(c));
  }
  return alert;
}
