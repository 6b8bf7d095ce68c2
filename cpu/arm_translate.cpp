#include "cpu/arm_translate.h"

#include "cpu/arm_scan.h"
#include "cpu/block_emission.h"
#include "cpu/instruction_emission.h"
#include "cpu/thumb_translate.h"
#include "cpu/translation_cache.h"

int translate_arm_block(std::uint32_t pc, int region, int tag_code) {
  BlockPlan& plan = block_plan;
  unsigned limit = MAX_BLOCK_INSTRUCTIONS;
  // A second pass only when the first one's code grew too long: the scan then ends it earlier,
  // so exits, branch targets and flag liveness fit the shorter block.
  for (;;) {
    begin_block_plan(plan, pc, region, 4, limit);
    if (tag_code) note_ram_block_start(pc);
    scan_arm_block(plan, tag_code != 0);
    int result = emit_and_link_block(plan, emit_arm_instruction, tag_code != 0);
    if (result != BLOCK_TOO_LONG) return result;
    limit = plan.instruction_limit;
  }
}

void install_translators() {
  arm_translator = translate_arm_block;
  thumb_translator = translate_thumb_block;
}
