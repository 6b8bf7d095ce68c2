// What every host's generated code owes the machine it runs on, beyond the guest's behaviour:
// the instruction cache sees each byte of new code before it runs, and ordinary code called
// from the runtime finds the stack aligned as the host's calling convention says.
//
// Under qemu-user (the ARM host's tests) and on x86-64 the instruction cache never goes stale,
// so running rewritten code cannot show a missed flush there; the flushed ranges are therefore
// watched directly, and the rerun checks that the new translation, not the old, is what runs.

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "core/state.h"
#include "cpu/code_memory.h"
#include "cpu/kest_port.h"
#include "cpu/translation_cache.h"
#include "tests/cpu/guest_machine.h"

namespace {

constexpr std::uint32_t IWRAM = 0x03000000;
constexpr std::uint32_t SYSTEM_MODE = 0x1F;
constexpr std::uint32_t THUMB = 0x20;

std::vector<std::pair<const std::uint8_t*, std::size_t>> flushed;

void note_flush(const std::uint8_t* begin, std::size_t length) {
  flushed.emplace_back(begin, length);
}

// Every byte of [begin, end) lies in some flushed range.
bool all_flushed(const std::uint8_t* begin, const std::uint8_t* end) {
  for (const std::uint8_t* p = begin; p < end; ++p) {
    bool covered = false;
    for (const auto& [start, length] : flushed) covered |= p >= start && p < start + length;
    if (!covered) return false;
  }
  return true;
}

std::size_t bytes_flushed() {
  std::size_t total = 0;
  for (const auto& range : flushed) total += range.second;
  return total;
}

struct Rewrite {
  const char* name;
  std::uint32_t cpsr;
  std::vector<std::uint16_t> first;  // halfwords of code that sets r0
  std::vector<std::uint16_t> second;
  std::uint32_t first_r0;
  std::uint32_t second_r0;
};

void PrintTo(const Rewrite& rewrite, std::ostream* out) { *out << rewrite.name; }

const Rewrite rewrites[] = {
    {"Arm", SYSTEM_MODE, {0x0001, 0xE3A0}, {0x0002, 0xE3A0}, 1, 2},  // mov r0, #1 / #2
    {"Thumb", SYSTEM_MODE | THUMB, {0x2005}, {0x2007}, 5, 7},        // movs r0, #5 / #7
};

class RewrittenCodeTest : public ::testing::TestWithParam<Rewrite> {
 protected:
  void SetUp() override {
    reset_guest_machine();
    flushed.clear();
    icache_observe_flushes(note_flush);
  }
  void TearDown() override { icache_observe_flushes(nullptr); }

  std::uint32_t run_code(const std::vector<std::uint16_t>& code) {
    write_guest_halfwords(IWRAM, code);
    GuestState start{};
    start.r[15] = IWRAM;
    start.cpsr = GetParam().cpsr;
    GuestState out{};
    EXPECT_EQ(run_guest(start, IWRAM + 2 * static_cast<std::uint32_t>(code.size()), out),
              RunResult::STOPPED);
    return out.r[0];
  }
};

TEST_P(RewrittenCodeTest, RunsItsNewTranslationAfterTheInstructionCacheSawExactlyTheNewCode) {
  const Rewrite& r = GetParam();
  std::uint8_t* ram_code = code_area_start(CODE_REGION_RAM);
  EXPECT_EQ(run_code(r.first), r.first_r0);
  EXPECT_TRUE(all_flushed(ram_code, caches.write_pointer[CODE_REGION_RAM]));

  // The same guest address, new code: the RAM cache starts again, so the new translation lands
  // on the host bytes that held the old one.
  flush_ram_cache();
  flushed.clear();
  EXPECT_EQ(run_code(r.second), r.second_r0);
  std::uint8_t* written_end = caches.write_pointer[CODE_REGION_RAM];
  EXPECT_TRUE(all_flushed(ram_code, written_end));
  // Only what was written, not whole code areas.
  EXPECT_LE(bytes_flushed(), static_cast<std::size_t>(written_end - ram_code) + 1024);
}

std::string rewrite_name(const ::testing::TestParamInfo<Rewrite>& param) {
  return param.param.name;
}

INSTANTIATE_TEST_SUITE_P(States, RewrittenCodeTest, ::testing::ValuesIn(rewrites), rewrite_name);

// The stack alignment the calling convention promises at every call (8 bytes on 32-bit ARM,
// 16 on x86-64), checked from ordinary code called through the runtime's scheduler exits.
unsigned misaligned_calls;
unsigned calls;

void check_stack_alignment() {
  alignas(alignof(std::max_align_t)) volatile unsigned char probe[alignof(std::max_align_t)] = {};
  // The compiler takes the alignment for granted and would fold the test away; the empty asm
  // hides where the address came from.
  auto address = reinterpret_cast<std::uintptr_t>(&probe[0]);
  asm volatile("" : "+r"(address));
  if (address % alignof(std::max_align_t) != 0) ++misaligned_calls;
  ++calls;
}

TEST(HostCallTest, OrdinaryCodeCalledFromGeneratedCodeFindsTheStackAligned) {
  reset_guest_machine();
  misaligned_calls = 0;
  calls = 0;
  set_scheduler_hook(check_stack_alignment);
  write_guest_halfwords(IWRAM, {0x0001, 0xE250, 0xFFFD, 0x1AFF});  // loop: subs r0, r0, #1; bne
  GuestState start{};
  start.r[0] = 100000;
  start.r[15] = IWRAM;
  start.cpsr = SYSTEM_MODE;
  GuestState out{};
  EXPECT_EQ(run_guest(start, IWRAM + 8, out), RunResult::STOPPED);
  set_scheduler_hook(nullptr);
  EXPECT_EQ(out.r[0], 0u);
  EXPECT_GT(calls, 1u);  // budget exits as well as the stop
  EXPECT_EQ(misaligned_calls, 0u);
}

}  // namespace
