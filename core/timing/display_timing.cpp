// Each line is 960 cycles of drawing and 272 of H-blank; lines 160-227 are V-blank. The display
// moves only at those two events per line, and DISPSTAT and VCOUNT change only there.

#include "core/timing/display_timing.h"

#include "core/alerts.h"
#include "core/dma/dma.h"
#include "core/io/io_registers.h"
#include "core/machine_link.h"
#include "core/sound/sound.h"
#include "core/state.h"
#include "core/timing/scheduler.h"

namespace {

constexpr std::uint32_t DISPSTAT_VBLANK = 1u << 0;
constexpr std::uint32_t DISPSTAT_HBLANK = 1u << 1;
constexpr std::uint32_t DISPSTAT_VCOUNT_MATCH = 1u << 2;
constexpr std::uint32_t DISPSTAT_VBLANK_IRQ = 1u << 3;
constexpr std::uint32_t DISPSTAT_HBLANK_IRQ = 1u << 4;
constexpr std::uint32_t DISPSTAT_VCOUNT_IRQ = 1u << 5;

// A DMA started by the display may overwrite translated RAM code under the block that was
// running: the CPU must look its next block up afresh.
void run_display_dma(DmaStartMode mode) {
  if (start_timed_dma(mode) == ALERT_CODE_OVERWRITTEN) {
    machine_link.flush_ram_code();
    machine_link.request_redispatch();
  }
}

void end_drawing(std::uint32_t& dispstat, DisplayStep& step) {
  machine.line_countdown += LINE_HBLANK_CYCLES;
  dispstat |= DISPSTAT_HBLANK;
  if ((dispstat & DISPSTAT_VBLANK) == 0) {
    machine_link.draw_line();
    run_display_dma(DMA_HBLANK);
  }
  if (dispstat & DISPSTAT_HBLANK_IRQ) step.interrupts |= INTERRUPT_HBLANK;
}

void start_vblank(std::uint32_t& dispstat, DisplayStep& step) {
  dispstat |= DISPSTAT_VBLANK;
  if (dispstat & DISPSTAT_VBLANK_IRQ) step.interrupts |= INTERRUPT_VBLANK;
  for (unsigned background = 0; background < 2; ++background) {
    machine.affine_ref_x[background] = io_affine_reference(IO_BG2X + 0x10 * background);
    machine.affine_ref_y[background] = io_affine_reference(IO_BG2Y + 0x10 * background);
  }
  run_display_dma(DMA_VBLANK);
}

void decide_frame_skip() {
  if (machine.skip_counter < scheduler_host.frame_skip) {
    machine.skip_frame = 1;
    machine.skip_counter += 1;
  } else {
    machine.skip_frame = 0;
    machine.skip_counter = 1;
  }
}

// Returns false when a snapshot was loaded meanwhile: the machine is then the snapshot's.
bool end_frame(std::uint32_t& dispstat) {
  dispstat &= ~DISPSTAT_VBLANK;
  machine.frames_done += 1;
  sound_update(machine.elapsed_cycles);
  decide_frame_skip();
  machine_link.frame_end();
  return scheduler_host.frame_hook == nullptr || !scheduler_host.frame_hook();
}

void check_vcount_match(std::uint32_t line, std::uint32_t& dispstat, DisplayStep& step) {
  if (line == dispstat >> 8) {
    dispstat |= DISPSTAT_VCOUNT_MATCH;
    if (dispstat & DISPSTAT_VCOUNT_IRQ) step.interrupts |= INTERRUPT_VCOUNT;
  } else {
    dispstat &= ~DISPSTAT_VCOUNT_MATCH;
  }
}

// Returns false when the frame end was abandoned for a loaded snapshot.
bool end_line(std::uint32_t& dispstat, DisplayStep& step) {
  machine.line_countdown += LINE_DRAW_CYCLES;
  dispstat &= ~DISPSTAT_HBLANK;
  std::uint32_t line = io_read16(IO_VCOUNT) + 1;
  if (line == VISIBLE_LINES) start_vblank(dispstat, step);
  if (line >= LINES_PER_FRAME) {
    if (!end_frame(dispstat)) return false;
    line = 0;
  }
  check_vcount_match(line, dispstat, step);
  io_store16(IO_VCOUNT, line);
  return true;
}

}  // namespace

DisplayStep advance_display(std::uint32_t cycles) {
  DisplayStep step{};
  machine.line_countdown -= static_cast<std::int32_t>(cycles);
  if (machine.line_countdown > 0) return step;
  std::uint32_t dispstat = io_read16(IO_DISPSTAT);
  if ((dispstat & DISPSTAT_HBLANK) == 0) {
    end_drawing(dispstat, step);
  } else if (!end_line(dispstat, step)) {
    step.abandoned = true;
    return step;
  }
  io_store16(IO_DISPSTAT, dispstat);
  return step;
}
