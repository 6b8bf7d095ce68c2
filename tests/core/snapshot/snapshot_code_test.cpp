// Code translated before a load must never run after it, even where the loaded memory holds
// different instructions at the same address.

#include <gtest/gtest.h>

#include <vector>

#include "core/dma/dma.h"
#include "core/snapshot/snapshot.h"
#include "core/timing/timers.h"
#include "tests/cpu/guest_machine.h"

namespace {

constexpr std::uint32_t IWRAM_CODE = 0x03000000;
constexpr std::uint32_t IWRAM_STOP = 0x03000100;
constexpr std::uint32_t ROM_CODE = 0x08000000;
constexpr std::uint32_t ROM_STOP = 0x08000100;

constexpr std::uint32_t MOV_R0_1 = 0xE3A00001;
constexpr std::uint32_t MOV_R0_2 = 0xE3A00002;

void place_programs() {
  // In IWRAM: mov r0, #1 then b IWRAM_STOP.
  write_guest_words(IWRAM_CODE, {MOV_R0_1, 0xEA00003D});
  // In ROM: ldr r1, =IWRAM_CODE; ldr r2, =MOV_R0_2; str r2, [r1]; b ROM_STOP; the two literals.
  write_guest_words(ROM_CODE,
                    {0xE59F1008, 0xE59F2008, 0xE5812000, 0xEA00003B, IWRAM_CODE, MOV_R0_2});
}

std::uint32_t run_iwram_code() {
  GuestState start{};
  start.r[15] = IWRAM_CODE;
  start.cpsr = 0xDF;
  GuestState end{};
  EXPECT_EQ(run_guest(start, IWRAM_STOP, end), RunResult::STOPPED);
  return end.r[0];
}

TEST(SnapshotCode, CodeTranslatedBeforeALoadNeverRunsAfterIt) {
  reset_guest_machine();
  reset_timers();  // the translator driver leaves them zeroed, which no game start does
  reset_dma_channels();
  place_programs();
  ASSERT_EQ(run_iwram_code(), 1u);
  std::vector<std::uint8_t> image(SNAPSHOT_BYTES);
  build_snapshot_image(image.data());

  GuestState start{};
  start.r[15] = ROM_CODE;
  start.cpsr = 0xDF;
  GuestState end{};
  ASSERT_EQ(run_guest(start, ROM_STOP, end), RunResult::STOPPED);  // rewrites the IWRAM code
  ASSERT_EQ(run_iwram_code(), 2u);

  ASSERT_TRUE(apply_snapshot_image(image.data()));
  EXPECT_EQ(run_iwram_code(), 1u);
}

}  // namespace
