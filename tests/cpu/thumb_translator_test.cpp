// Directed cases for the Thumb translator and the state changes between ARM and Thumb; expected
// results follow from the architecture by hand.

#include <gtest/gtest.h>

#include "core/io/io_registers.h"
#include "core/state.h"
#include "cpu/cpu_state.h"
#include "cpu/translation_cache.h"
#include "tests/cpu/guest_machine.h"

namespace {

constexpr std::uint32_t ROM = 0x08000000;
constexpr std::uint32_t IWRAM = 0x03000000;
constexpr std::uint32_t SYSTEM_ARM = 0x1F;
constexpr std::uint32_t SYSTEM_THUMB = 0x3F;
constexpr std::uint32_t N = 1u << 31, Z = 1u << 30, C = 1u << 29, V = 1u << 28;

bool interrupt_raised;
void raise_interrupt_once() {
  if (!interrupt_raised) raise_interrupt_flags(1);
  interrupt_raised = true;
}

class ThumbTranslatorTest : public ::testing::Test {
 protected:
  void SetUp() override { reset_guest_machine(); }

  GuestState run(std::uint32_t at, const std::vector<std::uint16_t>& code) {
    write_guest_halfwords(at, code);
    GuestState start{};
    for (unsigned n = 0; n < 13; ++n) start.r[n] = initial[n];
    start.r[13] = 0x03007F00;
    start.r[15] = at;
    start.cpsr = SYSTEM_THUMB;
    GuestState out{};
    result = run_guest(start, at + 2 * static_cast<std::uint32_t>(code.size()), out);
    return out;
  }

  // A countdown of 3000 turns in IWRAM during which the scheduler raises one enabled interrupt.
  GuestState run_countdown_interrupted_once() {
    machine.io_regs[IO_IE] = 1;
    machine.io_regs[IO_IME] = 1;
    interrupt_raised = false;
    set_scheduler_hook(raise_interrupt_once);
    initial[0] = 3000;
    GuestState out = run(IWRAM + 0x400, {
                                            0x3801,  // loop: subs r0, #1
                                            0xD1FD,  //       bne loop
                                        });
    set_scheduler_hook(nullptr);
    return out;
  }

  std::uint32_t initial[13] = {};
  RunResult result = RunResult::STOPPED;
};

TEST_F(ThumbTranslatorTest, ArithmeticSetsTheFlagsAsTheArchitectureSays) {
  struct Case {
    std::uint32_t r0, r1;
    std::uint16_t instruction;
    std::uint32_t r2, flags;
  } cases[] = {
      {0x7FFFFFFF, 1, 0x1842, 0x80000000, N | V},  // adds r2, r0, r1
      {0xFFFFFFFF, 1, 0x1842, 0, Z | C},
      {0, 1, 0x1A42, 0xFFFFFFFF, N},               // subs r2, r0, r1: borrow clears C
      {0x80000001, 0, 0x0042, 2, C},               // lsls r2, r0, #1
      {3, 0, 0x0882, 0, Z | C},                    // lsrs r2, r0, #2: bit 1 out
      {0x80000000, 0, 0x1002, 0xFFFFFFFF, N | C},  // asrs r2, r0, #32: bit 31 out
  };
  for (const Case& c : cases) {
    reset_guest_machine();
    initial[0] = c.r0;
    initial[1] = c.r1;
    GuestState out = run(ROM, {c.instruction});
    ASSERT_EQ(result, RunResult::STOPPED);
    EXPECT_EQ(out.r[2], c.r2) << std::hex << c.instruction;
    EXPECT_EQ(out.cpsr & (N | Z | C | V), c.flags) << std::hex << c.instruction;
  }
}

TEST_F(ThumbTranslatorTest, AluOperationsAndMultiply) {
  initial[0] = 6;
  initial[1] = 7;
  initial[2] = 0xF0F0;
  initial[3] = 0x0FF0;
  GuestState out = run(ROM, {
                                0x4348,  // muls r0, r1       42
                                0x401A,  // ands r2, r3       0x00F0
                                0x424C,  // negs r4, r1       -7
                                0x43DD,  // mvns r5, r3
                            });
  ASSERT_EQ(result, RunResult::STOPPED);
  EXPECT_EQ(out.r[0], 42u);
  EXPECT_EQ(out.r[2], 0x00F0u);
  EXPECT_EQ(out.r[4], static_cast<std::uint32_t>(-7));
  EXPECT_EQ(out.r[5], ~0x0FF0u);
}

TEST_F(ThumbTranslatorTest, AConditionalBranchDoesNotEndTheBlock) {
  const std::vector<std::uint16_t> code = {
      0x2800,  // cmp r0, #0
      0xD000,  // beq +0 (over the next instruction)
      0x3101,  // adds r1, #1
      0x3201,  // adds r2, #1
  };
  initial[0] = 0;
  GuestState out = run(ROM, code);
  EXPECT_EQ(out.r[1], 0u);
  EXPECT_EQ(out.r[2], 1u);
  reset_guest_machine();
  initial[0] = 5;
  out = run(ROM, code);
  EXPECT_EQ(out.r[1], 1u);
  EXPECT_EQ(out.r[2], 1u);
}

TEST_F(ThumbTranslatorTest, LongBranchWithLinkCallsAndReturns) {
  GuestState out = run(ROM, {
                                0xF000, 0xF802,  // 0: bl 8
                                0x3001,          // 4: adds r0, #1
                                0xE002,          // 6: b 14 (the stop)
                                0x200A,          // 8: movs r0, #10
                                0x4770,          // 10: bx lr
                                0x46C0,          // 12: nop
                            });
  ASSERT_EQ(result, RunResult::STOPPED);
  EXPECT_EQ(out.r[0], 11u);
  EXPECT_EQ(out.r[14], (ROM + 4) | 1);
}

TEST_F(ThumbTranslatorTest, ALongBranchSplitAcrossBlocksTakesItsTargetFromLr) {
  // 8,191 no-ops end the first block right after the first half of the long branch.
  std::vector<std::uint16_t> code(8191, 0x46C0);  // mov r8, r8
  std::uint32_t prefix = ROM + 2 * 8191;
  code.push_back(0xF000);
  code.push_back(0xF802);  // bl +4: to prefix + 8
  code.push_back(0x3101);  // adds r1, #1 (skipped)
  code.push_back(0x3101);
  code.push_back(0x2205);  // target: movs r2, #5
  GuestState out = run(ROM, code);
  ASSERT_EQ(result, RunResult::STOPPED);
  EXPECT_EQ(out.r[1], 0u);
  EXPECT_EQ(out.r[2], 5u);
  EXPECT_EQ(out.r[14], (prefix + 4) | 1);
}

TEST_F(ThumbTranslatorTest, AddToPcJumpsButTheBlockGoesOn) {
  GuestState out = run(ROM, {
                                0x2002,  // 0: movs r0, #2
                                0x4487,  // 2: add pc, r0: to 2 + 4 + 2 = 8
                                0x2101,  // 4: movs r1, #1 (skipped)
                                0x2102,  // 6: movs r1, #2 (skipped)
                                0x2203,  // 8: movs r2, #3
                            });
  ASSERT_EQ(result, RunResult::STOPPED);
  EXPECT_EQ(out.r[1], 0u);
  EXPECT_EQ(out.r[2], 3u);
}

TEST_F(ThumbTranslatorTest, LoadsStoresPushAndPop) {
  initial[0] = IWRAM + 0x200;
  initial[1] = 0x12345678;
  initial[5] = 6;
  initial[7] = 0xABCD;
  GuestState out = run(ROM, {
                                0x6041,  // str r1, [r0, #4]
                                0x6842,  // ldr r2, [r0, #4]
                                0x7943,  // ldrb r3, [r0, #5]
                                0x5F44,  // ldsh r4, [r0, r5]: the halfword 0x1234 at +6
                                0xB480,  // push {r7}
                                0xBC40,  // pop {r6}
                            });
  ASSERT_EQ(result, RunResult::STOPPED);
  EXPECT_EQ(read_guest_word(IWRAM + 0x204), 0x12345678u);
  EXPECT_EQ(out.r[2], 0x12345678u);
  EXPECT_EQ(out.r[3], 0x56u);
  EXPECT_EQ(out.r[4], 0x1234u);
  EXPECT_EQ(out.r[6], 0xABCDu);
  EXPECT_EQ(out.r[13], 0x03007F00u);
  EXPECT_EQ(read_guest_word(0x03007EFC), 0xABCDu);
}

TEST_F(ThumbTranslatorTest, DivisionSwiRunsInline) {
  initial[0] = 100;
  initial[1] = 7;
  GuestState out = run(ROM, {0xDF06});  // swi 6
  ASSERT_EQ(result, RunResult::STOPPED);
  EXPECT_EQ(out.r[0], 14u);
  EXPECT_EQ(out.r[1], 2u);
  EXPECT_EQ(out.r[3], 14u);
  EXPECT_EQ(out.cpsr & 0x3F, SYSTEM_THUMB);
}

// cmp r0, r1 with r0 = 0, r1 = 1 leaves C clear; movs r2, #1 must keep it for the next block,
// whose adcs r3, r3 reads it: r3 stays 0. In work RAM the next block starts out writing every
// flag before reading any (C is dead after the movs then) and is rewritten by the guest to the
// adcs: the block with the movs must not outlive that.
TEST_F(ThumbTranslatorTest, FlagsStayLiveIntoTheNextBlockThatReadsThem) {
  auto run_to = [](std::uint32_t at, std::uint32_t stop, GuestState& out) {
    GuestState start{};
    start.r[1] = 1;
    start.r[5] = IWRAM + 0x140;
    start.r[6] = 0x415B;  // adcs r3, r3: what the guest makes the second RAM block start with
    start.r[13] = 0x03007F00;
    start.r[15] = at;
    start.cpsr = SYSTEM_THUMB;
    return run_guest(start, stop, out);
  };
  write_guest_halfwords(ROM, {0x4288, 0x2201, 0xE01C});  // cmp r0, r1; movs r2, #1; b ROM + 0x40
  write_guest_halfwords(ROM + 0x40, {0x415B});           // adcs r3, r3
  GuestState rom_out{};
  ASSERT_EQ(run_to(ROM, ROM + 0x42, rom_out), RunResult::STOPPED);
  EXPECT_EQ(rom_out.r[3], 0u);

  write_guest_halfwords(IWRAM + 0x100, {0x4288, 0x2201, 0xE01C});  // cmp; movs; b 0x140
  write_guest_halfwords(IWRAM + 0x140, {0x4280, 0xE01D});          // cmp r0, r0; b 0x180
  // cmp r7, #0; bne 0x1A0; movs r7, #1; strh r6, [r5]; b 0x100
  write_guest_halfwords(IWRAM + 0x180, {0x2F00, 0xD10D, 0x2701, 0x802E, 0xE7BA});
  GuestState ram_out{};
  ASSERT_EQ(run_to(IWRAM + 0x100, IWRAM + 0x1A0, ram_out), RunResult::STOPPED);
  EXPECT_EQ(ram_out.r[7], 1u);
  EXPECT_EQ(ram_out.r[3], 0u);
}

TEST_F(ThumbTranslatorTest, StoreIntoThumbCodeInRamResumesAtTheNextInstruction) {
  initial[0] = IWRAM + 0x406;
  initial[1] = 0x2207;  // movs r2, #7
  unsigned flushes = caches.ram_flush_count;
  GuestState out = run(IWRAM + 0x400, {
                                          0x8001,  // strh r1, [r0]
                                          0x3301,  // adds r3, #1
                                          0x46C0,  // nop
                                          0x2201,  // movs r2, #1: overwritten before it runs
                                      });
  ASSERT_EQ(result, RunResult::STOPPED);
  EXPECT_EQ(out.r[2], 7u);
  EXPECT_EQ(out.r[3], 1u);
  EXPECT_EQ(caches.ram_flush_count, flushes + 1);
}

TEST_F(ThumbTranslatorTest, BxCarriesEveryRegisterBetweenArmAndThumb) {
  write_guest_words(ROM, {
                             0xE28F0005,  // 0: add r0, pc, #5: Thumb code at 0x0C
                             0xE28F200C,  // 4: add r2, pc, #12: ARM code at 0x18
                             0xE12FFF10,  // 8: bx r0
                         });
  write_guest_halfwords(ROM + 0x0C,
                        {
                            0x2105,  // C: movs r1, #5
                            0x3401,  // E: adds r4, #1  (r4 is cached in Thumb state only)
                            0x4710,  // 10: bx r2
                        });
  write_guest_words(ROM + 0x18, {0xE2813001});  // 18: add r3, r1, #1
  GuestState start{};
  for (unsigned n = 0; n < 13; ++n) start.r[n] = 0x100 + n;
  start.r[13] = 0x03007F00;
  start.r[15] = ROM;
  start.cpsr = SYSTEM_ARM | C;
  GuestState out{};
  ASSERT_EQ(run_guest(start, ROM + 0x1C, out), RunResult::STOPPED);
  EXPECT_EQ(out.r[1], 5u);
  EXPECT_EQ(out.r[3], 6u);
  EXPECT_EQ(out.r[4], 0x105u);
  for (unsigned n : {5u, 6u, 7u, 8u, 9u, 10u, 11u, 12u}) EXPECT_EQ(out.r[n], 0x100 + n) << n;
  EXPECT_EQ(out.cpsr & 0x3F, SYSTEM_ARM);
  EXPECT_EQ(out.cpsr & (N | Z | C | V), 0u);  // adds r4, #1 cleared C
}

TEST_F(ThumbTranslatorTest, ABiosCallFromThumbReturnsToThumb) {
  initial[0] = 144;
  initial[6] = 0x66;
  GuestState out = run(ROM, {
                                0xDF08,  // swi 8: square root, in the BIOS
                                0x1C41,  // adds r1, r0, #1
                            });
  ASSERT_EQ(result, RunResult::STOPPED);
  EXPECT_EQ(out.r[0], 12u);
  EXPECT_EQ(out.r[1], 13u);
  EXPECT_EQ(out.r[6], 0x66u);
  EXPECT_EQ(out.cpsr & 0x3F, SYSTEM_THUMB);
}

// Regression (gba-tests thumb.gba 227): LDMIA with an empty list loads r15 and adds 0x40.
TEST_F(ThumbTranslatorTest, LdmiaWithAnEmptyListLoadsPcAndAdds64) {
  write_guest_words(IWRAM + 0x100, {ROM + 0x20});
  write_guest_halfwords(ROM + 0x20, {0x2507});  // movs r5, #7
  write_guest_halfwords(ROM, {0xC800});         // ldmia r0!, {}
  GuestState start{};
  start.r[0] = IWRAM + 0x100;
  start.r[15] = ROM;
  start.cpsr = SYSTEM_THUMB;
  GuestState out{};
  ASSERT_EQ(run_guest(start, ROM + 0x22, out), RunResult::STOPPED);
  EXPECT_EQ(out.r[5], 7u);
  EXPECT_EQ(out.r[0], IWRAM + 0x140);
}

TEST_F(ThumbTranslatorTest, AnInterruptInThumbCodeReturnsToIt) {
  std::uint32_t handler = ROM + 0x100;
  write_bios_words(0x18, {0xE59FF000, 0xE1A00000, handler});  // ldr pc, [pc, #0]
  // The handler marks r7, switches IME off so the request does not come straight back, and
  // returns to the interrupted instruction.
  write_guest_words(handler, {
                                 0xE3A07055,  // mov r7, #0x55
                                 0xE3A08301,  // mov r8, #0x04000000
                                 0xE3A09000,  // mov r9, #0
                                 0xE5889208,  // str r9, [r8, #0x208]
                                 0xE25EF004,  // subs pc, lr, #4
                             });
  GuestState out = run_countdown_interrupted_once();
  ASSERT_EQ(result, RunResult::STOPPED);
  EXPECT_TRUE(interrupt_raised);
  EXPECT_EQ(out.r[7], 0x55u);
  EXPECT_EQ(out.r[0], 0u);
  EXPECT_EQ(out.cpsr & 0x3F, SYSTEM_THUMB);
}

TEST_F(ThumbTranslatorTest, AnInterruptThroughTheBiosCallsTheUserHandlerAndComesBack) {
  std::uint32_t handler = ROM + 0x100;
  write_guest_words(0x03007FFC, {handler});
  write_guest_words(handler, {
                                 0xE3A07055,  // mov r7, #0x55
                                 0xE3A02301,  // mov r2, #0x04000000
                                 0xE3A03000,  // mov r3, #0
                                 0xE5823208,  // str r3, [r2, #0x208]: IME off
                                 0xE12FFF1E,  // bx lr: back into the BIOS
                             });
  initial[2] = 0x22;
  initial[3] = 0x33;
  GuestState out = run_countdown_interrupted_once();
  ASSERT_EQ(result, RunResult::STOPPED);
  EXPECT_TRUE(interrupt_raised);
  EXPECT_EQ(out.r[7], 0x55u);
  EXPECT_EQ(out.r[0], 0u);
  EXPECT_EQ(out.r[2], 0x22u);  // the BIOS saved and restored what the handler used
  EXPECT_EQ(out.r[3], 0x33u);
  EXPECT_EQ(out.cpsr & 0x3F, SYSTEM_THUMB);
}

}  // namespace
