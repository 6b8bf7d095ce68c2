// The Thumb translator against Unicorn: random Thumb instruction sequences of each format (and
// ARM <-> Thumb round trips through BX) run on both, and every register, the flags, the mode,
// the state and the data memory must come out the same.
//
// Environment, as for the ARM cases:
//   ORVANE_DIFF_SEED   seed of the run (decimal or 0x-hex); a fixed one by default
//   ORVANE_DIFF_CASES  cases per class (default 2000); e.g. 1000000 for a deep run
//   ORVANE_DIFF_CASE   run only this case index of each class, to reproduce one failure

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <ostream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "differential_support.h"
#include "guest_machine.h"
#include "thumb_instruction_generator.h"
#include "unicorn_reference.h"

// Names the class in GoogleTest's messages instead of dumping the enum's bytes.
void PrintTo(ThumbCaseClass case_class, std::ostream* out) {
  *out << thumb_case_class_name(case_class);
}

namespace {

constexpr std::uint64_t DEFAULT_SEED = 0x7A3B5EED;
constexpr std::uint64_t DEFAULT_CASES = 2000;

constexpr std::uint32_t SYSTEM_THUMB = 0x3F;
constexpr std::uint32_t SYSTEM_ARM = 0x1F;

DiffSettings settings() { return diff_settings(DEFAULT_SEED, DEFAULT_CASES); }

// The stop instruction the driver plants, in the state the case starts (and ends) in.
std::vector<std::uint16_t> stop_halfwords(const ThumbCase& c) {
  if (c.starts_in_thumb()) return {THUMB_BRANCH_TO_SELF};
  return {static_cast<std::uint16_t>(ARM_BRANCH_TO_SELF),
          static_cast<std::uint16_t>(ARM_BRANCH_TO_SELF >> 16)};
}

CaseImage image_of(const ThumbCase& c) {
  CaseImage image;
  image.code = {c.code.address, bytes_of(c.code.halfwords)};
  image.stop = bytes_of(stop_halfwords(c));
  if (!c.far.halfwords.empty()) image.others.push_back({c.far.address, bytes_of(c.far.halfwords)});
  if (!c.literals.empty()) image.others.push_back({c.literal_address(), bytes_of(c.literals)});
  image.window_bytes = c.window_bytes;
  std::memcpy(image.r, c.r, sizeof image.r);
  image.cpsr = c.cpsr;
  image.stop_address = c.stop_address();
  image.cpsr_mask = c.cpsr_mask;
  image.mask_reason = &c.mask_reason;
  image.broken_shows_pc = true;
  return image;
}

// ---- Comparing and reporting -----------------------------------------------------------------

void list_code(std::ostringstream& out, const ThumbCode& code) {
  for (std::size_t i = 0; i < code.halfwords.size(); ++i) {
    const std::uint32_t address = code.address + 2 * static_cast<std::uint32_t>(i);
    const std::uint16_t h = code.halfwords[i];
    const std::uint16_t next = i + 1 < code.halfwords.size() ? code.halfwords[i + 1] : 0;
    char line[240];
    switch (code.roles[i]) {
      case HalfwordRole::THUMB:
        std::snprintf(line, sizeof line, "    %08x: %04x      %s\n", address, h,
                      disassemble_thumb(h, address, next).c_str());
        break;
      case HalfwordRole::SKIPPED:
        std::snprintf(line, sizeof line, "    %08x: %04x      (never reached) %s\n", address, h,
                      disassemble_thumb(h, address, next).c_str());
        break;
      case HalfwordRole::ARM_LOW: {
        const std::uint32_t word = h | static_cast<std::uint32_t>(next) << 16;
        std::snprintf(line, sizeof line, "    %08x: %08x  (ARM) %s\n", address, word,
                      disassemble_arm(word, address).c_str());
        break;
      }
      case HalfwordRole::ARM_HIGH: continue;
    }
    out << line;
  }
}

std::string listing(const ThumbCase& c) {
  std::ostringstream out;
  list_code(out, c.code);
  out << "    " << hex(c.stop_address()).substr(2) << ": (stop, "
      << (c.starts_in_thumb() ? "Thumb" : "ARM") << ")\n";
  if (!c.far.halfwords.empty()) {
    out << "  far code:\n";
    list_code(out, c.far);
  }
  if (!c.literals.empty()) {
    out << "  literal pool at " << hex(c.literal_address()) << ":";
    for (std::uint32_t word : c.literals) out << " " << hex(word);
    out << "\n";
  }
  return out.str();
}

std::string title(ThumbCaseClass case_class) {
  return std::string("Thumb ") + thumb_case_class_name(case_class);
}

std::string report(ThumbCaseClass case_class, const DiffSettings& s, std::uint64_t index,
                   const ThumbCase& c, const std::string& diff) {
  return report(title(case_class),
                "ThumbFormats/*/" + class_filter_name(thumb_case_class_name(case_class)), s, index,
                image_of(c), listing(c), diff);
}

// ---- The random classes ----------------------------------------------------------------------

class ThumbDifferentialTest : public ::testing::TestWithParam<ThumbCaseClass> {};

TEST_P(ThumbDifferentialTest, TranslatorMatchesTheReference) {
  const ThumbCaseClass case_class = GetParam();
  const DiffSettings s = settings();
  Reference reference;
  ASSERT_TRUE(reference.unicorn().ready()) << reference.unicorn().error();

  run_cases(s, title(case_class), [&](std::uint64_t index) {
    const ThumbCase c = generate_thumb_case(case_class, s.seed, index);
    const CaseImage image = image_of(c);
    const std::string diff = differences(image, reference.run(image), run_on_translator(image));
    return diff.empty() ? diff : report(case_class, s, index, c, diff);
  });
}

std::string class_test_name(const ::testing::TestParamInfo<ThumbCaseClass>& info) {
  return class_filter_name(thumb_case_class_name(info.param));
}

INSTANTIATE_TEST_SUITE_P(ThumbFormats, ThumbDifferentialTest,
                         ::testing::ValuesIn(ALL_THUMB_CASE_CLASSES), class_test_name);

// ---- Directed cases --------------------------------------------------------------------------

// A hand-written Thumb case at the start of the cartridge, with the random data windows of an
// arbitrary generated case so that a stray store would show.
ThumbCase directed_case(std::vector<std::uint16_t> code, std::uint32_t cpsr = SYSTEM_THUMB) {
  ThumbCase c = generate_thumb_case(ThumbCaseClass::ALU, DEFAULT_SEED, 0);
  c.code.address = ROM_CODE_ADDRESS;
  c.code.halfwords = std::move(code);
  c.code.roles.assign(c.code.halfwords.size(), HalfwordRole::THUMB);
  c.far = ThumbCode{};
  c.literals.clear();
  for (unsigned r = 0; r < 15; ++r) c.r[r] = 0x1000 * r + r;
  c.r[13] = DATA_WINDOWS[0].base + 0x2000;
  c.r[15] = c.code.address;
  c.cpsr = cpsr;
  c.cpsr_mask = 0xFFFFFFFF;
  return c;
}

// ARM words among Thumb halfwords, as an interworking case lays them out.
void append_arm(ThumbCase& c, std::vector<std::uint32_t> words) {
  for (std::uint32_t word : words) {
    c.code.halfwords.push_back(static_cast<std::uint16_t>(word));
    c.code.halfwords.push_back(static_cast<std::uint16_t>(word >> 16));
    c.code.roles.push_back(HalfwordRole::ARM_LOW);
    c.code.roles.push_back(HalfwordRole::ARM_HIGH);
  }
}

void append_thumb(ThumbCase& c, std::vector<std::uint16_t> halfwords) {
  for (std::uint16_t h : halfwords) {
    c.code.halfwords.push_back(h);
    c.code.roles.push_back(HalfwordRole::THUMB);
  }
}

std::string directed_difference(const ThumbCase& c, std::uint64_t cycles = CASE_CYCLES) {
  return directed_difference(
      image_of(c), [&] { return listing(c); }, cycles);
}

void expect_same_as_reference(const ThumbCase& c, std::uint64_t cycles = CASE_CYCLES) {
  const std::string diff = directed_difference(c, cycles);
  EXPECT_TRUE(diff.empty()) << diff;
}

TEST(ThumbDirectedTest, ConditionalBranchesFollowEveryConditionAndFlagCombination) {
  int failures = 0;
  for (unsigned cond = 0; cond < 14; ++cond) {
    for (unsigned flags = 0; flags < 16 && failures < MAX_REPORTED_FAILURES; ++flags) {
      ThumbCase c = directed_case(
          {
              static_cast<std::uint16_t>(0xD001 | cond << 8),  // 0: b<cond> 6
              0x2001,                                          // 2: movs r0, #1 (flags change)
              0xE000,                                          // 4: b 8 (the stop)
              0x4651,                                          // 6: mov r1, r10
          },
          flags << 28 | SYSTEM_THUMB);
      const std::string diff = directed_difference(c);
      if (!diff.empty()) {
        ++failures;
        ADD_FAILURE() << diff;
      }
    }
  }
}

TEST(ThumbDirectedTest, CountdownLoopRunsToTheEnd) {
  // loop: adds r1, r1, r0; subs r0, #1; bne loop
  ThumbCase c = directed_case({0x1809, 0x3801, 0xD1FC});
  c.r[0] = 1000;
  c.r[1] = 0;
  expect_same_as_reference(c, 1'000'000);
}

TEST(ThumbDirectedTest, ArmToThumbAndBackKeepsEveryRegisterAndFlag) {
  ThumbCase c = directed_case({}, SYSTEM_ARM | 0x60000000);
  append_arm(c, {
                    0xE28F0001,  // 00: add r0, pc, #1: Thumb code at 0x08
                    0xE12FFF10,  // 04: bx r0
                });
  append_thumb(c, {
                      0x1C4A,  // 08: adds r2, r1, #1
                      0x4643,  // 0a: mov r3, r8
                      0x4778,  // 0c: bx pc: ARM at 0x10
                      0x2701,  // 0e: (never reached) movs r7, #1
                  });
  c.code.roles.back() = HalfwordRole::SKIPPED;
  append_arm(c, {
                    0xE0924003,  // 10: adds r4, r2, r3
                    0xE10F5000,  // 14: mrs r5, cpsr
                });
  expect_same_as_reference(c);
}

TEST(ThumbDirectedTest, ThumbToArmAndBackThroughHighRegisters) {
  ThumbCase c = directed_case({
      0xA001,  // 00: add r0, pc, #4: ARM code at 0x08
      0x4681,  // 02: mov r9, r0
      0x4748,  // 04: bx r9
      0x2701,  // 06: (never reached) movs r7, #1
  });
  c.code.roles[3] = HalfwordRole::SKIPPED;
  append_arm(c, {
                    0xE28FB001,  // 08: add r11, pc, #1: Thumb code at 0x10
                    0xE12FFF1B,  // 0c: bx r11
                });
  append_thumb(c, {
                      0x465E,  // 10: mov r6, r11
                      0x3601,  // 12: adds r6, #1
                  });
  expect_same_as_reference(c);
}

TEST(ThumbDirectedTest, PopPcReturnsToAThumbAddress) {
  ThumbCase c = directed_case({
      0xB407,  // 00: push {r0, r1, r2}
      0xB501,  // 02: push {r0, lr}
      0xBC18,  // 04: pop {r3, r4}
      0xBD60,  // 06: pop {r5, r6, pc}: pc from the r2 pushed first
      0x2701,  // 08: (never reached) movs r7, #1
  });
  c.code.roles[4] = HalfwordRole::SKIPPED;
  c.r[2] = (ROM_CODE_ADDRESS + 0x0A) | 1;  // the stop address, in Thumb state on every core
  expect_same_as_reference(c);
}

TEST(ThumbDirectedTest, LongBranchesCallAndReturn) {
  ThumbCase c = directed_case({
      0xF000, 0xF804,  // 00: bl 0x0c
      0x3001,          // 04: adds r0, #1
      0xF000, 0xF803,  // 06: bl 0x10
      0xE004,          // 0a: b 0x16 (stop)
      0x200A,          // 0c: movs r0, #10
      0x4770,          // 0e: bx lr
      0xB500,          // 10: push {lr}
      0x4671,          // 12: mov r1, lr
      0xBD00,          // 14: pop {pc}
  });
  expect_same_as_reference(c);
}

TEST(ThumbDirectedTest, HighRegisterOperationsReadPcAsAddressPlusFour) {
  ThumbCase c = directed_case({
      0x4678,  // 00: mov r0, pc
      0x46C0,  // 02: nop
      0x4679,  // 04: mov r1, pc (not word-aligned + 4)
      0x447A,  // 06: add r2, pc
      0x4578,  // 08: cmp r0, pc
  });
  expect_same_as_reference(c);
}

// ---- The oracle and the generator on their own -----------------------------------------------

TEST(UnicornThumbReferenceTest, RunsThumbCodeFromAThumbStart) {
  UnicornReference unicorn;
  ASSERT_TRUE(unicorn.ready()) << unicorn.error();
  unicorn.clear_memory();
  const std::vector<std::uint16_t> code = {
      0x2005,  // movs r0, #5
      0x0041,  // lsls r1, r0, #1
      0x1A0A,  // subs r2, r1, r0
      0x3A06,  // subs r2, #6
      0x4673,  // mov r3, lr
      0xE7FE,  // b . (the stop)
  };
  const std::vector<std::uint8_t> bytes = bytes_of(code);
  unicorn.write_bytes(ROM_CODE_ADDRESS, bytes.data(), bytes.size());
  ReferenceState start{};
  start.r[14] = 0x1234;
  start.r[15] = ROM_CODE_ADDRESS;
  start.cpsr = SYSTEM_THUMB;
  ReferenceResult result = unicorn.run(start, ROM_CODE_ADDRESS + 10, 100);
  ASSERT_EQ(result.status, ReferenceStatus::STOPPED) << result.message;
  EXPECT_EQ(result.state.r[0], 5u);
  EXPECT_EQ(result.state.r[1], 10u);
  EXPECT_EQ(result.state.r[2], 0xFFFFFFFFu);
  EXPECT_EQ(result.state.r[3], 0x1234u);
  EXPECT_EQ(result.state.r[15], ROM_CODE_ADDRESS + 10);
  EXPECT_EQ(result.state.cpsr, 0x80000000u | SYSTEM_THUMB);  // N from the borrow, still Thumb
}

TEST(ThumbCaseGeneratorTest, SameSeedAndIndexGiveTheSameCase) {
  for (ThumbCaseClass case_class : ALL_THUMB_CASE_CLASSES) {
    ThumbCase a = generate_thumb_case(case_class, 1234, 77);
    ThumbCase b = generate_thumb_case(case_class, 1234, 77);
    ThumbCase other = generate_thumb_case(case_class, 1234, 78);
    EXPECT_EQ(a.code.halfwords, b.code.halfwords);
    EXPECT_EQ(a.far.halfwords, b.far.halfwords);
    EXPECT_EQ(a.literals, b.literals);
    EXPECT_EQ(0, std::memcmp(a.r, b.r, sizeof a.r));
    EXPECT_EQ(a.window_bytes[0], b.window_bytes[0]);
    EXPECT_NE(a.window_bytes[0], other.window_bytes[0]);
  }
}

// Every generated case must reach its stop address on the oracle, touch only the data windows
// (and read only its own code and literal pool), fit before its literal pool, and not depend on
// banked registers it never set: otherwise a difference would say nothing about the translator.
TEST(ThumbCaseGeneratorTest, CasesAreWellFormedOnTheReference) {
  const DiffSettings s = settings();
  Reference first;
  Reference second;
  ASSERT_TRUE(first.unicorn().ready()) << first.unicorn().error();
  first.unicorn().log_accesses(true);
  const std::uint64_t checks = s.cases / 5 + 1;
  for (ThumbCaseClass case_class : ALL_THUMB_CASE_CLASSES) {
    int failures = 0;
    for (std::uint64_t index = 0; index < checks && failures < MAX_REPORTED_FAILURES; ++index) {
      const ThumbCase c = generate_thumb_case(case_class, s.seed, index);
      std::ostringstream problems;
      if (c.code.halfwords.empty() || c.code.halfwords.size() > MAX_CASE_HALFWORDS) {
        problems << "  " << c.code.halfwords.size() << " halfwords\n";
      }
      if (c.code.roles.size() != c.code.halfwords.size() ||
          c.far.roles.size() != c.far.halfwords.size()) {
        problems << "  roles and halfwords disagree\n";
      }
      first.unicorn().scramble_banked_registers(0x13579BDF);
      second.unicorn().scramble_banked_registers(0x2468ACE0);
      const CaseImage image = image_of(c);
      const Outcome a = first.run(image);
      const Outcome b = second.run(image);
      if (!a.stopped) problems << "  " << a.status << " at " << hex(a.r[15]) << "\n";
      if (((a.cpsr ^ c.cpsr) & 0x3F) != 0) problems << "  ended in another mode or state\n";
      const auto pool_bytes = 4 * static_cast<std::uint32_t>(c.literals.size());
      problems << stray_accesses(first.unicorn().accesses(), {{c.literal_address(), pool_bytes}});
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
