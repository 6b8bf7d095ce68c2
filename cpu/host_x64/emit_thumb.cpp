// What Thumb needs of x86-64 beyond the ARM classes.

#include "cpu/block_emission.h"
#include "cpu/host_emitter.h"
#include "cpu/host_x64/block_code.h"
#include "cpu/runtime.h"

using namespace Xbyak::util;
using namespace x64;

void host_emit_long_branch_from_lr(BlockPlan& plan, std::uint32_t offset,
                                   std::uint32_t return_address) {
  load_guest(eax, 14, 0);
  code().lea(eax, code().ptr[rax + static_cast<int>(offset)]);
  store_guest_constant(14, return_address);
  flush_pending_cycles(plan);
  leave_for_runtime(jump_indirect_thumb);
}
