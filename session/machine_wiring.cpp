#include "session/machine_wiring.h"

#include "core/machine_link.h"
#include "cpu/cpu_state.h"
#include "cpu/runtime.h"
#include "cpu/translation_cache.h"
#include "video/video.h"

namespace {

bool stop_requested() { return emulation_stop_requested(); }

}  // namespace

void connect_machine() {
  machine_link = {
      .raise_interrupts = raise_interrupt_flags,
      .set_halt_state = set_cpu_halt_state,
      .halt_state = cpu_halt_state,
      .request_redispatch = request_redispatch,
      .stop_requested = stop_requested,
      .flush_ram_code = flush_ram_cache,
      .flush_all_code = flush_all_caches,
      .store_cpu_state = store_cpu_state,
      .load_cpu_state = load_cpu_state,
      .draw_line = video_scanline,
      .frame_end = video_frame_end,
  };
  runtime_scheduler = machine_scheduler_step;
}
