// Directed cases for the ARM translator whose expected results follow from the architecture by
// hand; the differential tests cover the instruction classes at random.

#include <gtest/gtest.h>

#include "core/state.h"
#include "cpu/translation_cache.h"
#include "tests/cpu/guest_machine.h"

namespace {

constexpr std::uint32_t ROM = 0x08000000;
constexpr std::uint32_t IWRAM = 0x03000000;
constexpr std::uint32_t SYSTEM_MODE = 0x1F;
constexpr std::uint32_t N = 1u << 31, Z = 1u << 30, C = 1u << 29, V = 1u << 28;

class ArmTranslatorTest : public ::testing::Test {
 protected:
  void SetUp() override { reset_guest_machine(); }

  GuestState run(std::uint32_t at, const std::vector<std::uint32_t>& code,
                 std::uint32_t cpsr = SYSTEM_MODE) {
    write_guest_words(at, code);
    GuestState start{};
    start.r[13] = 0x03007F00;
    start.r[15] = at;
    start.cpsr = cpsr;
    for (unsigned n = 0; n < 13; ++n) start.r[n] = initial[n];
    GuestState out{};
    result = run_guest(start, at + 4 * static_cast<std::uint32_t>(code.size()), out);
    return out;
  }

  std::uint32_t initial[13] = {};
  RunResult result = RunResult::STOPPED;
};

TEST_F(ArmTranslatorTest, StraightLineArithmeticReachesTheStop) {
  GuestState out = run(ROM, {
      0xE3A00005,  // mov r0, #5
      0xE2801003,  // add r1, r0, #3
      0xE0412000,  // sub r2, r1, r0
      0xE1A03102,  // mov r3, r2, lsl #2
  });
  ASSERT_EQ(result, RunResult::STOPPED);
  EXPECT_EQ(out.r[0], 5u);
  EXPECT_EQ(out.r[1], 8u);
  EXPECT_EQ(out.r[2], 3u);
  EXPECT_EQ(out.r[3], 12u);
  EXPECT_EQ(out.r[15], ROM + 16);
}

TEST_F(ArmTranslatorTest, CountdownLoopRunsThroughTheBudgetExits) {
  initial[0] = 10000;
  GuestState out = run(IWRAM + 0x400, {
      0xE2400001,  // loop: sub r0, r0, #1
      0xE2811002,  //       add r1, r1, #2
      0xE3500000,  //       cmp r0, #0
      0x1AFFFFFB,  //       bne loop
  }, SYSTEM_MODE);
  ASSERT_EQ(result, RunResult::STOPPED);
  EXPECT_EQ(out.r[0], 0u);
  EXPECT_EQ(out.r[1], 20000u);
  EXPECT_EQ(out.cpsr & (N | Z | C | V), Z | C);  // 0 - 0: equal, no borrow
}

TEST_F(ArmTranslatorTest, FlagsFollowTheArchitectureThroughMrs) {
  struct Case {
    std::uint32_t a, b, opcode, flags;
  } cases[] = {
      {0x7FFFFFFF, 1, 0xE0902001, N | V},          // adds r2, r0, r1
      {0xFFFFFFFF, 1, 0xE0902001, Z | C},          // adds: carry out, zero
      {0, 1, 0xE0502001, N},                       // subs 0 - 1: borrow clears C
      {5, 5, 0xE0502001, Z | C},                   // subs equal
      {0x80000000, 1, 0xE0502001, C | V},          // subs: signed overflow
      {0x80000000, 0, 0xE1B02080, Z | C},          // movs r2, r0, lsl #1: carry from bit 31
  };
  for (const Case& c : cases) {
    reset_guest_machine();
    initial[0] = c.a;
    initial[1] = c.b;
    GuestState out = run(ROM, {c.opcode, 0xE10F3000 /* mrs r3, cpsr */});
    ASSERT_EQ(result, RunResult::STOPPED);
    EXPECT_EQ(out.r[3] & 0xF0000000, c.flags) << std::hex << c.opcode << " " << c.a;
    EXPECT_EQ(out.cpsr & 0xF0000000, c.flags);
  }
}

TEST_F(ArmTranslatorTest, LoadsAndStoresReachWorkRam) {
  initial[0] = IWRAM + 0x100;
  initial[1] = 0xCAFEBABE;
  GuestState out = run(ROM, {
      0xE5801004,  // str r1, [r0, #4]
      0xE5902004,  // ldr r2, [r0, #4]
      0xE5D03005,  // ldrb r3, [r0, #5]
      0xE4904004,  // ldr r4, [r0], #4
  });
  ASSERT_EQ(result, RunResult::STOPPED);
  EXPECT_EQ(read_guest_word(IWRAM + 0x104), 0xCAFEBABEu);
  EXPECT_EQ(out.r[2], 0xCAFEBABEu);
  EXPECT_EQ(out.r[3], 0xBAu);
  EXPECT_EQ(out.r[0], IWRAM + 0x104);
}

TEST_F(ArmTranslatorTest, CallAndReturnThroughTheLinkRegister) {
  GuestState out = run(ROM, {
      0xEB000001,  // bl sub
      0xE2800001,  // add r0, r0, #1
      0xEA000001,  // b end
      0xE3A0000A,  // sub: mov r0, #10
      0xE12FFF1E,  // bx lr
  });
  ASSERT_EQ(result, RunResult::STOPPED);
  EXPECT_EQ(out.r[0], 11u);
  EXPECT_EQ(out.r[14], ROM + 4);
}

}  // namespace
