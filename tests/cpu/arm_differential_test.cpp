// The ARM translator against Unicorn: random instruction sequences of each class run on both,
// and every register, the flags, the mode and the data memory must come out the same.
//
// Environment:
//   ORVANE_DIFF_SEED   seed of the run (decimal or 0x-hex); a fixed one by default
//   ORVANE_DIFF_CASES  cases per class (default 4000); e.g. 1000000 for a deep run
//   ORVANE_DIFF_CASE   run only this case index of each class, to reproduce one failure

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <ostream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "arm_instruction_generator.h"
#include "differential_support.h"
#include "guest_machine.h"
#include "unicorn_reference.h"

// Names the class in GoogleTest's messages instead of dumping the enum's bytes.
void PrintTo(ArmCaseClass case_class, std::ostream* out) {
  *out << arm_case_class_name(case_class);
}

namespace {

constexpr std::uint64_t DEFAULT_SEED = 0x0A7F5EED;
constexpr std::uint64_t DEFAULT_CASES = 4000;

DiffSettings settings() { return diff_settings(DEFAULT_SEED, DEFAULT_CASES); }

CaseImage image_of(const ArmCase& c) {
  CaseImage image;
  image.code = {c.code_address, bytes_of(c.code)};
  image.stop = bytes_of(std::vector<std::uint32_t>{ARM_BRANCH_TO_SELF});
  if (!c.literals.empty()) image.others.push_back({c.literal_address(), bytes_of(c.literals)});
  image.window_bytes = c.window_bytes;
  std::memcpy(image.r, c.r, sizeof image.r);
  image.cpsr = c.cpsr;
  image.stop_address = c.stop_address();
  image.cpsr_mask = c.cpsr_mask;
  image.mask_reason = &c.mask_reason;
  return image;
}

std::string listing(const ArmCase& c) {
  std::ostringstream out;
  for (std::size_t i = 0; i < c.code.size(); ++i) {
    std::uint32_t address = c.code_address + 4 * static_cast<std::uint32_t>(i);
    char line[200];
    std::snprintf(line, sizeof line, "    %08x: %08x  %s\n", address, c.code[i],
                  disassemble_arm(c.code[i], address).c_str());
    out << line;
  }
  out << "    " << hex(c.stop_address()).substr(2) << ": (stop)\n";
  if (!c.literals.empty()) {
    out << "  literal pool at " << hex(c.literal_address()) << ":";
    for (std::uint32_t word : c.literals) out << " " << hex(word);
    out << "\n";
  }
  return out.str();
}

std::string report(ArmCaseClass case_class, const DiffSettings& s, std::uint64_t index,
                   const ArmCase& c, const std::string& diff) {
  return report(arm_case_class_name(case_class),
                "*/" + class_filter_name(arm_case_class_name(case_class)), s, index, image_of(c),
                listing(c), diff);
}

// ---- The random classes ----------------------------------------------------------------------

class ArmDifferentialTest : public ::testing::TestWithParam<ArmCaseClass> {};

TEST_P(ArmDifferentialTest, TranslatorMatchesTheReference) {
  const ArmCaseClass case_class = GetParam();
  const DiffSettings s = settings();
  Reference reference;
  ASSERT_TRUE(reference.unicorn().ready()) << reference.unicorn().error();

  run_cases(s, arm_case_class_name(case_class), [&](std::uint64_t index) {
    const ArmCase c = generate_arm_case(case_class, s.seed, index);
    const CaseImage image = image_of(c);
    const std::string diff = differences(image, reference.run(image), run_on_translator(image));
    return diff.empty() ? diff : report(case_class, s, index, c, diff);
  });
}

std::string class_test_name(const ::testing::TestParamInfo<ArmCaseClass>& info) {
  return class_filter_name(arm_case_class_name(info.param));
}

INSTANTIATE_TEST_SUITE_P(AllClasses, ArmDifferentialTest, ::testing::ValuesIn(ALL_ARM_CASE_CLASSES),
                         class_test_name);

// ---- Directed round trips --------------------------------------------------------------------

// A hand-written case at the start of the cartridge, with the random data windows of an
// arbitrary generated case so that a stray store would show.
ArmCase directed_case(std::vector<std::uint32_t> code, std::uint32_t cpsr = 0x1F) {
  ArmCase c = generate_arm_case(ArmCaseClass::DATA_PROCESSING, DEFAULT_SEED, 0);
  c.code_address = ROM_CODE_ADDRESS;
  c.code = std::move(code);
  c.literals.clear();
  for (unsigned r = 0; r < 15; ++r) c.r[r] = 0x1000 * r + r;
  c.r[15] = c.code_address;
  c.cpsr = cpsr;
  c.cpsr_mask = 0xFFFFFFFF;
  return c;
}

std::string directed_difference(const ArmCase& c, std::uint64_t cycles = CASE_CYCLES) {
  return directed_difference(
      image_of(c), [&] { return listing(c); }, cycles);
}

void expect_same_as_reference(const ArmCase& c, std::uint64_t cycles = CASE_CYCLES) {
  const std::string diff = directed_difference(c, cycles);
  EXPECT_TRUE(diff.empty()) << diff;
}

TEST(ArmDirectedTest, CountdownLoopRunsToTheEnd) {
  // loop: ADD r1, r1, r0; SUBS r0, r0, #1; BNE loop
  ArmCase c = directed_case({0xE0811000, 0xE2500001, 0x1AFFFFFC});
  c.r[0] = 1000;
  c.r[1] = 0;
  expect_same_as_reference(c, 1'000'000);
}

TEST(ArmDirectedTest, CallAndReturnThroughLinkRegister) {
  ArmCase c = directed_case({
      0xE3A00001,  // 00: mov r0, #1
      0xEB000002,  // 04: bl 0x14
      0xE2801003,  // 08: add r1, r0, #3
      0xE1A02001,  // 0c: mov r2, r1
      0xEA000002,  // 10: b 0x20 (stop)
      0xE2800005,  // 14: add r0, r0, #5
      0xE1A0300E,  // 18: mov r3, lr
      0xE1A0F00E,  // 1c: mov pc, lr
  });
  // The stop address is 0x20, past the subroutine.
  expect_same_as_reference(c);
}

TEST(ArmDirectedTest, ConditionalBranchesFollowEveryConditionAndFlagCombination) {
  int failures = 0;
  for (unsigned cond = 0; cond < 15; ++cond) {
    for (unsigned flags = 0; flags < 16 && failures < MAX_REPORTED_FAILURES; ++flags) {
      ArmCase c = directed_case(
          {
              (cond << 28) | 0x0A000001,  // 00: b<cond> 0x0c
              0xE3A00001,                 // 04: mov r0, #1
              0xEA000000,                 // 08: b 0x10 (stop)
              0xE3A00002,                 // 0c: mov r0, #2
          },
          flags << 28 | 0x1F);
      const std::string diff = directed_difference(c);
      if (!diff.empty()) {
        ++failures;
        ADD_FAILURE() << diff;
      }
    }
  }
}

// Branches that land inside the block they leave from, on an instruction with a condition of
// its own: that condition must still be tested when the branch is taken, and when it is not.
TEST(ArmDirectedTest, ConditionalInstructionsAtBranchTargetsInsideTheBlockKeepTheirCondition) {
  int failures = 0;
  for (unsigned layout = 0; layout < 2; ++layout) {
    for (unsigned branch = 0; branch < 15; ++branch) {
      for (unsigned target = 0; target < 15; ++target) {
        for (unsigned flags = 0; flags < 16 && failures < MAX_REPORTED_FAILURES; ++flags) {
          const std::uint32_t move = target << 28 | 0x03A01002;  // mov<target> r1, #2
          std::vector<std::uint32_t> code;
          if (layout == 0) {
            code = {
                branch << 28 | 0x0A000000,  // 00: b<branch> 0x08
                0xE3A00001,                 // 04: mov r0, #1
                move,                       // 08
            };
          } else {
            code = {
                branch << 28 | 0x0A000000,  // 00: b<branch> 0x08
                0xEA000001,                 // 04: b 0x10
                0xE3A00001,                 // 08: mov r0, #1
                0xE3A00004,                 // 0c: mov r0, #4
                move,                       // 10
            };
          }
          const std::string diff = directed_difference(directed_case(code, flags << 28 | 0x1F));
          if (!diff.empty()) {
            ++failures;
            ADD_FAILURE() << diff;
          }
        }
      }
    }
  }
}

TEST(ArmDirectedTest, EndlessLoopRunsOutOfTime) {
  // loop: ADD r0, r0, #1; B loop; the stop address after it is never reached.
  ArmCase c = directed_case({0xE2800001, 0xEAFFFFFD});
  Reference& reference = shared_reference();
  ASSERT_TRUE(reference.unicorn().ready()) << reference.unicorn().error();
  EXPECT_FALSE(reference.run(image_of(c)).stopped);

  reset_guest_machine();
  write_guest_words(c.code_address, c.code);
  GuestState start{};
  std::memcpy(start.r, c.r, sizeof start.r);
  start.cpsr = c.cpsr;
  GuestState end{};
  EXPECT_EQ(run_guest(start, c.stop_address(), end, 10'000), RunResult::OUT_OF_TIME);
}

// ---- The oracle and the generator on their own -----------------------------------------------

ReferenceState reference_start(const std::uint32_t (&r)[15], std::uint32_t cpsr) {
  ReferenceState start{};
  std::memcpy(start.r, r, sizeof r);
  start.r[15] = ROM_CODE_ADDRESS;
  start.cpsr = cpsr;
  return start;
}

TEST(UnicornReferenceTest, RunsHandAssembledCodeToTheStopAddress) {
  UnicornReference unicorn;
  ASSERT_TRUE(unicorn.ready()) << unicorn.error();
  unicorn.clear_memory();
  unicorn.write_words(0x03000100, {0x11223344, 0x55667788});
  unicorn.write_words(ROM_CODE_ADDRESS, {
                                            0xE3A00005,  // mov r0, #5
                                            0xE0801080,  // add r1, r0, r0, lsl #1
                                            0xE2502006,  // subs r2, r0, #6
                                            0xE5831000,  // str r1, [r3]
                                            0xE5D34005,  // ldrb r4, [r3, #5]
                                            0xE10F5000,  // mrs r5, cpsr
                                        });
  const std::uint32_t r[15] = {0, 0, 0, 0x03000100};
  ReferenceResult result = unicorn.run(reference_start(r, 0x6000001F), ROM_CODE_ADDRESS + 24, 100);
  ASSERT_EQ(result.status, ReferenceStatus::STOPPED) << result.message;
  EXPECT_EQ(result.state.r[0], 5u);
  EXPECT_EQ(result.state.r[1], 15u);
  EXPECT_EQ(result.state.r[2], 0xFFFFFFFFu);
  EXPECT_EQ(result.state.r[4], 0x77u);
  EXPECT_EQ(result.state.r[5], 0x8000001Fu);  // N from the borrow, Z and C cleared
  EXPECT_EQ(result.state.cpsr, 0x8000001Fu);
  EXPECT_EQ(result.state.r[15], ROM_CODE_ADDRESS + 24);
  EXPECT_EQ(unicorn.read_word(0x03000100), 15u);
  EXPECT_EQ(unicorn.read_word(0x03000104), 0x55667788u);
}

TEST(UnicornReferenceTest, StartsInTheGivenModeAndBanksItsStackPointer) {
  UnicornReference unicorn;
  ASSERT_TRUE(unicorn.ready()) << unicorn.error();
  unicorn.clear_memory();
  unicorn.write_words(ROM_CODE_ADDRESS, {
                                            0xE1A0000D,  // mov r0, sp
                                            0xE321F01F,  // msr cpsr_c, #0x1f
                                            0xE3A0DC01,  // mov sp, #0x100
                                            0xE321F0D2,  // msr cpsr_c, #0xd2
                                            0xE1A0100D,  // mov r1, sp
                                            0xE321F01F,  // msr cpsr_c, #0x1f
                                            0xE1A0200D,  // mov r2, sp
                                        });
  std::uint32_t r[15] = {};
  r[13] = 0x03007FA0;
  ReferenceResult result = unicorn.run(reference_start(r, 0x400000D2), ROM_CODE_ADDRESS + 28, 100);
  ASSERT_EQ(result.status, ReferenceStatus::STOPPED) << result.message;
  EXPECT_EQ(result.state.r[0], 0x03007FA0u);
  EXPECT_EQ(result.state.r[1], 0x03007FA0u);
  EXPECT_EQ(result.state.r[2], 0x100u);
  EXPECT_EQ(result.state.r[13], 0x100u);
  EXPECT_EQ(result.state.cpsr, 0x4000001Fu);
}

TEST(UnicornReferenceTest, HangsAndFaultsEndTheRunWithoutStopping) {
  UnicornReference unicorn;
  ASSERT_TRUE(unicorn.ready()) << unicorn.error();
  unicorn.clear_memory();
  unicorn.write_words(ROM_CODE_ADDRESS, {ARM_BRANCH_TO_SELF});
  const std::uint32_t r[15] = {0x04000000};
  ReferenceResult hang = unicorn.run(reference_start(r, 0x1F), ROM_CODE_ADDRESS + 4, 1000);
  EXPECT_EQ(hang.status, ReferenceStatus::INSTRUCTION_LIMIT);

  unicorn.write_words(ROM_CODE_ADDRESS, {0xE5901000});  // ldr r1, [r0]: nothing mapped there
  ReferenceResult fault = unicorn.run(reference_start(r, 0x1F), ROM_CODE_ADDRESS + 4, 1000);
  EXPECT_EQ(fault.status, ReferenceStatus::FAULT);
}

TEST(ArmCaseGeneratorTest, SameSeedAndIndexGiveTheSameCase) {
  for (ArmCaseClass case_class : ALL_ARM_CASE_CLASSES) {
    ArmCase a = generate_arm_case(case_class, 1234, 77);
    ArmCase b = generate_arm_case(case_class, 1234, 77);
    ArmCase other = generate_arm_case(case_class, 1234, 78);
    EXPECT_EQ(a.code, b.code);
    EXPECT_EQ(a.literals, b.literals);
    EXPECT_EQ(0, std::memcmp(a.r, b.r, sizeof a.r));
    EXPECT_EQ(a.window_bytes[0], b.window_bytes[0]);
    EXPECT_NE(a.window_bytes[0], other.window_bytes[0]);
  }
}

// Every generated case must reach its stop address on the oracle, touch only the data windows
// (and read only its own code and literal pool), fit before its literal pool, and not depend on
// banked registers it never set: otherwise a difference would say nothing about the translator.
TEST(ArmCaseGeneratorTest, CasesAreWellFormedOnTheReference) {
  const DiffSettings s = settings();
  Reference first;
  Reference second;
  ASSERT_TRUE(first.unicorn().ready()) << first.unicorn().error();
  first.unicorn().log_accesses(true);
  const std::uint64_t checks = s.cases / 5 + 1;
  for (ArmCaseClass case_class : ALL_ARM_CASE_CLASSES) {
    int failures = 0;
    for (std::uint64_t index = 0; index < checks && failures < MAX_REPORTED_FAILURES; ++index) {
      const ArmCase c = generate_arm_case(case_class, s.seed, index);
      std::ostringstream problems;
      if (c.code.empty() || c.code.size() > MAX_CASE_INSTRUCTIONS) {
        problems << "  " << c.code.size() << " instructions\n";
      }
      first.unicorn().scramble_banked_registers(0x13579BDF);
      second.unicorn().scramble_banked_registers(0x2468ACE0);
      const CaseImage image = image_of(c);
      const Outcome a = first.run(image);
      const Outcome b = second.run(image);
      if (!a.stopped) problems << "  " << a.status << "\n";
      const auto code_bytes = 4 * static_cast<std::uint32_t>(c.code.size());
      const auto pool_bytes = 4 * static_cast<std::uint32_t>(c.literals.size());
      problems << stray_accesses(first.unicorn().accesses(),
                                 {{c.code_address, code_bytes}, {c.literal_address(), pool_bytes}});
      const std::string diff = differences(image, a, b);
      if (!diff.empty()) problems << "  depends on registers it never set:\n" << diff;
      if (!problems.str().empty()) {
        ++failures;
        ADD_FAILURE() << report(case_class, s, index, c, problems.str());
      }
    }
  }
}

}  // namespace
