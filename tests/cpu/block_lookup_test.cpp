// The block lookup, driven through stand-in translators that write a few recognisable bytes and
// look their branch targets up nested, as the real translators link blocks.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "core/report.h"
#include "core/state.h"
#include "cpu/code_memory.h"
#include "cpu/kest_port.h"
#include "cpu/translation_cache.h"
#include "tests/cpu/empty_caches.h"

namespace {

// What the stand-in translator does for one guest block.
struct FakeBlock {
  unsigned instructions = 1;
  std::size_t code_per_instruction = 16;  // host bytes per guest instruction
  std::vector<std::uint32_t> targets;     // direct branches leaving the block (ARM state)
  std::uint32_t chain_step = 0;           // when set, also branches to pc + chain_step
};

struct TranslatorCall {
  std::uint32_t pc;
  int region;
  int tag_code;
  int depth;
  bool linking;
  bool thumb;
};

struct FakeProgram {
  std::map<std::uint32_t, FakeBlock> blocks;
  FakeBlock other_blocks;  // for every address not in `blocks`
  std::function<void()> while_translating;
  std::vector<TranslatorCall> calls;
  std::map<std::uint32_t, BlockAddress> last_link;  // target -> what the nested lookup gave

  const FakeBlock& block_at(std::uint32_t pc) const {
    auto found = blocks.find(pc);
    return found != blocks.end() ? found->second : other_blocks;
  }
  unsigned calls_for(std::uint32_t pc) const {
    unsigned count = 0;
    for (const TranslatorCall& call : calls) count += call.pc == pc ? 1 : 0;
    return count;
  }
};

FakeProgram* program = nullptr;

// Each block starts with its guest address, so a test can tell whose code is at an entry.
std::uint32_t marker_at(BlockAddress entry) {
  std::uint32_t pc;
  std::memcpy(&pc, reinterpret_cast<const void*>(entry), sizeof pc);
  return pc;
}

int translate_fake(std::uint32_t pc, int region, int tag_code, bool thumb) {
  program->calls.push_back(
      {pc, region, tag_code, caches.lookup_depth, caches.link_nested_blocks, thumb});
  if (program->while_translating) program->while_translating();
  const FakeBlock block = program->block_at(pc);
  const std::uint32_t instruction_size = thumb ? 2 : 4;
  std::uint8_t*& out = caches.write_pointer[region];
  std::memcpy(out, &pc, sizeof pc);
  out += sizeof pc;
  if (tag_code != 0) note_ram_block_start(pc);
  for (unsigned i = 0; i < block.instructions; ++i) {
    std::memset(out, 0xCC, block.code_per_instruction);
    out += block.code_per_instruction;
    if (tag_code != 0) tag_ram_code(pc + i * instruction_size, instruction_size);
    if (cache_full_after_instruction(region)) return TRANSLATE_CACHE_FULL;
  }
  std::vector<std::uint32_t> targets = block.targets;
  if (block.chain_step != 0) targets.push_back(pc + block.chain_step);
  for (std::uint32_t target : targets) {
    if (!caches.link_nested_blocks) continue;  // left to the indirect-jump routine
    BlockAddress linked = lookup_arm_block(target);
    if (linked == LOOKUP_RETRY) return TRANSLATE_CACHE_FULL;
    program->last_link[target] = linked;
  }
  if (tag_code != 0) note_ram_block_end(pc, pc + block.instructions * instruction_size);
  return TRANSLATE_OK;
}

int translate_fake_arm(std::uint32_t pc, int region, int tag_code) {
  return translate_fake(pc, region, tag_code, false);
}
int translate_fake_thumb(std::uint32_t pc, int region, int tag_code) {
  return translate_fake(pc, region, tag_code, true);
}

std::string debug_text;
std::string assertion_text;
void keep_debug_text(const char* text) { debug_text += text; }
void keep_assertion_text(const char* text) { assertion_text += text; }

BlockAddress start_of(int region) {
  return reinterpret_cast<BlockAddress>(code_area_start(region));
}

// A ROM block's code follows its 16-byte node, which the lookup places 8-byte aligned.
constexpr BlockAddress ROM_NODE_BYTES = 16;

// A machine as a game start leaves it: caches flushed ROM, RAM, BIOS; the translators replaced.
class BlockLookupTest : public ::testing::Test {
 protected:
  void SetUp() override {
    start_with_empty_caches();
    if (HasFatalFailure()) return;
    program = &fake;
    arm_translator = translate_fake_arm;
    thumb_translator = translate_fake_thumb;
    debug_text.clear();
    assertion_text.clear();
    set_debug_sink(keep_debug_text);
    set_assertion_sink(keep_assertion_text);
  }

  void TearDown() override {
    EXPECT_EQ(caches.lookup_depth, 0);
    EXPECT_EQ(assertion_text, "");
    set_debug_sink(nullptr);
    set_assertion_sink(nullptr);
    arm_translator = nullptr;
    thumb_translator = nullptr;
    program = nullptr;
  }

  FakeProgram fake;
};

std::uint16_t iwram_tag(std::uint32_t offset) { return machine.iwram.tags[offset / 2]; }
std::uint16_t bios_tag_at(std::uint32_t offset) { return machine.bios_area.tags[offset / 2]; }

// --- Translating a block for the first time -------------------------------------------------

struct FirstLookupCase {
  const char* name;
  std::uint32_t pc;
  bool thumb;
  int region;
  int tag_code;
  BlockAddress entry_offset;  // from the region's code area start
};

class FirstLookupTest : public BlockLookupTest,
                        public ::testing::WithParamInterface<FirstLookupCase> {};

TEST_P(FirstLookupTest, TranslatesIntoItsRegionAtTheWritePointerThenHits) {
  const FirstLookupCase& c = GetParam();
  auto lookup = c.thumb ? lookup_thumb_block : lookup_arm_block;

  BlockAddress entry = lookup(c.pc);
  ASSERT_EQ(fake.calls.size(), 1u);
  EXPECT_EQ(fake.calls[0].pc, c.pc);
  EXPECT_EQ(fake.calls[0].region, c.region);
  EXPECT_EQ(fake.calls[0].tag_code, c.tag_code);
  EXPECT_EQ(fake.calls[0].depth, 1);
  EXPECT_EQ(entry, start_of(c.region) + c.entry_offset);
  EXPECT_EQ(marker_at(entry), c.pc);

  EXPECT_EQ(lookup(c.pc), entry);
  EXPECT_EQ(fake.calls.size(), 1u) << "a hit translates nothing";
}

INSTANTIATE_TEST_SUITE_P(
    Regions, FirstLookupTest,
    ::testing::Values(
        FirstLookupCase{"ArmIwram", 0x03000100, false, CODE_REGION_RAM, 1, 0},
        FirstLookupCase{"ThumbEwram", 0x02012342, true, CODE_REGION_RAM, 1, 0},
        FirstLookupCase{"ArmBios", 0x00000008, false, CODE_REGION_BIOS, 0, 0},
        FirstLookupCase{"ThumbBios", 0x00000102, true, CODE_REGION_BIOS, 0, 0},
        FirstLookupCase{"ArmRom", 0x08000000, false, CODE_REGION_ROM, 0, ROM_NODE_BYTES},
        FirstLookupCase{"ThumbRomMirror", 0x0D000012, true, CODE_REGION_ROM, 0, ROM_NODE_BYTES}),
    [](const auto& test) { return std::string(test.param.name); });

TEST_F(BlockLookupTest, RamBlocksAreNumberedFrom257AndTaggedWhereTheyStart) {
  BlockAddress arm = lookup_arm_block(0x03000100);
  BlockAddress thumb = lookup_thumb_block(0x02012342);

  EXPECT_EQ(iwram_tag(0x100), 257);
  EXPECT_EQ(iwram_tag(0x102), TAG_INSIDE_BLOCK) << "upper half of the first ARM instruction";
  // EWRAM 0x12342 is page 2 (0x12342 >> 15), offset 0x2342 in it.
  EXPECT_EQ(machine.ewram[2].tags[0x2342 / 2], 258);
  EXPECT_EQ(machine.ewram[2].tags[0x2344 / 2], TAG_NO_CODE) << "a one-instruction Thumb block";
  EXPECT_EQ(reinterpret_cast<BlockAddress>(caches.ram_blocks[257]), arm);
  EXPECT_EQ(reinterpret_cast<BlockAddress>(caches.ram_blocks[258]), thumb);
  EXPECT_EQ(caches.ram_block_counter, 259u);
}

TEST_F(BlockLookupTest, BiosBlocksAreNumberedFrom257AndTaggedAfterTheImage) {
  BlockAddress arm = lookup_arm_block(0x00000018);
  BlockAddress thumb = lookup_thumb_block(0x00000202);

  EXPECT_EQ(bios_tag_at(0x18), 257);
  EXPECT_EQ(bios_tag_at(0x1A), TAG_INSIDE_BLOCK);
  EXPECT_EQ(bios_tag_at(0x202), 258);
  EXPECT_EQ(bios_tag_at(0x204), TAG_NO_CODE);
  EXPECT_EQ(reinterpret_cast<BlockAddress>(caches.bios_blocks[257]), arm);
  EXPECT_EQ(reinterpret_cast<BlockAddress>(caches.bios_blocks[258]), thumb);
  EXPECT_EQ(caches.bios_block_counter, 259u);
}

TEST_F(BlockLookupTest, RomBlockNodeHoldsTheAddressAheadOfTheCode) {
  BlockAddress entry = lookup_arm_block(0x08000200);
  const auto* node = reinterpret_cast<const RomBlockNode*>(entry - ROM_NODE_BYTES);
  EXPECT_EQ(node->guest_address, 0x08000200u);
  EXPECT_EQ(node->next, nullptr);
  // 0x08000200 = 2^27 + 2^9: 0x9E3779B1 << 27 keeps 0x88000000, << 9 keeps 0x6EF36200; their
  // sum 0xF6F36200 >> 16 is bucket 0xF6F3.
  EXPECT_EQ(caches.rom_buckets[0xF6F3], node);
}

TEST_F(BlockLookupTest, BlocksFollowOneAnotherInTheirArea) {
  fake.other_blocks.instructions = 3;
  fake.other_blocks.code_per_instruction = 20;
  BlockAddress first = lookup_thumb_block(0x03000000);
  BlockAddress second = lookup_thumb_block(0x03000010);
  EXPECT_EQ(second, first + 4 + 3 * 20) << "a 4-byte marker and three instructions of 20 bytes";
  EXPECT_EQ(reinterpret_cast<BlockAddress>(caches.write_pointer[CODE_REGION_RAM]),
            second + 4 + 3 * 20);
}

// --- Aligning, and ARM and Thumb sharing blocks -------------------------------------------

struct AlignCase {
  const char* name;
  std::uint32_t pc;
  bool thumb;
  std::uint32_t translated_pc;
};

class AlignTest : public BlockLookupTest, public ::testing::WithParamInterface<AlignCase> {};

TEST_P(AlignTest, TranslatesTheAlignedAddress) {
  const AlignCase& c = GetParam();
  (c.thumb ? lookup_thumb_block : lookup_arm_block)(c.pc);
  ASSERT_EQ(fake.calls.size(), 1u);
  EXPECT_EQ(fake.calls[0].pc, c.translated_pc);
}

INSTANTIATE_TEST_SUITE_P(Addresses, AlignTest,
                         ::testing::Values(AlignCase{"ArmRom", 0x08000103, false, 0x08000100},
                                           AlignCase{"ThumbRom", 0x08000103, true, 0x08000102},
                                           AlignCase{"ArmIwram", 0x03000006, false, 0x03000004},
                                           AlignCase{"ThumbEwram", 0x02000001, true, 0x02000000},
                                           AlignCase{"ArmBios", 0x0000000B, false, 0x00000008}),
                         [](const auto& test) { return std::string(test.param.name); });

class SharedBlockTest : public BlockLookupTest,
                        public ::testing::WithParamInterface<std::uint32_t> {};

TEST_P(SharedBlockTest, ArmAndThumbAtOneAlignedAddressAreOneBlock) {
  const std::uint32_t address = GetParam();
  BlockAddress arm = lookup_arm_block(address);
  EXPECT_EQ(lookup_thumb_block(address), arm);
  EXPECT_EQ(lookup_thumb_block(address + 1), arm);
  EXPECT_EQ(lookup_arm_block(address + 3), arm);
  EXPECT_EQ(fake.calls.size(), 1u);
}

TEST_P(SharedBlockTest, ThumbFirstThenArmFindsTheThumbBlock) {
  const std::uint32_t address = GetParam();
  BlockAddress thumb = lookup_thumb_block(address);
  EXPECT_EQ(lookup_arm_block(address + 2), thumb) << "ARM aligns down to the Thumb block";
  ASSERT_EQ(fake.calls.size(), 1u);
  EXPECT_TRUE(fake.calls[0].thumb);
}

INSTANTIATE_TEST_SUITE_P(Regions, SharedBlockTest,
                         ::testing::Values(0x00000100u, 0x02000100u, 0x0203FF00u, 0x03000100u,
                                           0x03FFFF00u, 0x08000100u, 0x0C000100u),
                         [](const auto& test) {
                           char name[16];
                           std::snprintf(name, sizeof name, "At%08X", test.param);
                           return std::string(name);
                         });

// --- A jump into the middle of a block -----------------------------------------------------

TEST_F(BlockLookupTest, JumpIntoABlockTranslatesANewBlockAndKeepsTheOld) {
  fake.other_blocks.instructions = 4;  // 0x03000200-0x0300020F
  BlockAddress old_block = lookup_arm_block(0x03000200);
  ASSERT_EQ(iwram_tag(0x208), TAG_INSIDE_BLOCK);

  BlockAddress inner = lookup_arm_block(0x03000208);
  EXPECT_EQ(fake.calls_for(0x03000208), 1u);
  EXPECT_NE(inner, old_block);
  EXPECT_EQ(iwram_tag(0x208), 258);
  EXPECT_EQ(marker_at(inner), 0x03000208u);

  EXPECT_EQ(lookup_arm_block(0x03000200), old_block);
  EXPECT_EQ(marker_at(old_block), 0x03000200u);
  EXPECT_EQ(fake.calls.size(), 2u);
}

TEST_F(BlockLookupTest, ThumbJumpToTheUpperHalfOfAnArmBlockStartTranslatesANewBlock) {
  BlockAddress arm = lookup_arm_block(0x00000100);
  BlockAddress thumb = lookup_thumb_block(0x00000102);
  EXPECT_NE(thumb, arm);
  EXPECT_EQ(fake.calls_for(0x00000102), 1u);
  EXPECT_EQ(bios_tag_at(0x102), 258);
}

// --- Bad jumps -----------------------------------------------------------------------------

struct BadJumpCase {
  const char* name;
  std::uint32_t pc;
  bool thumb;
  const char* message;  // with r15 = 0x08000123, CPSR = 0x6000001F
};

class BadJumpTest : public BlockLookupTest, public ::testing::WithParamInterface<BadJumpCase> {};

TEST_P(BadJumpTest, OutermostReportsAndReturnsTheBadJumpValue) {
  const BadJumpCase& c = GetParam();
  reg[SLOT_PC] = 0x08000123;
  reg[SLOT_CPSR] = 0x6000001F;
  EXPECT_EQ((c.thumb ? lookup_thumb_block : lookup_arm_block)(c.pc), LOOKUP_BAD_JUMP);
  EXPECT_EQ(debug_text, c.message);
  EXPECT_TRUE(fake.calls.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Addresses, BadJumpTest,
    ::testing::Values(
        BadJumpCase{"Region01", 0x01000000, false, "bad jump 1000000 (8000123) (6000001f)\n"},
        BadJumpCase{"Io", 0x04000003, false, "bad jump 4000000 (8000123) (6000001f)\n"},
        BadJumpCase{"Palette", 0x05000101, true, "bad jump 5000100 (8000123) (6000001f)\n"},
        BadJumpCase{"Vram", 0x06000000, true, "bad jump 6000000 (8000123) (6000001f)\n"},
        BadJumpCase{"OamEnd", 0x07FFFFFE, true, "bad jump 7fffffe (8000123) (6000001f)\n"},
        BadJumpCase{"SaveMemory", 0x0E000000, false, "bad jump e000000 (8000123) (6000001f)\n"},
        BadJumpCase{"Region0F", 0x0F000001, true, "bad jump f000000 (8000123) (6000001f)\n"},
        BadJumpCase{"Top", 0xFFFFFFFF, false, "bad jump fffffffc (8000123) (6000001f)\n"}),
    [](const auto& test) { return std::string(test.param.name); });

class CodeRegionEdgeTest : public BlockLookupTest,
                           public ::testing::WithParamInterface<std::uint32_t> {};

TEST_P(CodeRegionEdgeTest, LastAddressesOfCodeRegionsAreNotBadJumps) {
  EXPECT_TRUE(is_block_address(lookup_thumb_block(GetParam())));
  EXPECT_EQ(debug_text, "");
}

INSTANTIATE_TEST_SUITE_P(Addresses, CodeRegionEdgeTest,
                         ::testing::Values(0x00FFFFFEu, 0x02000000u, 0x03FFFFFEu, 0x08000000u,
                                           0x0DFFFFFEu));

TEST_F(BlockLookupTest, NestedBadJumpIsSilentAndTheOuterBlockSucceeds) {
  fake.blocks[0x08000000].targets = {0x06000000, 0x0E000010};
  BlockAddress outer = lookup_arm_block(0x08000000);
  EXPECT_TRUE(is_block_address(outer));
  EXPECT_EQ(fake.last_link[0x06000000], LOOKUP_BAD_JUMP);
  EXPECT_EQ(fake.last_link[0x0E000010], LOOKUP_BAD_JUMP);
  EXPECT_EQ(debug_text, "");
}

// --- The BIOS's first page -------------------------------------------------------------------

class BiosVectorTest : public BlockLookupTest,
                       public ::testing::WithParamInterface<std::uint32_t> {};

TEST_P(BiosVectorTest, JumpToAVectorMakesTheBiosReadable) {
  machine.read_map[0] = nullptr;
  lookup_arm_block(GetParam());
  EXPECT_EQ(machine.read_map[0], machine.bios_area.image);

  machine.read_map[0] = nullptr;
  lookup_arm_block(GetParam());  // a hit
  EXPECT_EQ(machine.read_map[0], machine.bios_area.image);
}

TEST_P(BiosVectorTest, OutermostLookupMakesTheBiosReadableAgainAfterTranslating) {
  fake.while_translating = [] { machine.read_map[0] = nullptr; };
  lookup_arm_block(GetParam());
  EXPECT_EQ(machine.read_map[0], machine.bios_area.image);
}

INSTANTIATE_TEST_SUITE_P(Vectors, BiosVectorTest, ::testing::Values(0x08u, 0x18u),
                         [](const auto& test) {
                           return test.param == 0x08 ? std::string("Swi") : std::string("Irq");
                         });

// --- Nesting ---------------------------------------------------------------------------------

TEST_F(BlockLookupTest, BranchTargetsAreTranslatedDepthFirstAndLinked) {
  fake.blocks[0x08000000].targets = {0x08000100, 0x08000200};
  fake.blocks[0x08000100].targets = {0x08000300};

  BlockAddress outer = lookup_arm_block(0x08000000);
  ASSERT_EQ(fake.calls.size(), 4u);
  const std::uint32_t order[] = {0x08000000, 0x08000100, 0x08000300, 0x08000200};
  const int depth[] = {1, 2, 3, 2};
  for (std::size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(fake.calls[i].pc, order[i]);
    EXPECT_EQ(fake.calls[i].depth, depth[i]);
  }
  EXPECT_EQ(lookup_arm_block(0x08000000), outer);
  EXPECT_EQ(fake.last_link[0x08000100], lookup_arm_block(0x08000100));
  EXPECT_EQ(fake.last_link[0x08000300], lookup_arm_block(0x08000300));
  EXPECT_EQ(fake.calls.size(), 4u);
}

TEST_F(BlockLookupTest, OutermostLookupStartsTheCacheFullCountAtZero) {
  lookup_arm_block(0x08000000);
  caches.cache_full_count = 7;
  lookup_arm_block(0x08000000);
  EXPECT_EQ(caches.cache_full_count, 0u);
}

TEST_F(BlockLookupTest, OutermostLookupStartsWithLinkingOn) {
  caches.link_nested_blocks = false;
  lookup_arm_block(0x08000000);
  ASSERT_EQ(fake.calls.size(), 1u);
  EXPECT_TRUE(fake.calls[0].linking);
  EXPECT_TRUE(caches.link_nested_blocks);
}

struct FullCase {
  const char* name;
  int region;
  std::uint32_t outer;
  std::uint32_t inner;
  BlockAddress entry_offset;  // of the outer block after the flush
};

class NestedFullTest : public BlockLookupTest, public ::testing::WithParamInterface<FullCase> {};

// The outer block fits below the limit; the nested one passes it. The nested lookup unwinds
// with the retry value, and the outermost starts over on the emptied cache.
TEST_P(NestedFullTest, NestedTranslationThatFillsTheCacheRestartsFromTheOutermost) {
  const FullCase& c = GetParam();
  caches.write_pointer[c.region] = code_area_limit(c.region) - 100;
  fake.blocks[c.outer] = FakeBlock{1, 40, {c.inner}, 0};
  fake.blocks[c.inner] = FakeBlock{2, 512, {}, 0};

  BlockAddress outer = lookup_arm_block(c.outer);

  EXPECT_EQ(outer, start_of(c.region) + c.entry_offset);
  ASSERT_EQ(fake.calls.size(), 4u);
  const std::uint32_t order[] = {c.outer, c.inner, c.outer, c.inner};
  for (std::size_t i = 0; i < 4; ++i) EXPECT_EQ(fake.calls[i].pc, order[i]);
  EXPECT_EQ(caches.cache_full_count, 1u);
  EXPECT_EQ(marker_at(outer), c.outer);
  EXPECT_EQ(fake.last_link[c.inner], lookup_arm_block(c.inner));
  EXPECT_EQ(marker_at(lookup_arm_block(c.inner)), c.inner);
  EXPECT_EQ(fake.calls.size(), 4u);
}

INSTANTIATE_TEST_SUITE_P(
    Regions, NestedFullTest,
    ::testing::Values(FullCase{"Rom", CODE_REGION_ROM, 0x08000000, 0x08001000, ROM_NODE_BYTES},
                      FullCase{"Ram", CODE_REGION_RAM, 0x03000000, 0x03001000, 0},
                      FullCase{"Bios", CODE_REGION_BIOS, 0x00000000, 0x00000100, 0}),
    [](const auto& test) { return std::string(test.param.name); });

TEST_F(BlockLookupTest, RamFlushUnderANestedLookupDropsTheOldTags) {
  caches.write_pointer[CODE_REGION_RAM] = code_area_limit(CODE_REGION_RAM) - 100;
  fake.blocks[0x03000000] = FakeBlock{1, 40, {0x03001000}, 0};
  fake.blocks[0x03001000] = FakeBlock{2, 512, {}, 0};
  lookup_arm_block(0x03000000);
  // Registered 257 and 258 before the flush, then again in the same order after it.
  EXPECT_EQ(iwram_tag(0x0000), 257);
  EXPECT_EQ(iwram_tag(0x1000), 258);
  EXPECT_EQ(caches.ram_block_counter, 259u);
}

// A block translated earlier in a cache that then fills is gone with it.
TEST_F(BlockLookupTest, BlocksTranslatedBeforeTheCacheFilledAreTranslatedAgain) {
  caches.write_pointer[CODE_REGION_ROM] = code_area_limit(CODE_REGION_ROM) - 400;
  fake.blocks[0x08000000] = FakeBlock{1, 40, {0x08000100, 0x08000200}, 0};
  fake.blocks[0x08000100] = FakeBlock{1, 40, {}, 0};
  fake.blocks[0x08000200] = FakeBlock{2, 512, {}, 0};
  lookup_arm_block(0x08000000);
  EXPECT_EQ(fake.calls_for(0x08000100), 2u);
  EXPECT_EQ(fake.calls_for(0x08000200), 2u);
}

// --- Block numbers never run out -------------------------------------------------------------

TEST_F(BlockLookupTest, BiosCounterNeverReaches8192) {
  // Numbers 257-8190 leave the counter at most 8191: 7934 blocks, Thumb ones 2 bytes apart.
  constexpr std::uint32_t blocks_that_fit = 8191 - 257;
  fake.other_blocks.code_per_instruction = 4;  // 8 bytes a block: all fit the code area
  std::uint32_t highest_counter = 0;
  for (std::uint32_t i = 0; i < blocks_that_fit; ++i) {
    lookup_thumb_block(2 * i);
    highest_counter = std::max(highest_counter, caches.bios_block_counter);
  }
  EXPECT_EQ(highest_counter, 8191u);
  EXPECT_EQ(bios_tag_at(2 * (blocks_that_fit - 1)), 8190);

  BlockAddress next = lookup_thumb_block(2 * blocks_that_fit);
  EXPECT_EQ(next, start_of(CODE_REGION_BIOS)) << "the BIOS cache was flushed first";
  EXPECT_EQ(caches.bios_block_counter, 258u);
  EXPECT_EQ(bios_tag_at(2 * blocks_that_fit), 257);
  EXPECT_EQ(bios_tag_at(0), TAG_NO_CODE);
  EXPECT_EQ(caches.cache_full_count, 1u);
}

TEST_F(BlockLookupTest, RamCounterNeverReaches0xFFFF) {
  caches.ram_block_counter = 0xFFFD;
  lookup_arm_block(0x03000000);  // gets 0xFFFD, the last number
  EXPECT_EQ(iwram_tag(0x0000), 0xFFFD);
  EXPECT_EQ(caches.ram_block_counter, 0xFFFEu);
  const unsigned flushes = caches.ram_flush_count;

  BlockAddress next = lookup_arm_block(0x03000100);
  EXPECT_EQ(caches.ram_flush_count, flushes + 1);
  EXPECT_EQ(next, start_of(CODE_REGION_RAM));
  EXPECT_EQ(iwram_tag(0x0100), 257);
  EXPECT_EQ(iwram_tag(0x0000), TAG_NO_CODE);
  EXPECT_EQ(caches.ram_block_counter, 258u);
}

// Running out of numbers under a nested lookup is a cache filling up: everything unwinds. The
// outer ROM block's own cache was not the one flushed, but its half-written block must not stay.
TEST_F(BlockLookupTest, NumbersRunningOutUnderANestedLookupRestartsTheOutermost) {
  caches.ram_block_counter = 0xFFFE;
  fake.blocks[0x08000000] = FakeBlock{1, 40, {0x03000000}, 0};

  BlockAddress outer = lookup_arm_block(0x08000000);

  EXPECT_EQ(outer, start_of(CODE_REGION_ROM) + ROM_NODE_BYTES);
  EXPECT_EQ(fake.calls_for(0x08000000), 2u);
  EXPECT_EQ(fake.calls_for(0x03000000), 1u);
  EXPECT_EQ(iwram_tag(0x0000), 257);
  const RomBlockNode* head = caches.rom_buckets[rom_bucket(0x08000000)];
  ASSERT_NE(head, nullptr);
  EXPECT_EQ(head->next, nullptr) << "no node of the abandoned try is left";
}

// A RAM block finished before another cache filled may link into that cache: it goes too.
TEST_F(BlockLookupTest, FailureInAnotherCacheDropsThisCachesBlocksOfTheSameTry) {
  caches.bios_block_counter = 8191;
  fake.blocks[0x03000000] = FakeBlock{1, 40, {0x03000100, 0x00000000}, 0};

  lookup_arm_block(0x03000000);

  EXPECT_EQ(fake.calls_for(0x03000000), 2u);
  EXPECT_EQ(fake.calls_for(0x03000100), 2u);
  EXPECT_EQ(fake.calls_for(0x00000000), 1u);
  EXPECT_EQ(iwram_tag(0x0000), 257);
  EXPECT_EQ(iwram_tag(0x0100), 258);
  EXPECT_EQ(bios_tag_at(0), 257);
}

// --- The restart bound -----------------------------------------------------------------------

struct ChainCase {
  const char* name;
  std::uint32_t first;
  std::uint32_t step;
};

class EndlessChainTest : public BlockLookupTest, public ::testing::WithParamInterface<ChainCase> {};

// Every block links the next one and is about 100 KB long, so the cache fills a few levels
// deep and no try with links can fit it. The first try and two restarts fill it; the fourth try
// translates the outer block alone.
TEST_P(EndlessChainTest, RestartsStopLinkingAndEnd) {
  const ChainCase& c = GetParam();
  fake.other_blocks = FakeBlock{100, 1000, {}, c.step};

  BlockAddress outer = lookup_arm_block(c.first);

  EXPECT_EQ(outer, start_of(c.first >> 24 == 8 ? CODE_REGION_ROM : CODE_REGION_RAM) +
                       (c.first >> 24 == 8 ? ROM_NODE_BYTES : 0));
  EXPECT_EQ(caches.cache_full_count, 3u);
  std::vector<bool> linking;
  for (const TranslatorCall& call : fake.calls) {
    if (call.pc == c.first) linking.push_back(call.linking);
  }
  EXPECT_EQ(linking, (std::vector<bool>{true, true, true, false}));
  EXPECT_EQ(fake.calls.back().pc, c.first);
  EXPECT_TRUE(caches.link_nested_blocks) << "linking resumes once the outermost lookup is done";
  EXPECT_EQ(marker_at(outer), c.first);
}

INSTANTIATE_TEST_SUITE_P(Regions, EndlessChainTest,
                         ::testing::Values(ChainCase{"Rom", 0x08000000, 0x100},
                                           ChainCase{"Ram", 0x03000000, 0x200}),
                         [](const auto& test) { return std::string(test.param.name); });

TEST_F(BlockLookupTest, NestingStopsAtTheDepthLimitAndLeavesThatExitUnlinked) {
  fake.other_blocks = FakeBlock{1, 16, {}, 0x100};
  const std::uint32_t first_unlinked = 0x08000000 + MAX_TRANSLATION_DEPTH * 0x100;

  EXPECT_TRUE(is_block_address(lookup_arm_block(0x08000000)));

  ASSERT_EQ(fake.calls.size(), 64u);
  EXPECT_EQ(fake.calls.back().depth, 64);
  EXPECT_EQ(fake.last_link[first_unlinked], LOOKUP_BAD_JUMP);
  EXPECT_EQ(debug_text, "");
  EXPECT_TRUE(is_block_address(lookup_arm_block(first_unlinked)));
  EXPECT_EQ(fake.calls_for(first_unlinked), 1u);
}

TEST_F(BlockLookupTest, BlockThatCannotFitAnEmptyCacheIsGivenUp) {
  fake.other_blocks = FakeBlock{100000, 1000, {}, 0};
  EXPECT_EQ(lookup_arm_block(0x08000000), LOOKUP_BAD_JUMP);
  EXPECT_EQ(fake.calls.size(), 5u);
  EXPECT_EQ(caches.cache_full_count, 5u);
  EXPECT_EQ(debug_text, "block at 8000000 does not fit an empty code cache\n");
  EXPECT_TRUE(caches.link_nested_blocks);
}

// --- ROM hash chains -------------------------------------------------------------------------

std::uint32_t bucket_by_hand(std::uint32_t address) {
  return static_cast<std::uint32_t>((std::uint64_t{address} * 0x9E3779B1u) & 0xFFFFFFFFu) >> 16;
}

TEST(RomBucketTest, MultipliesByTheGoldenRatioConstantAndKeepsTheTop16Bits) {
  EXPECT_EQ(rom_bucket(0), 0u);
  EXPECT_EQ(rom_bucket(1), 0x9E37u);
  EXPECT_EQ(rom_bucket(2), 0x3C6Eu);           // 0x13C6EF362 mod 2^32
  EXPECT_EQ(rom_bucket(0x08000000), 0x8800u);  // 0x11 << 27: only the low 5 bits survive
  for (std::uint32_t address = 0x08000000; address < 0x08001000; address += 4) {
    ASSERT_EQ(rom_bucket(address), bucket_by_hand(address));
  }
}

TEST_F(BlockLookupTest, AddressesSharingABucketAreAllFound) {
  const std::uint32_t first = 0x08000000;
  std::vector<std::uint32_t> same_bucket = {first};
  for (std::uint32_t address = first + 4; same_bucket.size() < 3; address += 4) {
    if (bucket_by_hand(address) == bucket_by_hand(first)) same_bucket.push_back(address);
  }

  std::vector<BlockAddress> entries;
  for (std::uint32_t address : same_bucket) entries.push_back(lookup_arm_block(address));
  for (std::size_t i = 0; i < same_bucket.size(); ++i) {
    EXPECT_EQ(lookup_arm_block(same_bucket[i]), entries[i]);
    EXPECT_EQ(marker_at(entries[i]), same_bucket[i]);
  }
  EXPECT_EQ(fake.calls.size(), 3u);

  // Linked in the order they were made: each new node at the tail.
  const RomBlockNode* node = caches.rom_buckets[bucket_by_hand(first)];
  for (std::size_t i = 0; i < same_bucket.size(); ++i) {
    ASSERT_NE(node, nullptr);
    EXPECT_EQ(node->guest_address, same_bucket[i]);
    node = node->next;
  }
  EXPECT_EQ(node, nullptr);
}

TEST_F(BlockLookupTest, RomMirrorsAreSeparateBlocks) {
  BlockAddress low = lookup_arm_block(0x08000100);
  BlockAddress mirror = lookup_arm_block(0x0A000100);
  EXPECT_NE(low, mirror);
  EXPECT_EQ(fake.calls.size(), 2u);
}

// --- Missing pieces --------------------------------------------------------------------------

TEST_F(BlockLookupTest, MissingTranslatorIsReportedAsAFailedPrecondition) {
  thumb_translator = nullptr;
  EXPECT_EQ(lookup_thumb_block(0x08000000), LOOKUP_BAD_JUMP);
  EXPECT_NE(assertion_text.find("\"translator_for(set) != nullptr\""), std::string::npos);
  assertion_text.clear();
}

}  // namespace
