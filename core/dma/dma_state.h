#pragma once
// A DMA channel as the machine record holds it; core/dma/dma.h decodes and runs it.

#include <cstdint>

// One DMA channel as its last enabling control write left it.
enum DmaStartMode : std::uint32_t {
  DMA_IMMEDIATE = 0,
  DMA_VBLANK = 1,
  DMA_HBLANK = 2,
  DMA_SPECIAL = 3,  // the sound FIFOs ask for it
  DMA_INACTIVE = 4,
};
enum DmaSoundLink : std::uint32_t { DMA_LINK_FIFO_A = 0, DMA_LINK_FIFO_B = 1, DMA_LINK_NONE = 2 };
struct DmaChannel {
  std::uint32_t channel;
  std::uint32_t source;
  std::uint32_t dest;
  std::uint32_t unit_count;
  std::uint32_t repeat;
  std::uint32_t sound_link;   // DmaSoundLink
  std::uint32_t source_step;  // 0 up, 1 down, 2 fixed
  std::uint32_t dest_step;    // 0 up, 1 down, 2 fixed, 3 up and reload
  std::uint32_t word_size;    // 0 halfwords, 1 words
  std::uint32_t start_mode;   // DmaStartMode
  std::uint32_t irq_enable;
};
static_assert(sizeof(DmaChannel) == 44);
