// Directed cases for the ARM translator whose expected results follow from the architecture by
// hand; the differential tests cover the instruction classes at random.

#include <gtest/gtest.h>

#include "core/io/io_registers.h"
#include "core/state.h"
#include "cpu/cpu_state.h"
#include "cpu/translation_cache.h"
#include "cpu/translation_settings.h"
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

constexpr std::uint32_t NOP = 0xE1A00000;  // mov r0, r0

void enable_interrupt_zero() {
  machine.io_regs[IO_IE] = 1;
  machine.io_regs[IO_IME] = 1;
}

// The IRQ vector of a test's own: ldr pc, [pc, #0] through the word at 0x20.
void vector_irq_to(std::uint32_t handler) { write_bios_words(0x18, {0xE59FF000, NOP, handler}); }

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
  GuestState out = run(IWRAM + 0x400,
                       {
                           0xE2400001,  // loop: sub r0, r0, #1
                           0xE2811002,  //       add r1, r1, #2
                           0xE3500000,  //       cmp r0, #0
                           0x1AFFFFFB,  //       bne loop
                       },
                       SYSTEM_MODE);
  ASSERT_EQ(result, RunResult::STOPPED);
  EXPECT_EQ(out.r[0], 0u);
  EXPECT_EQ(out.r[1], 20000u);
  EXPECT_EQ(out.cpsr & (N | Z | C | V), Z | C);  // 0 - 0: equal, no borrow
}

TEST_F(ArmTranslatorTest, FlagsFollowTheArchitectureThroughMrs) {
  struct Case {
    std::uint32_t a, b, opcode, flags;
  } cases[] = {
      {0x7FFFFFFF, 1, 0xE0902001, N | V},  // adds r2, r0, r1
      {0xFFFFFFFF, 1, 0xE0902001, Z | C},  // adds: carry out, zero
      {0, 1, 0xE0502001, N},               // subs 0 - 1: borrow clears C
      {5, 5, 0xE0502001, Z | C},           // subs equal
      {0x80000000, 1, 0xE0502001, C | V},  // subs: signed overflow
      {0x80000000, 0, 0xE1B02080, Z | C},  // movs r2, r0, lsl #1: carry from bit 31
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

// Regression: the store routine's slow path once put the parked flags back twice, which turned V
// over whenever a store went through ordinary code.
TEST_F(ArmTranslatorTest, SlowPathLoadsAndStoresKeepEveryFlag) {
  initial[0] = 0x04000200;  // I/O: always the slow path for stores
  initial[1] = 0x05000000;  // palette: the slow path for loads
  GuestState out = run(ROM,
                       {
                           0xE5800000,  // str r0, [r0]
                           0xE1D120B0,  // ldrh r2, [r1]
                           0xE10F3000,  // mrs r3, cpsr
                       },
                       SYSTEM_MODE | N | Z | C | V);
  ASSERT_EQ(result, RunResult::STOPPED);
  EXPECT_EQ(out.r[3] & 0xF0000000, N | Z | C | V);
  reset_guest_machine();
  initial[0] = 0x04000200;
  initial[1] = 0x05000000;
  out = run(ROM, {0xE5800000, 0xE1D120B0, 0xE10F3000}, SYSTEM_MODE);
  EXPECT_EQ(out.r[3] & 0xF0000000, 0u);
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

TEST_F(ArmTranslatorTest, AFlagSettingConditionalInstructionGetsItsOwnTestAndSoDoesTheNext) {
  initial[0] = 1;
  GuestState out =
      run(ROM, {
                   0xE3500001,  // cmp r0, #1          Z set
                   0x02501002,  // subeqs r1, r0, #2   runs: -1, Z clear
                   0x02822005,  // addeq r2, r2, #5    must see the new Z and be skipped
                   0x12833007,  // addne r3, r3, #7    runs
               });
  ASSERT_EQ(result, RunResult::STOPPED);
  EXPECT_EQ(out.r[1], 0xFFFFFFFFu);
  EXPECT_EQ(out.r[2], 0u);
  EXPECT_EQ(out.r[3], 7u);
}

TEST_F(ArmTranslatorTest, CodeAfterTheLastJumpStaysInTheBlockWhenAnEarlierBranchTargetsIt) {
  const std::vector<std::uint32_t> code = {
      0xE3510000,  //  0: cmp r1, #0
      0x0A000001,  //  4: beq 16
      0xE2800001,  //  8: add r0, r0, #1
      0xEA000000,  // 12: b 20
      0xE280000A,  // 16: add r0, r0, #10
  };
  initial[1] = 0;
  EXPECT_EQ(run(ROM, code).r[0], 10u);
  reset_guest_machine();
  initial[1] = 1;
  EXPECT_EQ(run(ROM, code).r[0], 1u);
}

TEST_F(ArmTranslatorTest, DivisionSwiRunsInlineWithoutEnteringTheBios) {
  initial[0] = static_cast<std::uint32_t>(-100);
  initial[1] = 7;
  GuestState out = run(ROM, {0xEF060000});  // swi 0x060000
  ASSERT_EQ(result, RunResult::STOPPED);
  EXPECT_EQ(out.r[0], static_cast<std::uint32_t>(-14));
  EXPECT_EQ(out.r[1], static_cast<std::uint32_t>(-2));
  EXPECT_EQ(out.r[3], 14u);
  EXPECT_EQ(out.cpsr & 0x1F, SYSTEM_MODE);
}

TEST_F(ArmTranslatorTest, StoreOverTranslatedCodeFlushesAndResumesAtTheNextInstruction) {
  initial[0] = IWRAM + 0x40C;
  initial[1] = 0xE3A02007;  // mov r2, #7
  unsigned flushes = caches.ram_flush_count;
  GuestState out =
      run(IWRAM + 0x400,
          {
              0xE5801000,  // str r1, [r0]
              0xE2833001,  // add r3, r3, #1     runs once: execution resumes here, not before
              NOP,
              0xE3A02001,  // mov r2, #1          overwritten before it runs
          });
  ASSERT_EQ(result, RunResult::STOPPED);
  EXPECT_EQ(out.r[2], 7u);
  EXPECT_EQ(out.r[3], 1u);
  EXPECT_EQ(caches.ram_flush_count, flushes + 1);
}

TEST_F(ArmTranslatorTest, BlockStoresOverTranslatedCodeLeaveTheTranslationInPlace) {
  initial[0] = IWRAM + 0x40C;
  initial[1] = 0xE3A02007;  // mov r2, #7
  unsigned flushes = caches.ram_flush_count;
  GuestState out =
      run(IWRAM + 0x400, {
                             0xE8800002,  // stmia r0, {r1}
                             NOP, NOP,
                             0xE3A02001,  // mov r2, #1          still runs as translated
                         });
  ASSERT_EQ(result, RunResult::STOPPED);
  EXPECT_EQ(out.r[2], 1u);
  EXPECT_EQ(read_guest_word(IWRAM + 0x40C), 0xE3A02007u);
  EXPECT_EQ(caches.ram_flush_count, flushes);
}

TEST_F(ArmTranslatorTest, AJumpIntoTheMiddleOfARamBlockTranslatesANewBlockThere) {
  const std::vector<std::uint32_t> code = {0xE3A00001, 0xE2800002};  // mov r0, #1; add r0, r0, #2
  EXPECT_EQ(run(IWRAM + 0x400, code).r[0], 3u);
  initial[0] = 40;
  GuestState start{};
  start.r[0] = 40;
  start.r[15] = IWRAM + 0x404;
  start.cpsr = SYSTEM_MODE;
  GuestState out{};
  ASSERT_EQ(run_guest(start, IWRAM + 0x408, out), RunResult::STOPPED);
  EXPECT_EQ(out.r[0], 42u);
}

TEST_F(ArmTranslatorTest, AJumpWhereNoCodeCanRunStopsWithABadJump) {
  GuestState out = run(ROM, {0xE3A0F401});  // mov pc, #0x01000000
  EXPECT_EQ(result, RunResult::BAD_JUMP);
  EXPECT_EQ(out.r[15], 0x01000000u);
}

TEST_F(ArmTranslatorTest, TwoHundredAndFiftySixExitsEndABlockAndTheNextGoesOn) {
  std::vector<std::uint32_t> code = {0xE1500000};  // cmp r0, r0: Z set, branches not taken
  for (int i = 0; i < 300; ++i) {
    code.push_back(0x1AFFFFFF);  // bne to the next instruction
    code.push_back(0xE2811001);  // add r1, r1, #1
  }
  GuestState out = run(ROM, code);
  ASSERT_EQ(result, RunResult::STOPPED);
  EXPECT_EQ(out.r[1], 300u);
}

TEST_F(ArmTranslatorTest, AFullCodeCacheIsFlushedAndTranslationStartsAgain) {
  // 1 MB of increments, more code than the ROM cache holds. They go round fourteen registers,
  // more than any host keeps in host registers, so that most increments cost a load and a store
  // of a slot even on a host whose ADD is one word.
  constexpr unsigned incremented[14] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 14};
  std::vector<std::uint32_t> code((1 << 20) / 4 - 1);
  std::uint32_t expected[16] = {};
  for (std::size_t i = 0; i < code.size(); ++i) {
    unsigned n = incremented[i % 14];
    code[i] = 0xE2800001 | (n << 16) | (n << 12);  // add rn, rn, #1
    ++expected[n];
  }
  write_guest_words(ROM, code);
  unsigned rom_flushes = caches.flush_generation[CODE_REGION_ROM];
  GuestState start{};
  start.r[15] = ROM;
  start.cpsr = SYSTEM_MODE;
  GuestState out{};
  ASSERT_EQ(run_guest(start, ROM + 4 * static_cast<std::uint32_t>(code.size()), out, 4'000'000),
            RunResult::STOPPED);
  for (unsigned n : incremented) EXPECT_EQ(out.r[n], expected[n]) << "r" << n;
  EXPECT_GT(caches.flush_generation[CODE_REGION_ROM], rom_flushes);
}

// Regression (gba-tests arm.gba 234): the ARM7TDMI keeps the old P form of the compares.
TEST_F(ArmTranslatorTest, CompareIntoPcCopiesTheSpsrIntoTheCpsr) {
  machine.saved_psr[MODE_IRQ] = SYSTEM_MODE;
  write_guest_words(ROM, {0xE150F000, 0xE10F3000});  // cmp r0, r0 into r15; mrs r3, cpsr
  GuestState start{};
  start.r[15] = ROM;
  start.cpsr = 0x92;  // IRQ mode
  GuestState out{};
  ASSERT_EQ(run_guest(start, ROM + 8, out), RunResult::STOPPED);
  EXPECT_EQ(out.r[3], SYSTEM_MODE);  // the SPSR's flags, not Z from the compare
  EXPECT_EQ(out.cpsr, SYSTEM_MODE);
}

// Regression (gba-tests thumb.gba 227, and its ARM twin): an empty list moves r15 alone and the
// base by 0x40.
TEST_F(ArmTranslatorTest, AnEmptyRegisterListLoadsPcAndMovesTheBaseBy64) {
  write_guest_words(IWRAM + 0x100, {ROM + 0x20});
  write_guest_words(ROM + 0x20, {0xE3A05007});  // mov r5, #7
  write_guest_words(ROM, {0xE8B00000});         // ldmia r0!, {}
  GuestState out{};
  GuestState start{};
  start.r[0] = IWRAM + 0x100;
  start.r[15] = ROM;
  start.cpsr = SYSTEM_MODE;
  ASSERT_EQ(run_guest(start, ROM + 0x24, out), RunResult::STOPPED);
  EXPECT_EQ(out.r[5], 7u);
  EXPECT_EQ(out.r[0], IWRAM + 0x140);
}

std::uint32_t scheduler_calls_at_idle;
void count_calls_at_idle() {
  if (reg[SLOT_PC] == translation_settings.idle_loop_address) ++scheduler_calls_at_idle;
}

TEST_F(ArmTranslatorTest, ABranchToTheIdleLoopAlwaysHandsOverToTheScheduler) {
  std::uint32_t idle = ROM + 0x40;
  translation_settings.idle_loop_address = idle;
  write_guest_words(idle, {0xE2811001, 0xEAFFFFEE});  // idle: add r1, r1, #1; b stop
  scheduler_calls_at_idle = 0;
  set_scheduler_hook(count_calls_at_idle);
  GuestState out = run(ROM, {0xEA00000E});  // b idle, with nearly all of the slice left
  set_scheduler_hook(nullptr);
  ASSERT_EQ(result, RunResult::STOPPED);
  EXPECT_EQ(scheduler_calls_at_idle, 1u);
  EXPECT_EQ(out.r[1], 1u);
}

// A loop over more guest registers than the host keeps, whose registers stay in a fixed relation:
// r1-r7 are 2-8 times r0, and r8 counts down from LOOP_ROUNDS as r0 counts up.
constexpr std::uint32_t LOOP_ROUNDS = 3000;
unsigned register_checks, register_mismatches;
void check_registers_written_back() {
  ++register_checks;
  for (unsigned k = 1; k < 8; ++k) {
    if (reg[k] != (k + 1) * reg[0]) ++register_mismatches;
  }
  if (reg[8] != LOOP_ROUNDS - reg[0]) ++register_mismatches;
}

TEST_F(ArmTranslatorTest, TheSchedulerSeesEveryRegisterOfALoopAtItsBudgetExits) {
  initial[8] = LOOP_ROUNDS;
  register_checks = register_mismatches = 0;
  set_scheduler_hook(check_registers_written_back);
  GuestState out = run(IWRAM + 0x200, {0xE2800001, 0xE2811002, 0xE2822003, 0xE2833004, 0xE2844005,
                                       0xE2855006, 0xE2866007, 0xE2877008, 0xE2588001,
                                       0x1AFFFFF5});  // add rk, rk, #k+1; subs r8; bne
  set_scheduler_hook(nullptr);
  ASSERT_EQ(result, RunResult::STOPPED);
  EXPECT_GT(register_checks, 5u);  // the loop outlasts several slices
  EXPECT_EQ(register_mismatches, 0u);
  for (unsigned k = 0; k < 8; ++k) EXPECT_EQ(out.r[k], (k + 1) * LOOP_ROUNDS) << "r" << k;
  EXPECT_EQ(out.r[8], 0u);
}

bool interrupt_raised;
void raise_interrupt_once() {
  if (!interrupt_raised) raise_interrupt_flags(1);
  interrupt_raised = true;
}

TEST_F(ArmTranslatorTest, AnInterruptTakenAtABudgetExitContinuesAtTheVectorNotTheTarget) {
  enable_interrupt_zero();
  interrupt_raised = false;
  set_scheduler_hook(raise_interrupt_once);
  std::uint32_t loop = IWRAM + 0x400;
  std::uint32_t handler = ROM + 0x100;
  vector_irq_to(handler);
  write_guest_words(handler, {0xE3A07055, 0xEAFFFFFE});  // mov r7, #0x55; b .
  GuestState start{};
  start.r[15] = loop;
  start.cpsr = SYSTEM_MODE;
  write_guest_words(loop, {0xE2800001, 0xEAFFFFFD});  // add r0, r0, #1; b loop
  GuestState out{};
  ASSERT_EQ(run_guest(start, handler + 4, out), RunResult::STOPPED);
  EXPECT_EQ(out.r[7], 0x55u);
  EXPECT_EQ(out.cpsr & 0x1F, 0x12u);
  EXPECT_EQ(out.r[14], loop + 4);  // SUBS PC, LR, #4 resumes at the loop
  EXPECT_EQ(machine.saved_psr[MODE_IRQ] & 0x1F, SYSTEM_MODE);
  EXPECT_GT(out.r[0], 0u);
  set_scheduler_hook(nullptr);
}

TEST_F(ArmTranslatorTest, MsrClearingIWithAPendingInterruptEntersTheHandlerAtOnce) {
  enable_interrupt_zero();
  machine.io_regs[IO_IF] = 1;
  std::uint32_t handler = ROM + 0x100;
  vector_irq_to(handler);
  write_guest_words(handler, {0xE3A07055});          // mov r7, #0x55
  write_guest_words(ROM, {0xE321F01F, 0xE3A06001});  // msr cpsr_c, #0x1F; mov r6, #1
  GuestState start{};
  start.r[15] = ROM;
  start.cpsr = SYSTEM_MODE | 0x80;
  GuestState out{};
  ASSERT_EQ(run_guest(start, handler + 4, out), RunResult::STOPPED);
  EXPECT_EQ(out.r[7], 0x55u);
  EXPECT_EQ(out.r[6], 0u);  // the instruction after the MSR has not run
  EXPECT_EQ(out.cpsr & 0x1F, 0x12u);
  EXPECT_EQ(out.r[14], ROM + 4);
}

}  // namespace
