// One complete transfer of a channel, all its units at once, between two scheduler events.

#include <algorithm>

#include "core/alerts.h"
#include "core/dma/dma.h"
#include "core/dma/dma_loops.h"
#include "core/io/io_registers.h"
#include "core/machine_link.h"
#include "core/state.h"

namespace {

constexpr std::uint32_t ADDRESS_MASK = 0x0FFFFFFF;
constexpr std::uint32_t REGION_BYTES = 0x01000000;
constexpr std::uint32_t CONTROL_ENABLE = 1u << 15;

struct Run {
  std::uint32_t source;
  std::uint32_t dest;
};

std::uint32_t unit_bytes(const DmaChannel& c) { return c.word_size ? 4 : 2; }

std::uint32_t advanced(std::uint32_t address, std::uint32_t step, std::uint32_t bytes) {
  if (step == DMA_STEP_UP || step == DMA_STEP_UP_RELOAD) address += bytes;
  if (step == DMA_STEP_DOWN) address -= bytes;
  return address & ADDRESS_MASK;
}

// Units, counted from the first, whose destination lies in the first unit's 16 MB region. Both
// parts of a split are sized in units, so the source of the second part continues exactly where
// the first part's last unit left it.
std::uint32_t units_in_first_region(const DmaChannel& c, std::uint32_t dest) {
  std::uint32_t offset = dest & (REGION_BYTES - 1);
  switch (c.dest_step) {
    case DMA_STEP_UP:
    case DMA_STEP_UP_RELOAD: return std::min(c.unit_count, (REGION_BYTES - offset) / unit_bytes(c));
    case DMA_STEP_DOWN: return std::min(c.unit_count, offset / unit_bytes(c) + 1);
    default: return c.unit_count;
  }
}

// Moves `count` units of `c` from `run` on, within one destination region, and advances `run`.
std::uint32_t move_part(const DmaChannel& c, Run& run, std::uint32_t count) {
  unsigned dest_step = c.dest_step == DMA_STEP_UP_RELOAD ? DMA_STEP_UP : c.dest_step;
  DmaClass from = dma_class_of(run.source);
  DmaClass to = dma_class_of(run.dest);
  DmaLoop loop = c.word_size ? dma_loop32(c.source_step, dest_step, from, to)
                             : dma_loop16(c.source_step, dest_step, from, to);
  std::uint32_t alert = loop != nullptr ? loop(run.source, run.dest, count) : ALERT_NONE;
  run.source = advanced(run.source, c.source_step, count * unit_bytes(c));
  run.dest = advanced(run.dest, c.dest_step, count * unit_bytes(c));
  return alert;
}

std::uint32_t move_units(const DmaChannel& c, Run& run) {
  std::uint32_t first = units_in_first_region(c, run.dest);
  std::uint32_t alert = move_part(c, run, first);
  if (first < c.unit_count) alert = combine_alerts(alert, move_part(c, run, c.unit_count - first));
  return alert;
}

void disarm(DmaChannel& c) {
  c.start_mode = DMA_INACTIVE;
  c.sound_link = DMA_LINK_NONE;
  std::uint32_t control = dma_register_base(c.channel) + DMA_CNT_H;
  io_store16(control, io_read16(control) & ~CONTROL_ENABLE);
}

// The interrupt's alert takes the place of the flush request, so the flush cannot be left to
// the runtime: the translated code is dropped here, and a CPU that was stopped inside it looks
// its next block up afresh.
void drop_overwritten_code() {
  machine_link.flush_ram_code();
  machine_link.request_redispatch();
}

}  // namespace

std::uint32_t run_dma_channel(DmaChannel& c) {
  std::uint32_t alignment = ~(unit_bytes(c) - 1);
  Run run{c.source & alignment, c.dest & alignment};
  std::uint32_t alert = ALERT_NONE;
  if (c.source_step != DMA_STEP_UP_RELOAD) alert = move_units(c, run);
  c.source = run.source;
  if (c.dest_step != DMA_STEP_UP_RELOAD) c.dest = run.dest;
  if (c.repeat == 0 || c.start_mode == DMA_IMMEDIATE) disarm(c);
  if (c.irq_enable) {
    if (alert == ALERT_CODE_OVERWRITTEN) drop_overwritten_code();
    machine_link.raise_interrupts(INTERRUPT_DMA0 << c.channel);
    return ALERT_INTERRUPT;
  }
  return alert;
}
