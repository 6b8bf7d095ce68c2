#pragma once
// The DMA channels: control-register decoding into channel records, and the points where the
// scheduler and the sound FIFOs start transfers. Channel records live in the machine record
// (machine.dma_channels).

#include <cstdint>

#include "core/io/io_image.h"
#include "core/state.h"

constexpr unsigned DMA_CHANNELS = 4;
constexpr std::uint32_t INTERRUPT_DMA0 = 0x0100;  // channel n: INTERRUPT_DMA0 << n

// I/O offsets of each channel's source, destination, count and control.
constexpr std::uint32_t dma_register_base(unsigned channel) { return IO_DMA0SAD + 12 * channel; }
constexpr std::uint32_t DMA_SAD = 0, DMA_DAD = 4, DMA_CNT_L = 8, DMA_CNT_H = 10;

// Every channel inactive and linked to no FIFO.
void reset_dma_channels();

// DMAxCNT_H: arms, disarms or (immediate start) runs channel `channel`. Returns an Alert.
std::uint32_t write_dma_control(unsigned channel, std::uint32_t value);

// Runs every armed channel whose start mode is `mode` (V-blank or H-blank), channels 0 to 3.
// Returns ALERT_CODE_OVERWRITTEN when any of them overwrote translated code, else the last
// non-zero Alert.
std::uint32_t start_timed_dma(DmaStartMode mode);

// Runs channel 1, then channel 2, if armed for the sound FIFO `fifo` (0 A, 1 B): the FIFO has
// run low. Returns an Alert as start_timed_dma does.
std::uint32_t start_sound_dma(unsigned fifo);

// One complete transfer of `channel`, all its units at once. Returns ALERT_INTERRUPT when it
// raised its interrupt (having flushed the RAM cache itself if it overwrote translated code, as
// the runtime will not), else ALERT_CODE_OVERWRITTEN, else what an I/O or cartridge write said.
std::uint32_t run_dma_channel(DmaChannel& channel);
