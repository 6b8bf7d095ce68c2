#include "core/dma/dma_loop_templates.h"

DmaLoop dma_loop32(unsigned source_step, unsigned dest_step, DmaClass source, DmaClass dest) {
  return dma_loops::select_loop<std::uint32_t>(source_step, dest_step, source, dest);
}
