// The Thumb translator against Unicorn: random Thumb instruction sequences of each format (and
// ARM <-> Thumb round trips through BX) run on both, and every register, the flags, the mode,
// the state and the data memory must come out the same.
//
// Environment, as for the ARM cases:
//   ORVANE_DIFF_SEED   seed of the run (decimal or 0x-hex); a fixed one by default
//   ORVANE_DIFF_CASES  cases per class (default 2000); e.g. 1000000 for a deep run
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
constexpr int MAX_REPORTED_FAILURES = 5;
constexpr std::uint16_t THUMB_BRANCH_TO_SELF = 0xE7FE;  // B .
constexpr std::uint32_t ARM_BRANCH_TO_SELF = 0xEAFFFFFE;
// A random case runs a few dozen instructions; anything near these limits has gone astray.
constexpr std::uint64_t CASE_CYCLES = 100'000;
constexpr std::uint64_t CASE_INSTRUCTIONS = 10'000;

constexpr std::uint32_t SYSTEM_THUMB = 0x3F;
constexpr std::uint32_t SYSTEM_ARM = 0x1F;

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

// The stop instruction the driver plants, in the state the case starts (and ends) in.
std::vector<std::uint16_t> stop_halfwords(const ThumbCase& c) {
  if (c.starts_in_thumb()) return {THUMB_BRANCH_TO_SELF};
  return {static_cast<std::uint16_t>(ARM_BRANCH_TO_SELF),
          static_cast<std::uint16_t>(ARM_BRANCH_TO_SELF >> 16)};
}

std::vector<std::uint8_t> bytes_of(const std::vector<std::uint16_t>& halfwords) {
  std::vector<std::uint8_t> bytes(halfwords.size() * 2);
  for (std::size_t i = 0; i < halfwords.size(); ++i) {
    bytes[2 * i] = static_cast<std::uint8_t>(halfwords[i]);
    bytes[2 * i + 1] = static_cast<std::uint8_t>(halfwords[i] >> 8);
  }
  return bytes;
}

// ---- Running a case on each side -------------------------------------------------------------

struct Outcome {
  bool stopped = false;
  std::string status;
  std::uint32_t r[16] = {};
  std::uint32_t cpsr = 0;
  std::vector<std::uint8_t> windows[2];
};

class Reference {
 public:
  Reference() { unicorn_.clear_memory(); }
  UnicornReference& unicorn() { return unicorn_; }

  Outcome run(const ThumbCase& c) {
    // Leave memory as a fresh machine would have it apart from what this case writes: the
    // previous case's code, pool and data go.
    for (const Placed& p : placed_) {
      const std::vector<std::uint8_t> zeros(p.bytes, 0);
      unicorn_.write_bytes(p.address, zeros.data(), zeros.size());
    }
    placed_.clear();
    for (unsigned w = 0; w < 2; ++w) {
      unicorn_.write_bytes(DATA_WINDOWS[w].base, c.window_bytes[w].data(),
                           c.window_bytes[w].size());
    }
    std::vector<std::uint16_t> code = c.code.halfwords;
    for (std::uint16_t h : stop_halfwords(c)) code.push_back(h);
    place(c.code.address, bytes_of(code));
    if (!c.far.halfwords.empty()) place(c.far.address, bytes_of(c.far.halfwords));
    if (!c.literals.empty()) {
      std::vector<std::uint8_t> pool(c.literals.size() * 4);
      for (std::size_t i = 0; i < c.literals.size(); ++i) {
        for (unsigned b = 0; b < 4; ++b) {
          pool[4 * i + b] = static_cast<std::uint8_t>(c.literals[i] >> (8 * b));
        }
      }
      place(c.literal_address(), pool);
    }

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
    std::size_t bytes;
  };
  void place(std::uint32_t address, const std::vector<std::uint8_t>& bytes) {
    unicorn_.write_bytes(address, bytes.data(), bytes.size());
    placed_.push_back({address, bytes.size()});
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

Outcome run_on_translator(const ThumbCase& c, std::uint64_t cycles = CASE_CYCLES) {
  reset_guest_machine();
  for (unsigned w = 0; w < 2; ++w) {
    write_guest_bytes(DATA_WINDOWS[w].base, c.window_bytes[w].data(), c.window_bytes[w].size());
  }
  write_guest_halfwords(c.code.address, c.code.halfwords);
  if (!c.far.halfwords.empty()) write_guest_halfwords(c.far.address, c.far.halfwords);
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
std::string differences(const ThumbCase& c, const Outcome& expected, const Outcome& actual) {
  std::ostringstream out;
  if (!expected.stopped) {
    out << "  the reference did not reach the stop address (" << expected.status
        << ", pc " << hex(expected.r[15]) << "): the generated case is broken\n";
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

std::string class_filter_name(ThumbCaseClass case_class) {
  std::string name = thumb_case_class_name(case_class);
  for (char& ch : name) {
    if (ch == ' ') ch = '_';
  }
  return name;
}

std::string report(ThumbCaseClass case_class, const Settings& s, std::uint64_t index,
                   const ThumbCase& c, const std::string& diff) {
  std::ostringstream out;
  char seed[32];
  std::snprintf(seed, sizeof seed, "0x%" PRIx64, s.seed);
  out << "Thumb " << thumb_case_class_name(case_class) << " case " << index << " of seed " << seed
      << " (again on its own: ORVANE_DIFF_SEED=" << seed << " ORVANE_DIFF_CASE=" << index
      << " translator_test --gtest_filter='ThumbFormats/*/" << class_filter_name(case_class)
      << "')\n"
      << "  code:\n"
      << listing(c) << "  start:\n"
      << registers(c.r, c.cpsr) << diff;
  return out.str();
}

// ---- The random classes ----------------------------------------------------------------------

class ThumbDifferentialTest : public ::testing::TestWithParam<ThumbCaseClass> {};

TEST_P(ThumbDifferentialTest, TranslatorMatchesTheReference) {
  const ThumbCaseClass case_class = GetParam();
  const Settings s = settings();
  Reference reference;
  ASSERT_TRUE(reference.unicorn().ready()) << reference.unicorn().error();

  const std::uint64_t first = s.single ? s.single_case : 0;
  const std::uint64_t last = s.single ? s.single_case + 1 : s.cases;
  int failures = 0;
  std::uint64_t run = 0;
  for (std::uint64_t index = first; index < last && failures < MAX_REPORTED_FAILURES; ++index) {
    const ThumbCase c = generate_thumb_case(case_class, s.seed, index);
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
    std::printf("[ stopped  ] Thumb %s: first %d failures reported after %" PRIu64 " cases\n",
                thumb_case_class_name(case_class), failures, run);
  }
}

std::string class_test_name(const ::testing::TestParamInfo<ThumbCaseClass>& info) {
  return class_filter_name(info.param);
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

// One for all directed cases: setting Unicorn up costs more than running a case.
Reference& shared_reference() {
  static Reference reference;
  return reference;
}

// Empty when the translator agrees with the reference, else the whole story.
std::string directed_difference(const ThumbCase& c, std::uint64_t cycles = CASE_CYCLES) {
  Reference& reference = shared_reference();
  if (!reference.unicorn().ready()) return reference.unicorn().error();
  const Outcome expected = reference.run(c);
  const Outcome actual = run_on_translator(c, cycles);
  const std::string diff = differences(c, expected, actual);
  if (diff.empty()) return diff;
  return "code:\n" + listing(c) + "start:\n" + registers(c.r, c.cpsr) + diff;
}

void expect_same_as_reference(const ThumbCase& c, std::uint64_t cycles = CASE_CYCLES) {
  const std::string diff = directed_difference(c, cycles);
  EXPECT_TRUE(diff.empty()) << diff;
}

TEST(ThumbDirectedTest, ConditionalBranchesFollowEveryConditionAndFlagCombination) {
  int failures = 0;
  for (unsigned cond = 0; cond < 14; ++cond) {
    for (unsigned flags = 0; flags < 16 && failures < MAX_REPORTED_FAILURES; ++flags) {
      ThumbCase c = directed_case({
          static_cast<std::uint16_t>(0xD001 | cond << 8),  // 0: b<cond> 6
          0x2001,                                          // 2: movs r0, #1 (flags change)
          0xE000,                                          // 4: b 8 (the stop)
          0x4651,                                          // 6: mov r1, r10
      }, flags << 28 | SYSTEM_THUMB);
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

bool inside(std::uint32_t address, std::uint32_t size, std::uint32_t base, std::uint32_t bytes) {
  return address >= base && address + size <= base + bytes;
}

bool inside_a_window_for_test(std::uint32_t address, std::uint32_t size) {
  for (const DataWindow& w : DATA_WINDOWS) {
    if (inside(address, size, w.base, w.size)) return true;
  }
  return false;
}

// Every generated case must reach its stop address on the oracle, touch only the data windows
// (and read only its own code and literal pool), fit before its literal pool, and not depend on
// banked registers it never set: otherwise a difference would say nothing about the translator.
TEST(ThumbCaseGeneratorTest, CasesAreWellFormedOnTheReference) {
  const Settings s = settings();
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
      const Outcome a = first.run(c);
      const Outcome b = second.run(c);
      if (!a.stopped) problems << "  " << a.status << " at " << hex(a.r[15]) << "\n";
      if (((a.cpsr ^ c.cpsr) & 0x3F) != 0) problems << "  ended in another mode or state\n";
      for (const ReferenceAccess& access : first.unicorn().accesses()) {
        bool allowed = inside_a_window_for_test(access.address, access.size);
        if (!access.write) {
          const auto pool_bytes = 4 * static_cast<std::uint32_t>(c.literals.size());
          allowed = allowed || inside(access.address, access.size, c.literal_address(), pool_bytes);
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
