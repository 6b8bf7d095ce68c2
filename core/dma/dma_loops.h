#pragma once
// The specialised transfer loops. There is one straight loop per unit size, source step,
// destination step, source region class and destination region class, so that moving a unit
// decides nothing about regions: what is left per unit is a load, a store and an offset mask
// (plus a page check for cartridge sources).

#include <cstdint>

#include "core/alerts.h"

// Region classes, numbered as the loop tables are indexed.
enum DmaClass : unsigned {
  DMA_CLASS_IWRAM,
  DMA_CLASS_EWRAM,
  DMA_CLASS_VRAM,
  DMA_CLASS_PALETTE,
  DMA_CLASS_OAM,
  DMA_CLASS_IO,
  DMA_CLASS_ROM,
  DMA_CLASS_BACKUP,  // EEPROM, SRAM and flash: the cartridge's slow bus
  DMA_CLASS_BIOS,
  DMA_CLASS_NULL,
  DMA_CLASSES,
};

// Class of a 28-bit DMA address, by its bits 24-27.
inline DmaClass dma_class_of(std::uint32_t address) {
  static constexpr DmaClass by_region[16] = {
      DMA_CLASS_BIOS, DMA_CLASS_NULL,    DMA_CLASS_EWRAM,  DMA_CLASS_IWRAM,
      DMA_CLASS_IO,   DMA_CLASS_PALETTE, DMA_CLASS_VRAM,   DMA_CLASS_OAM,
      DMA_CLASS_ROM,  DMA_CLASS_ROM,     DMA_CLASS_ROM,    DMA_CLASS_ROM,
      DMA_CLASS_ROM,  DMA_CLASS_BACKUP,  DMA_CLASS_BACKUP, DMA_CLASS_BACKUP,
  };
  return by_region[(address >> 24) & 0xF];
}

// Address steps as the control register encodes them. The destination's 3 moves up like 0 (the
// reload happens after the transfer); the source's 3 is unhandled and moves nothing.
enum DmaStep : std::uint32_t {
  DMA_STEP_UP = 0,
  DMA_STEP_DOWN = 1,
  DMA_STEP_FIXED = 2,
  DMA_STEP_UP_RELOAD = 3,
};
constexpr unsigned DMA_MOVING_STEPS = 3;

// Moves `count` units (at least 1) from `source` to `dest`, both aligned to the unit size.
// Returns an Alert: ALERT_CODE_OVERWRITTEN when a unit landed on translated RAM code, or what the
// I/O or cartridge writes reported.
using DmaLoop = std::uint32_t (*)(std::uint32_t source, std::uint32_t dest, std::uint32_t count);

// The loop for halfword (16) or word (32) units. Steps are 0-2; null when the pair of classes
// moves nothing (null source; ROM, BIOS or null destination).
DmaLoop dma_loop16(unsigned source_step, unsigned dest_step, DmaClass source, DmaClass dest);
DmaLoop dma_loop32(unsigned source_step, unsigned dest_step, DmaClass source, DmaClass dest);

// Two Alerts of one transfer as one: a flush request must survive, since dropping it would leave
// stale translated code running; otherwise the later request stands.
constexpr std::uint32_t combine_alerts(std::uint32_t earlier, std::uint32_t later) {
  if (earlier == ALERT_CODE_OVERWRITTEN || later == ALERT_CODE_OVERWRITTEN) {
    return ALERT_CODE_OVERWRITTEN;
  }
  return later != ALERT_NONE ? later : earlier;
}
