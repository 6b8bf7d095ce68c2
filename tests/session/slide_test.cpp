// A guest that runs off the end of its cartridge image slides through zeros (ANDEQ r0, r0, r0 in
// ARM, LSLS r0, r0, #0 in Thumb) that are never seen twice, so every step of the scheduler meets
// code that has to be translated. That work must stay bounded by what the guest can run in a
// frame (about 100,000 such instructions, a few MB of host code): at most four flushes of the
// 2 MB cartridge code cache per frame, where blocks of 8192 instructions once cost dozens.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "core/state.h"
#include "cpu/block_plan.h"
#include "cpu/cpu_state.h"
#include "cpu/translation_cache.h"
#include "session/session.h"
#include "tests/support/temp_dir.h"

namespace {

constexpr std::uint32_t FRAMES = 30;
constexpr unsigned MOST_FLUSHES_PER_FRAME = 4;

std::uint32_t frames_left;
void count_down(std::uint32_t) {
  if (--frames_left == 0) session_request_stop();
}
void quiet(const char*) {}

// A header whose first word branches to 0xC0, then `code` there and nothing after it.
std::vector<std::uint8_t> cartridge(const std::vector<std::uint32_t>& code) {
  std::vector<std::uint8_t> bytes(0xC0, 0);
  auto put = [&bytes](std::size_t at, std::uint32_t word) {
    for (int i = 0; i < 4; ++i)
      bytes[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(word >> (8 * i));
  };
  put(0, 0xEA00002E);  // B 0x080000C0
  for (std::uint32_t word : code) {
    bytes.resize(bytes.size() + 4);
    put(bytes.size() - 4, word);
  }
  return bytes;
}

TEST(SlideTest, RunningThroughZerosPastTheImageCostsBoundedTranslation) {
  SessionHooks hooks;
  hooks.frame_ended = count_down;
  hooks.notice = quiet;
  hooks.debug_sink = quiet;
  ASSERT_TRUE(session_open(hooks));
  struct Case {
    const char* name;
    std::vector<std::uint32_t> code;
  };
  const Case cases[] = {
      {"arm", {0xE3A00000}},                // MOV r0, #0; then zeros
      {"thumb", {0xE28F0001, 0xE12FFF10}},  // ADD r0, pc, #1; BX r0: Thumb zeros from 0xC8
  };
  TempDir dir;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string path = dir.write(std::string(c.name) + ".gba", cartridge(c.code));
    std::string error;
    ASSERT_TRUE(session_start_game(path.c_str(), dir.path().c_str(), error)) << error;
    unsigned flushes_before = caches.flush_generation[CODE_REGION_ROM];
    frames_left = FRAMES;
    ASSERT_EQ(session_run(), StopReason::STOP_REQUESTED);
    // It did slide: far past the image, still in the cartridge's space.
    EXPECT_GT(reg[SLOT_PC], 0x08100000u);
    EXPECT_LE(caches.flush_generation[CODE_REGION_ROM] - flushes_before,
              MOST_FLUSHES_PER_FRAME * FRAMES);
  }
  EXPECT_TRUE(session_close());
}

// A block that a length limit ended goes on at the next address. The lookup translates that
// successor for the link, but not the successor's own: otherwise every lookup would translate a
// chain of successors, 64 deep, most of which never run.
TEST(SlideTest, ALookupTranslatesOneSuccessorOfABlockCutByTheLengthLimit) {
  SessionHooks hooks;
  hooks.notice = quiet;
  hooks.debug_sink = quiet;
  ASSERT_TRUE(session_open(hooks));
  TempDir dir;
  std::string path = dir.write("arm.gba", cartridge({0xE3A00000}));
  std::string error;
  ASSERT_TRUE(session_start_game(path.c_str(), dir.path().c_str(), error)) << error;
  for (bool thumb : {false, true}) {
    SCOPED_TRACE(thumb ? "thumb" : "arm");
    const std::uint32_t start = thumb ? 0x08100000 : 0x08200000;  // zeros
    const std::uint32_t size = thumb ? 2 : 4;
    BlockAddress block = thumb ? lookup_thumb_block(start) : lookup_arm_block(start);
    ASSERT_TRUE(is_block_address(block));
    EXPECT_EQ(find_translated_block(start, thumb), block);
    EXPECT_TRUE(
        is_block_address(find_translated_block(start + MAX_BLOCK_INSTRUCTIONS * size, thumb)));
    EXPECT_EQ(find_translated_block(start + 2 * MAX_BLOCK_INSTRUCTIONS * size, thumb),
              LOOKUP_BAD_JUMP);
  }
  EXPECT_TRUE(session_close());
}

}  // namespace
