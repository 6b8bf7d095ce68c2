// What Thumb needs of the ARM host beyond the ARM classes.

#include "cpu/block_emission.h"
#include "cpu/host_arm32/block_code.h"
#include "cpu/host_emitter.h"
#include "cpu/runtime.h"

using namespace arm32;

void host_emit_long_branch_from_lr(BlockPlan& plan, std::uint32_t offset,
                                   std::uint32_t return_address) {
  unsigned lr = read_guest(14, R0, 0);
  emit_add_constant(R0, lr, static_cast<std::int32_t>(offset));
  store_guest_constant(14, return_address);
  flush_pending_cycles(plan);
  jump_runtime(jump_indirect_thumb);
}
