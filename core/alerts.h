#pragma once
// What a slow-path write, an I/O write or a DMA transfer asks of the generated-code runtime.

#include <cstdint>

enum Alert : std::uint32_t {
  ALERT_NONE = 0,
  ALERT_HALTED = 1,            // CPU halted or stopped: leave the block and run the scheduler
  ALERT_CODE_OVERWRITTEN = 2,  // translated RAM code was overwritten: flush and re-dispatch
  ALERT_INTERRUPT = 3,         // an interrupt was raised: run the scheduler now
};
