// The ARM translator against Unicorn: random instruction sequences of each class run on both,
// and every register, the flags, the mode and the data memory must come out the same.
//
// Environment:
//   ORVANE_DIFF_SEED   seed of the run (decimal or 0x-hex); a fixed one by default
//   ORVANE_DIFF_CASES  cases per class (default 4000); e.g. 1000000 for a deep run
//   ORVANE_DIFF_CASE   run only this case index of each class, to reproduce one failure

#include <gtest/gtest.h>

#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ostream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "arm_instruction_generator.h"
#include "guest_machine.h"
#include "unicorn_reference.h"

// Names the class in GoogleTest's messages instead of dumping the enum's bytes.
void PrintTo(ArmCaseClass case_class, std::ostream* out) {
  *out << arm_case_class_name(case_class);
}

namespace {

constexpr std::uint64_t DEFAULT_SEED = 0x0A7F5EED;
constexpr std::uint64_t DEFAULT_CASES = 4000;
constexpr int MAX_REPORTED_FAILURES = 5;
constexpr std::uint32_t BRANCH_TO_SELF = 0xEAFFFFFE;  // B .
// A random case runs a few dozen instructions; anything near these limits has gone astray.
constexpr std::uint64_t CASE_CYCLES = 100'000;
constexpr std::uint64_t CASE_INSTRUCTIONS = 10'000;

struct Settings {
  std::uint64_t seed = DEFAULT_SEED;
  std::uint64_t cases = DEFAULT_CASES;
  bool single = false;
  std::uint64_t single_case = 0;
};

bool read_number(const char* name, std::uint64_t& out) {
  const char* text = std::getenv(name);
  if (text == nullptr || *text == '\0') return false;
  char* end = nullptr;
  unsigned long long value = std::strtoull(text, &end, 0);
  if (end == text || *end != '\0') {
    ADD_FAILURE() << name << "=" << text << " is not a number";
    return false;
  }
  out = value;
  return true;
}

Settings settings() {
  Settings s;
  read_number("ORVANE_DIFF_SEED", s.seed);
  read_number("ORVANE_DIFF_CASES", s.cases);
  s.single = read_number("ORVANE_DIFF_CASE", s.single_case);
  return s;
}

std::string hex(std::uint32_t value) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "0x%08x", value);
  return buffer;
}

const char* const register_names[16] = {"r0", "r1", "r2",  "r3",  "r4",  "r5", "r6", "r7",
                                        "r8", "r9", "r10", "r11", "r12", "sp", "lr", "pc"};

// ---- Running a case on each side -------------------------------------------------------------

struct Outcome {
  bool stopped = false;
  std::string status;
  std::uint32_t r[16] = {};
  std::uint32_t cpsr = 0;
  std::vector<std::uint8_t> windows[2];
};

std::vector<std::uint32_t> zeros(std::size_t count) { return std::vector<std::uint32_t>(count, 0); }

class Reference {
 public:
  Reference() { unicorn_.clear_memory(); }
  UnicornReference& unicorn() { return unicorn_; }

  Outcome run(const ArmCase& c) {
    // Leave memory as a fresh machine would have it apart from what this case writes: the
    // previous case's code, pool and data go.
    for (const Placed& p : placed_) unicorn_.write_words(p.address, zeros(p.words));
    placed_.clear();
    for (unsigned w = 0; w < 2; ++w) {
      unicorn_.write_bytes(DATA_WINDOWS[w].base, c.window_bytes[w].data(),
                           c.window_bytes[w].size());
    }
    std::vector<std::uint32_t> code = c.code;
    code.push_back(BRANCH_TO_SELF);  // what the driver plants at the stop address
    place(c.code_address, code);
    if (!c.literals.empty()) place(c.literal_address(), c.literals);

    ReferenceState start{};
    std::memcpy(start.r, c.r, sizeof start.r);
    start.cpsr = c.cpsr;
    ReferenceResult result = unicorn_.run(start, c.stop_address(), CASE_INSTRUCTIONS);
    Outcome out;
    out.stopped = result.status == ReferenceStatus::STOPPED;
    out.status = out.stopped ? "stopped" : result.message;
    std::memcpy(out.r, result.state.r, sizeof out.r);
    out.cpsr = result.state.cpsr;
    for (unsigned w = 0; w < 2; ++w) {
      out.windows[w] = unicorn_.read_bytes(DATA_WINDOWS[w].base, DATA_WINDOWS[w].size);
    }
    return out;
  }

 private:
  struct Placed {
    std::uint32_t address;
    std::size_t words;
  };
  void place(std::uint32_t address, const std::vector<std::uint32_t>& words) {
    unicorn_.write_words(address, words);
    placed_.push_back({address, words.size()});
  }

  UnicornReference unicorn_;
  std::vector<Placed> placed_;
};

const char* describe(RunResult result) {
  switch (result) {
    case RunResult::STOPPED: return "stopped";
    case RunResult::BAD_JUMP: return "bad jump";
    case RunResult::OUT_OF_TIME: return "out of time";
  }
  return "?";
}

Outcome run_on_translator(const ArmCase& c, std::uint64_t cycles = CASE_CYCLES) {
  reset_guest_machine();
  for (unsigned w = 0; w < 2; ++w) {
    write_guest_bytes(DATA_WINDOWS[w].base, c.window_bytes[w].data(), c.window_bytes[w].size());
  }
  write_guest_words(c.code_address, c.code);
  if (!c.literals.empty()) write_guest_words(c.literal_address(), c.literals);

  GuestState start{};
  std::memcpy(start.r, c.r, sizeof start.r);
  start.cpsr = c.cpsr;
  GuestState end{};
  RunResult result = run_guest(start, c.stop_address(), end, cycles);
  Outcome out;
  out.stopped = result == RunResult::STOPPED;
  out.status = describe(result);
  std::memcpy(out.r, end.r, sizeof out.r);
  out.cpsr = end.cpsr;
  for (unsigned w = 0; w < 2; ++w) {
    const DataWindow& window = DATA_WINDOWS[w];
    out.windows[w].resize(window.size);
    for (std::uint32_t offset = 0; offset < window.size; offset += 4) {
      std::uint32_t word = read_guest_word(window.base + offset);
      for (unsigned b = 0; b < 4; ++b) {
        out.windows[w][offset + b] = static_cast<std::uint8_t>(word >> (8 * b));
      }
    }
  }
  return out;
}

// ---- Comparing and reporting -----------------------------------------------------------------

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

std::string registers(const std::uint32_t* r, std::uint32_t cpsr) {
  std::ostringstream out;
  for (unsigned i = 0; i < 16; ++i) {
    out << (i % 4 == 0 ? "    " : "  ") << register_names[i] << (i < 10 ? " =" : "=") << hex(r[i]);
    if (i % 4 == 3) out << "\n";
  }
  out << "    cpsr=" << hex(cpsr) << "\n";
  return out.str();
}

// Empty when the translator's outcome matches the reference's.
std::string differences(const ArmCase& c, const Outcome& expected, const Outcome& actual) {
  std::ostringstream out;
  if (!expected.stopped) {
    out << "  the reference did not reach the stop address (" << expected.status
        << "): the generated case is broken\n";
    return out.str();
  }
  if (!actual.stopped) out << "  translator: " << actual.status << " instead of stopping\n";
  for (unsigned i = 0; i < 15; ++i) {
    if (expected.r[i] != actual.r[i]) {
      out << "  " << register_names[i] << ": expected " << hex(expected.r[i]) << ", got "
          << hex(actual.r[i]) << "\n";
    }
  }
  if (actual.stopped && actual.r[15] != c.stop_address()) {
    out << "  pc: expected " << hex(c.stop_address()) << ", got " << hex(actual.r[15]) << "\n";
  }
  if (((expected.cpsr ^ actual.cpsr) & c.cpsr_mask) != 0) {
    out << "  cpsr: expected " << hex(expected.cpsr) << ", got " << hex(actual.cpsr);
    if (c.cpsr_mask != 0xFFFFFFFF) {
      out << " (bits " << hex(c.cpsr_mask) << " compared: " << c.mask_reason << ")";
    }
    out << "\n";
  }
  for (unsigned w = 0; w < 2; ++w) {
    const std::vector<std::uint8_t>& e = expected.windows[w];
    const std::vector<std::uint8_t>& a = actual.windows[w];
    std::size_t differing = 0;
    std::ostringstream bytes;
    for (std::size_t i = 0; i < e.size() && i < a.size(); ++i) {
      if (e[i] == a[i]) continue;
      if (differing < 8) {
        char line[80];
        std::snprintf(line, sizeof line, "    %08x: expected %02x, got %02x (was %02x)\n",
                      DATA_WINDOWS[w].base + static_cast<std::uint32_t>(i), e[i], a[i],
                      c.window_bytes[w][i]);
        bytes << line;
      }
      ++differing;
    }
    if (differing != 0) {
      out << "  memory: " << differing << " byte(s) differ in " << hex(DATA_WINDOWS[w].base) << "-"
          << hex(DATA_WINDOWS[w].base + DATA_WINDOWS[w].size - 1) << ", first ones:\n"
          << bytes.str();
    }
  }
  return out.str();
}

std::string class_filter_name(ArmCaseClass case_class) {
  std::string name = arm_case_class_name(case_class);
  for (char& ch : name) {
    if (ch == ' ') ch = '_';
  }
  return name;
}

std::string report(ArmCaseClass case_class, const Settings& s, std::uint64_t index,
                   const ArmCase& c, const std::string& diff) {
  std::ostringstream out;
  char seed[32];
  std::snprintf(seed, sizeof seed, "0x%" PRIx64, s.seed);
  out << arm_case_class_name(case_class) << " case " << index << " of seed " << seed
      << " (again on its own: ORVANE_DIFF_SEED=" << seed << " ORVANE_DIFF_CASE=" << index
      << " translator_test --gtest_filter='*/" << class_filter_name(case_class) << "')\n"
      << "  code:\n"
      << listing(c) << "  start:\n"
      << registers(c.r, c.cpsr) << diff;
  return out.str();
}

// ---- The random classes ----------------------------------------------------------------------

class ArmDifferentialTest : public ::testing::TestWithParam<ArmCaseClass> {};

TEST_P(ArmDifferentialTest, TranslatorMatchesTheReference) {
  const ArmCaseClass case_class = GetParam();
  const Settings s = settings();
  Reference reference;
  ASSERT_TRUE(reference.unicorn().ready()) << reference.unicorn().error();

  const std::uint64_t first = s.single ? s.single_case : 0;
  const std::uint64_t last = s.single ? s.single_case + 1 : s.cases;
  int failures = 0;
  std::uint64_t run = 0;
  for (std::uint64_t index = first; index < last && failures < MAX_REPORTED_FAILURES; ++index) {
    const ArmCase c = generate_arm_case(case_class, s.seed, index);
    const Outcome expected = reference.run(c);
    const Outcome actual = run_on_translator(c);
    ++run;
    const std::string diff = differences(c, expected, actual);
    if (!diff.empty()) {
      ++failures;
      ADD_FAILURE() << report(case_class, s, index, c, diff);
    }
  }
  if (failures >= MAX_REPORTED_FAILURES) {
    std::printf("[ stopped  ] %s: first %d failures reported after %" PRIu64 " cases\n",
                arm_case_class_name(case_class), failures, run);
  }
}

std::string class_test_name(const ::testing::TestParamInfo<ArmCaseClass>& info) {
  return class_filter_name(info.param);
}

INSTANTIATE_TEST_SUITE_P(AllClasses, ArmDifferentialTest,
                         ::testing::ValuesIn(ALL_ARM_CASE_CLASSES), class_test_name);

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

// One for all directed cases: setting Unicorn up costs more than running a case.
Reference& shared_reference() {
  static Reference reference;
  return reference;
}

// Empty when the translator agrees with the reference, else the whole story.
std::string directed_difference(const ArmCase& c, std::uint64_t cycles = CASE_CYCLES) {
  Reference& reference = shared_reference();
  if (!reference.unicorn().ready()) return reference.unicorn().error();
  const Outcome expected = reference.run(c);
  const Outcome actual = run_on_translator(c, cycles);
  const std::string diff = differences(c, expected, actual);
  if (diff.empty()) return diff;
  return "code:\n" + listing(c) + "start:\n" + registers(c.r, c.cpsr) + diff;
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
      ArmCase c = directed_case({
          (cond << 28) | 0x0A000001,  // 00: b<cond> 0x0c
          0xE3A00001,                 // 04: mov r0, #1
          0xEA000000,                 // 08: b 0x10 (stop)
          0xE3A00002,                 // 0c: mov r0, #2
      }, flags << 28 | 0x1F);
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
  EXPECT_FALSE(reference.run(c).stopped);

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
  unicorn.write_words(ROM_CODE_ADDRESS, {BRANCH_TO_SELF});
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

bool inside_a_window_for_test(std::uint32_t address, std::uint32_t size) {
  for (const DataWindow& w : DATA_WINDOWS) {
    if (address >= w.base && address + size <= w.base + w.size) return true;
  }
  return false;
}

bool inside(std::uint32_t address, std::uint32_t size, std::uint32_t base, std::uint32_t bytes) {
  return address >= base && address + size <= base + bytes;
}

// Every generated case must reach its stop address on the oracle, touch only the data windows
// (and read only its own code and literal pool), fit before its literal pool, and not depend on
// banked registers it never set: otherwise a difference would say nothing about the translator.
TEST(ArmCaseGeneratorTest, CasesAreWellFormedOnTheReference) {
  const Settings s = settings();
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
      const Outcome a = first.run(c);
      const Outcome b = second.run(c);
      if (!a.stopped) problems << "  " << a.status << "\n";
      for (const ReferenceAccess& access : first.unicorn().accesses()) {
        bool allowed = inside_a_window_for_test(access.address, access.size);
        if (!access.write) {
          const auto code_bytes = 4 * static_cast<std::uint32_t>(c.code.size());
          const auto pool_bytes = 4 * static_cast<std::uint32_t>(c.literals.size());
          allowed = allowed || inside(access.address, access.size, c.code_address, code_bytes) ||
                    inside(access.address, access.size, c.literal_address(), pool_bytes);
        }
        if (!allowed) {
          problems << "  " << (access.write ? "write" : "read") << " of " << access.size
                   << " at " << hex(access.address) << "\n";
        }
      }
      const std::string diff = differences(c, a, b);
      if (!diff.empty()) problems << "  depends on registers it never set:\n" << diff;
      if (!problems.str().empty()) {
        ++failures;
        ADD_FAILURE() << report(case_class, s, index, c, problems.str());
      }
    }
  }
}

}  // namespace
