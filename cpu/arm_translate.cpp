#include "cpu/arm_translate.h"

#include "cpu/arm_scan.h"
#include "cpu/block_emission.h"
#include "cpu/host_emitter.h"
#include "cpu/translation_cache.h"

int translate_arm_block(std::uint32_t pc, int region, int tag_code) {
  BlockPlan& plan = block_plan;
  plan.start = pc;
  plan.count = 0;
  plan.instruction_size = 4;
  plan.region = region;
  plan.ends_with_jump = false;
  plan.pending_cycles = 0;
  plan.exit_count = 0;
  plan.emitted_exits = 0;
  if (tag_code) note_ram_block_start(pc);
  scan_arm_block(plan, tag_code != 0);
  return emit_and_link_block(plan, host_emit_arm_instruction, tag_code != 0);
}

void install_translators() { arm_translator = translate_arm_block; }
