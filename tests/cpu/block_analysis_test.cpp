// What the scan works out about a block for the hosts: which registers it writes (a host that
// writes back only those must never miss one) and how much it uses each, and which flags the
// code at a branch target reads first. Expected values follow from the architecture by hand.

#include <gtest/gtest.h>

#include <cstring>

#include "core/state.h"
#include "cpu/block_scan.h"
#include "cpu/code_memory.h"
#include "cpu/register_use.h"
#include "cpu/thumb_decode.h"
#include "tests/cpu/empty_caches.h"

namespace {

constexpr std::uint16_t regs(std::initializer_list<unsigned> list) {
  unsigned mask = 0;
  for (unsigned n : list) mask |= 1u << n;
  return static_cast<std::uint16_t>(mask);
}

BlockPlan plan;

RegisterUse use_of(std::uint32_t opcode, unsigned size) {
  begin_block_plan(plan, 0x08000000, CODE_REGION_ROM, size);
  plan.records[0] = {nullptr, opcode, CONDITION_ALWAYS, 0, ALL_FLAGS, false, 0, ALL_FLAGS};
  plan.count = 1;
  plan.end = plan.start + size;
  return count_register_use(plan);
}

TEST(BlockAnalysisTest, EveryRegisterAnInstructionWritesCountsAsWritten) {
  const struct {
    std::uint32_t opcode;
    unsigned size;
    std::uint16_t writes;
    const char* text;
  } cases[] = {
      {0xE0821003, 4, regs({1}), "add r1, r2, r3"},
      {0xE1520003, 4, 0, "cmp r2, r3"},
      {0xE0010392, 4, regs({1}), "mul r1, r2, r3"},
      {0xE0832190, 4, regs({2, 3}), "umull r2, r3, r0, r1"},
      {0xE5912004, 4, regs({2}), "ldr r2, [r1, #4]"},
      {0xE5B12004, 4, regs({1, 2}), "ldr r2, [r1, #4]!"},
      {0xE4812004, 4, regs({1}), "str r2, [r1], #4"},
      {0xE0D120B2, 4, regs({1, 2}), "ldrh r2, [r1], #2"},
      {0xE8B1000C, 4, regs({1, 2, 3}), "ldmia r1!, {r2, r3}"},
      {0xE1012093, 4, regs({2}), "swp r2, r3, [r1]"},
      {0xEB000000, 4, regs({14}), "bl"},
      {0xE10F2000, 4, regs({2}), "mrs r2, cpsr"},
      {0x1888, 2, regs({0}), "adds r0, r1, r2"},
      {0xBC0F, 2, regs({0, 1, 2, 3, 13}), "pop {r0-r3}"},
      {0xB5F0, 2, regs({13}), "push {r4-r7, lr}"},
      {0xA201, 2, regs({2}), "add r2, pc, #4"},
      {0xF000, 2, regs({14}), "bl, first half"},
      {0xF800, 2, regs({14}), "bl, second half"},
      {0x4690, 2, regs({8}), "mov r8, r2"},
  };
  for (const auto& c : cases) {
    RegisterUse use = use_of(c.opcode, c.size);
    EXPECT_EQ(use.written & c.writes, c.writes) << c.text;
    EXPECT_EQ(use.weight[15], 0u) << c.text;
  }
}

TEST(BlockAnalysisTest, RegistersOfALoopOutweighTheRest) {
  begin_block_plan(plan, 0x08000000, CODE_REGION_ROM, 4);
  const std::uint32_t code[] = {0xE0866007, 0xE0866007,   // add r6, r6, r7 twice
                                0xE2500001, 0x1AFFFFFD};  // loop: subs r0, r0, #1; bne loop
  for (std::uint32_t opcode : code) {
    plan.records[plan.count++] = {nullptr, opcode, CONDITION_ALWAYS, 0, ALL_FLAGS,
                                  false,   0,      ALL_FLAGS};
  }
  plan.records[3].has_branch_target = true;
  plan.records[3].branch_target = 0x08000008;
  plan.end = plan.start + 16;
  RegisterUse use = count_register_use(plan);
  EXPECT_GT(use.weight[0], use.weight[6]);
  EXPECT_GT(use.weight[6], use.weight[1]);
}

// What the hosts that cache registers per block take from the counts: the heaviest first, ties to
// the lower number, none the block does not name; and which branches stay in the block.
TEST(BlockAnalysisTest, HostsCacheTheHeaviestRegistersAndKeepThemForBranchesInside) {
  RegisterUse use{};
  use.weight[2] = 5;
  use.weight[9] = 8;
  use.weight[4] = 5;
  use.weight[14] = 1;
  std::uint8_t chosen[6] = {};
  ASSERT_EQ(choose_cached_registers(use, 3, chosen), 3u);
  EXPECT_EQ(chosen[0], 9);
  EXPECT_EQ(chosen[1], 2);
  EXPECT_EQ(chosen[2], 4);
  ASSERT_EQ(choose_cached_registers(use, 6, chosen), 4u);
  EXPECT_EQ(chosen[3], 14);

  const BlockSpan arm = {0x08000100, 0x08000110, 4};
  const BlockSpan thumb = {0x08000100, 0x08000110, 2};
  const struct {
    BlockSpan span;
    std::uint32_t target;
    bool thumb_target;
    bool inside;
  } cases[] = {
      {arm, 0x08000100, false, true},   {arm, 0x0800010C, false, true},
      {arm, 0x08000110, false, false},  {arm, 0x080000FC, false, false},
      {arm, 0x08000102, false, false},  {arm, 0x08000104, true, false},
      {thumb, 0x08000102, true, true},  {thumb, 0x08000102, false, false},
      {thumb, 0x08000110, true, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(stays_inside(c.span, c.target, c.thumb_target), c.inside)
        << std::hex << c.target << (c.thumb_target ? " thumb" : " arm");
  }
}

// The code at a branch target in ROM: which flags it reads before writing them. Past the rows'
// three halfwords come zeros, lsls r0, r0, #0, which write N and Z only.
TEST(BlockAnalysisTest, TheFlagsReadAtATargetAreThoseReadBeforeWritten) {
  start_with_empty_caches();
  static std::uint8_t rom[0x8000];
  machine.read_map[0x08000000 >> 15] = rom;
  const InstructionSetFlags thumb = {
      thumb_flag_usage, [](std::uint32_t h) { return (h & 0xF000) == 0xD000; },
      [](std::uint32_t h) { return (h & 0xF000) == 0xD000 ? (h >> 8) & 15 : CONDITION_ALWAYS; }};
  const struct {
    std::uint16_t code[3];
    std::uint8_t reads;
    const char* text;
  } cases[] = {
      {{0x4280, 0x46C0, 0x46C0}, 0, "cmp r0, r0 first"},
      {{0x2001, 0x4140, 0x46C0}, FLAG_C, "movs r0, #1; adcs r0, r0"},
      {{0x2001, 0x4280, 0x46C0}, 0, "movs r0, #1; cmp r0, r0"},
      {{0x46C0, 0xD000, 0x4280}, ALL_FLAGS, "a branch before any write"},
      {{0x2001, 0xD100, 0x4280}, FLAG_C | FLAG_V, "a branch after movs"},
      {{0x46C0, 0x46C0, 0x46C0}, FLAG_C | FLAG_V, "C and V never written within the look"},
  };
  begin_block_plan(plan, 0x08000100, CODE_REGION_ROM, 2);
  for (const auto& c : cases) {
    std::memset(rom, 0, sizeof rom);
    std::memcpy(rom + 0x200, c.code, sizeof c.code);
    EXPECT_EQ(flags_read_at(plan, 0x08000200, thumb), c.reads) << c.text;
  }
  // Work RAM code counts only under a block in work RAM, which tags it.
  EXPECT_EQ(flags_read_at(plan, 0x03000000, thumb), ALL_FLAGS);
  machine.read_map[0x08000000 >> 15] = nullptr;
}

}  // namespace
