// The code memory, the instruction-cache interface, the caches' flushes and limits, the code tags
// and the RAM translated ranges.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "core/report.h"
#include "core/state.h"
#include "cpu/code_memory.h"
#include "cpu/kest_port.h"
#include "cpu/translation_cache.h"
#include "tests/cpu/empty_caches.h"

namespace {

std::string assertion_text;
void keep_assertion_text(const char* text) { assertion_text += text; }

constexpr std::size_t AREA_SIZE[CODE_REGIONS] = {0x60000, 0x200000, 0x20000};  // RAM, ROM, BIOS
const char* const REGION_NAME[CODE_REGIONS] = {"Ram", "Rom", "Bios"};

std::string region_name(const ::testing::TestParamInfo<int>& info) {
  return REGION_NAME[info.param];
}

// --- Code memory ---------------------------------------------------------------------------

TEST(CodeMemoryTest, OpensOnceAndKeepsItsAreas) {
  ASSERT_TRUE(open_code_memory());
  EXPECT_TRUE(code_memory_is_open());
  std::uint8_t* starts[CODE_REGIONS];
  for (int region = 0; region < CODE_REGIONS; ++region) starts[region] = code_area_start(region);
  ASSERT_TRUE(open_code_memory());
  for (int region = 0; region < CODE_REGIONS; ++region) {
    EXPECT_EQ(code_area_start(region), starts[region]);
  }
}

class CodeAreaTest : public ::testing::TestWithParam<int> {
 protected:
  void SetUp() override { ASSERT_TRUE(open_code_memory()); }
};

TEST_P(CodeAreaTest, HasItsSizeAndALimitOneKilobyteBelowItsEnd) {
  const int region = GetParam();
  EXPECT_EQ(code_area_size(region), AREA_SIZE[region]);
  EXPECT_EQ(code_area_limit(region), code_area_start(region) + AREA_SIZE[region] - 1024);
  EXPECT_EQ(MAX_CODE_PER_INSTRUCTION, 1024u);
}

TEST_P(CodeAreaTest, OverlapsNoOtherArea) {
  const int region = GetParam();
  const std::uint8_t* begin = code_area_start(region);
  const std::uint8_t* end = begin + AREA_SIZE[region] + CODE_AREA_GUARD;
  for (int other = 0; other < CODE_REGIONS; ++other) {
    if (other == region) continue;
    const std::uint8_t* other_begin = code_area_start(other);
    const std::uint8_t* other_end = other_begin + AREA_SIZE[other] + CODE_AREA_GUARD;
    EXPECT_TRUE(end <= other_begin || other_end <= begin) << REGION_NAME[other];
  }
}

int function_of_the_program() { return 1; }

// Generated code calls the runtime routines with rel32 and reaches `machine` RIP-relative.
TEST_P(CodeAreaTest, LiesWithinTwoGigabytesOfTheProgramsCodeAndData) {
  const int region = GetParam();
  const auto first = reinterpret_cast<std::uintptr_t>(code_area_start(region));
  const std::uintptr_t last = first + AREA_SIZE[region] + CODE_AREA_GUARD - 1;
  const std::uintptr_t targets[] = {
      reinterpret_cast<std::uintptr_t>(&machine),
      reinterpret_cast<std::uintptr_t>(&machine) + sizeof machine - 1,
      reinterpret_cast<std::uintptr_t>(&function_of_the_program),
      reinterpret_cast<std::uintptr_t>(&lookup_arm_block),
  };
  for (std::uintptr_t target : targets) {
    for (std::uintptr_t place : {first, last}) {
      std::uintptr_t distance = place > target ? place - target : target - place;
      EXPECT_LT(distance, std::uintptr_t{1} << 31);
    }
  }
}

#if defined(__x86_64__)
TEST_P(CodeAreaTest, RunsCodeWrittenIntoIt) {
  const int region = GetParam();
  // mov eax, 0x12345678; ret
  const std::uint8_t code[] = {0xB8, 0x78, 0x56, 0x34, 0x12, 0xC3};
  std::uint8_t* place = code_area_limit(region);
  std::memcpy(place, code, sizeof code);
  auto function = reinterpret_cast<int (*)()>(place);
  EXPECT_EQ(function(), 0x12345678);
}
#endif

INSTANTIATE_TEST_SUITE_P(Regions, CodeAreaTest,
                         ::testing::Values(CODE_REGION_RAM, CODE_REGION_ROM, CODE_REGION_BIOS),
                         region_name);

// --- Instruction-cache interface ---------------------------------------------------------------

class KestPortTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (icache_is_open()) {
      ASSERT_EQ(icache_close(), 1);
    }
    assertion_text.clear();
    set_assertion_sink(keep_assertion_text);
  }
  void TearDown() override { set_assertion_sink(nullptr); }

  static bool reported(const std::string& expression) {
    const std::string prefix = "assertion fail \"" + expression + "\" at file=";
    return assertion_text.rfind(prefix, 0) == 0 &&
           assertion_text.find("kest_port.cpp line=") != std::string::npos &&
           assertion_text.size() >= 2 && assertion_text.substr(assertion_text.size() - 2) == "\r\n";
  }

  std::uint8_t buffer[64] = {};
};

TEST_F(KestPortTest, OpenThenCloseSucceedSilently) {
  EXPECT_EQ(icache_open(), 1);
  EXPECT_TRUE(icache_is_open());
  EXPECT_EQ(icache_close(), 1);
  EXPECT_FALSE(icache_is_open());
  EXPECT_EQ(assertion_text, "");
}

TEST_F(KestPortTest, SecondOpenIsReportedAndFails) {
  ASSERT_EQ(icache_open(), 1);
  EXPECT_EQ(icache_open(), 0);
  EXPECT_TRUE(reported("hIst == NULL")) << assertion_text;
  EXPECT_TRUE(icache_is_open()) << "the first opening stands";
  icache_close();
}

TEST_F(KestPortTest, CloseWhileClosedIsReportedAndFails) {
  EXPECT_EQ(icache_close(), 0);
  EXPECT_TRUE(reported("hIst != NULL")) << assertion_text;
}

TEST_F(KestPortTest, FlushNeedsAnOpenInterface) {
  EXPECT_EQ(icache_flush_length(buffer, sizeof buffer), 0);
  EXPECT_TRUE(reported("CacheRangeFlush")) << assertion_text;
  assertion_text.clear();
  EXPECT_EQ(icache_flush_range(buffer, buffer + 8), 0);
  EXPECT_TRUE(reported("CacheRangeFlush")) << assertion_text;
}

TEST_F(KestPortTest, FlushOfARealRangeSucceeds) {
  ASSERT_EQ(icache_open(), 1);
  EXPECT_EQ(icache_flush_length(buffer, sizeof buffer), 1);
  EXPECT_EQ(icache_flush_range(buffer, buffer + 1), 1);
  EXPECT_EQ(assertion_text, "");
  icache_close();
}

TEST_F(KestPortTest, EmptyOrReversedRangeIsReportedAndFails) {
  ASSERT_EQ(icache_open(), 1);
  struct {
    std::uint8_t* begin;
    std::uint8_t* end;
  } const ranges[] = {{buffer, buffer}, {buffer + 8, buffer}};
  for (const auto& range : ranges) {
    assertion_text.clear();
    EXPECT_EQ(icache_flush_range(range.begin, range.end), 0);
    EXPECT_TRUE(reported("(end - begin) > 0")) << assertion_text;
  }
  icache_close();
}

// --- Flushes -----------------------------------------------------------------------------------

// The caches as an emulation start leaves them: flushed ROM, RAM, BIOS.
class CacheTest : public ::testing::Test {
 protected:
  void SetUp() override {
    start_with_empty_caches();
    if (HasFatalFailure()) return;
    caches.cache_full_count = 0;
  }
  void TearDown() override {
    flush_rom_cache();
    flush_ram_cache();
    flush_bios_cache();
  }
};

TEST_F(CacheTest, EmulationStartLeavesEveryCacheEmpty) {
  for (int region = 0; region < CODE_REGIONS; ++region) {
    EXPECT_EQ(caches.write_pointer[region], code_area_start(region)) << REGION_NAME[region];
  }
  EXPECT_EQ(caches.ram_block_counter, 257u);
  EXPECT_EQ(caches.bios_block_counter, 257u);
  EXPECT_EQ(caches.iwram_range.lowest_start, NO_RANGE);
  EXPECT_EQ(caches.ewram_range.lowest_start, NO_RANGE);
  EXPECT_EQ(caches.lookup_depth, 0);
}

TEST_F(CacheTest, RomFlushEmptiesEveryBucketAndRewinds) {
  auto* node = reinterpret_cast<RomBlockNode*>(code_area_start(CODE_REGION_ROM));
  caches.rom_buckets[0] = node;
  caches.rom_buckets[1234] = node;
  caches.rom_buckets[ROM_BUCKETS - 1] = node;
  caches.write_pointer[CODE_REGION_ROM] += 5000;

  flush_rom_cache();

  EXPECT_EQ(caches.write_pointer[CODE_REGION_ROM], code_area_start(CODE_REGION_ROM));
  for (unsigned bucket = 0; bucket < ROM_BUCKETS; ++bucket) {
    ASSERT_EQ(caches.rom_buckets[bucket], nullptr) << bucket;
  }
}

TEST_F(CacheTest, BiosFlushResetsTheCounterAndEveryTagAndRewinds) {
  for (std::uint16_t& tag : machine.bios_area.tags) tag = 0x1234;
  caches.bios_block_counter = 300;
  caches.write_pointer[CODE_REGION_BIOS] += 100;

  flush_bios_cache();

  EXPECT_EQ(caches.write_pointer[CODE_REGION_BIOS], code_area_start(CODE_REGION_BIOS));
  EXPECT_EQ(caches.bios_block_counter, 257u);
  for (std::uint16_t tag : machine.bios_area.tags) ASSERT_EQ(tag, TAG_NO_CODE);
}

TEST_F(CacheTest, RamFlushResetsCounterRangesAndWritePointerAndIsCounted) {
  note_ram_block_start(0x03000100);
  note_ram_block_end(0x03000100, 0x03000120);
  note_ram_block_start(0x02000100);
  note_ram_block_end(0x02000100, 0x02000120);
  caches.ram_block_counter = 400;
  caches.write_pointer[CODE_REGION_RAM] += 100;
  const unsigned flushes = caches.ram_flush_count;

  flush_ram_cache();

  EXPECT_EQ(caches.ram_flush_count, flushes + 1);
  EXPECT_EQ(caches.write_pointer[CODE_REGION_RAM], code_area_start(CODE_REGION_RAM));
  EXPECT_EQ(caches.ram_block_counter, 257u);
  EXPECT_EQ(caches.iwram_range.lowest_start, NO_RANGE);
  EXPECT_EQ(caches.iwram_range.highest_end, NO_RANGE);
  EXPECT_EQ(caches.ewram_range.lowest_start, NO_RANGE);
  EXPECT_EQ(caches.ewram_range.highest_end, NO_RANGE);
}

TEST_F(CacheTest, EachFlushLeavesTheOtherCachesAlone) {
  for (int region = 0; region < CODE_REGIONS; ++region) caches.write_pointer[region] += 64;
  auto* node = reinterpret_cast<RomBlockNode*>(code_area_start(CODE_REGION_ROM));
  caches.rom_buckets[7] = node;
  machine.bios_area.tags[3] = 300;
  machine.iwram.tags[3] = 300;
  note_ram_block_start(0x03000006);
  const unsigned flushes = caches.ram_flush_count;

  flush_rom_cache();
  EXPECT_EQ(caches.write_pointer[CODE_REGION_RAM], code_area_start(CODE_REGION_RAM) + 64);
  EXPECT_EQ(caches.write_pointer[CODE_REGION_BIOS], code_area_start(CODE_REGION_BIOS) + 64);
  EXPECT_EQ(machine.bios_area.tags[3], 300);
  EXPECT_EQ(machine.iwram.tags[3], 300);

  caches.rom_buckets[7] = node;
  flush_bios_cache();
  EXPECT_EQ(caches.rom_buckets[7], node);
  EXPECT_EQ(machine.iwram.tags[3], 300);
  EXPECT_EQ(caches.ram_flush_count, flushes);

  flush_ram_cache();
  EXPECT_EQ(caches.rom_buckets[7], node);
  EXPECT_EQ(machine.iwram.tags[3], TAG_NO_CODE);
}

// --- The limit -------------------------------------------------------------------------------

class CacheFullTest : public CacheTest, public ::testing::WithParamInterface<int> {};

// Any flush may drop a block the indirect-jump cache points at, the cache-full flush under a
// translation included; BIOS blocks and non-blocks never enter it.
TEST_P(CacheFullTest, EveryFlushEmptiesTheIndirectJumpCache) {
  const int region = GetParam();
  auto* code = reinterpret_cast<std::uint8_t*>(0x1000);
  const struct {
    std::uint32_t pc;
    bool thumb;
    BlockAddress block;
    bool kept;
  } jumps[] = {
      {0x08000102, false, 0x1000, true},           {0x08000103, true, 0x1000, true},
      {0x03000010, false, 0x1000, true},           {0x00000128, false, 0x1000, false},
      {0x08000200, false, LOOKUP_BAD_JUMP, false}, {0x08000300, true, LOOKUP_RETRY, false},
  };
  for (const auto& jump : jumps) {
    remember_indirect_jump(jump.pc, jump.thumb, jump.block);
    std::uint32_t aligned = jump.pc & (jump.thumb ? ~1u : ~3u);
    std::uint32_t key = indirect_jump_key(aligned, jump.thumb);
    const IndirectJumpEntry& entry = indirect_jump_cache[indirect_jump_slot(key)];
    EXPECT_EQ(entry.key == key && entry.code == code, jump.kept) << std::hex << jump.pc;
  }
  caches.write_pointer[region] = code_area_limit(region) + 1;
  ASSERT_TRUE(cache_full_after_instruction(region));
  for (const IndirectJumpEntry& entry : indirect_jump_cache) {
    ASSERT_EQ(entry.key, INDIRECT_CACHE_NO_KEY);
  }
}

TEST_P(CacheFullTest, WritePointerAtTheLimitStillFits) {
  const int region = GetParam();
  caches.write_pointer[region] = code_area_limit(region);
  EXPECT_FALSE(cache_full_after_instruction(region));
  EXPECT_EQ(caches.write_pointer[region], code_area_limit(region));
  EXPECT_EQ(caches.cache_full_count, 0u);
}

TEST_P(CacheFullTest, WritePointerPastTheLimitFlushesThatCache) {
  const int region = GetParam();
  machine.bios_area.tags[0] = 300;
  caches.bios_block_counter = 300;
  caches.ram_block_counter = 300;
  const unsigned ram_flushes = caches.ram_flush_count;
  caches.write_pointer[region] = code_area_limit(region) + 1;

  EXPECT_TRUE(cache_full_after_instruction(region));

  EXPECT_EQ(caches.write_pointer[region], code_area_start(region));
  EXPECT_EQ(caches.cache_full_count, 1u);
  EXPECT_EQ(caches.ram_flush_count, ram_flushes + (region == CODE_REGION_RAM ? 1 : 0));
  EXPECT_EQ(caches.ram_block_counter, region == CODE_REGION_RAM ? 257u : 300u);
  EXPECT_EQ(caches.bios_block_counter, region == CODE_REGION_BIOS ? 257u : 300u);
  EXPECT_EQ(machine.bios_area.tags[0], region == CODE_REGION_BIOS ? 0 : 300);
}

INSTANTIATE_TEST_SUITE_P(Regions, CacheFullTest,
                         ::testing::Values(CODE_REGION_RAM, CODE_REGION_ROM, CODE_REGION_BIOS),
                         region_name);

// --- Where the tags are ----------------------------------------------------------------------

struct TagPlace {
  std::uint32_t address;
  std::uint8_t* data;  // the data byte the tag describes
};

// The store routines find a RAM byte's tag 0x8000 bytes below it.
TEST(CodeTagTest, RamTagLiesAFixedDistanceBelowItsData) {
  const TagPlace places[] = {
      {0x02000000, &machine.ewram[0].data[0x0000]},
      {0x02012342, &machine.ewram[2].data[0x2342]},
      {0x0203FFFE, &machine.ewram[7].data[0x7FFE]},
      {0x02040000, &machine.ewram[0].data[0x0000]},  // mirror
      {0x02FFFFFE, &machine.ewram[7].data[0x7FFE]},  // last mirror
      {0x03000000, &machine.iwram.data[0x0000]},
      {0x03007FFE, &machine.iwram.data[0x7FFE]},
      {0x03FFFF00, &machine.iwram.data[0x7F00]},  // mirror
  };
  for (const TagPlace& place : places) {
    EXPECT_EQ(reinterpret_cast<std::uint8_t*>(ram_tag(place.address)), place.data - 0x8000)
        << std::hex << place.address;
  }
}

TEST(CodeTagTest, BiosTagFollowsTheImage) {
  for (std::uint32_t address : {0x0000u, 0x0018u, 0x1234u, 0x3FFEu}) {
    EXPECT_EQ(reinterpret_cast<std::uint8_t*>(bios_tag(address)),
              machine.bios_area.image + 0x4000 + address)
        << std::hex << address;
  }
}

TEST_F(CacheTest, TaggingCodeKeepsBlockStartsAndMarksTheRest) {
  *ram_tag(0x03000100) = 300;
  tag_ram_code(0x03000100, 8);
  EXPECT_EQ(*ram_tag(0x03000100), 300);
  EXPECT_EQ(*ram_tag(0x03000102), TAG_INSIDE_BLOCK);
  EXPECT_EQ(*ram_tag(0x03000104), TAG_INSIDE_BLOCK);
  EXPECT_EQ(*ram_tag(0x03000106), TAG_INSIDE_BLOCK);
  EXPECT_EQ(*ram_tag(0x03000108), TAG_NO_CODE);
  EXPECT_EQ(caches.iwram_range.lowest_start, 0x100u);
  EXPECT_EQ(caches.iwram_range.highest_end, 0x108u);

  tag_ram_code(0x02000201, 2);  // bytes 0x201-0x202 touch two halfwords
  EXPECT_EQ(*ram_tag(0x02000200), TAG_INSIDE_BLOCK);
  EXPECT_EQ(*ram_tag(0x02000202), TAG_INSIDE_BLOCK);
  EXPECT_EQ(*ram_tag(0x02000204), TAG_NO_CODE);
}

// --- RAM translated ranges ---------------------------------------------------------------------

struct GuestSpan {
  std::uint32_t start;
  std::uint32_t end;  // exclusive
};

struct RangeCase {
  const char* name;
  std::vector<GuestSpan> blocks;
  RamRange iwram;
  RamRange ewram;
};

class RangeTest : public CacheTest, public ::testing::WithParamInterface<RangeCase> {};

TEST_P(RangeTest, TranslatedBlocksWidenTheirRegionsRange) {
  for (const GuestSpan& block : GetParam().blocks) {
    note_ram_block_start(block.start);
    note_ram_block_end(block.start, block.end);
  }
  EXPECT_EQ(caches.iwram_range.lowest_start, GetParam().iwram.lowest_start);
  EXPECT_EQ(caches.iwram_range.highest_end, GetParam().iwram.highest_end);
  EXPECT_EQ(caches.ewram_range.lowest_start, GetParam().ewram.lowest_start);
  EXPECT_EQ(caches.ewram_range.highest_end, GetParam().ewram.highest_end);
}

constexpr RamRange NONE{NO_RANGE, NO_RANGE};

INSTANTIATE_TEST_SUITE_P(
    Blocks, RangeTest,
    ::testing::Values(
        RangeCase{"Nothing", {}, NONE, NONE},
        RangeCase{"OneIwramBlock", {{0x03000100, 0x03000140}}, {0x100, 0x140}, NONE},
        RangeCase{"LowestStartAndHighestEnd",
                  {{0x03000400, 0x03000410}, {0x03000100, 0x03000104}},
                  {0x100, 0x410},
                  NONE},
        RangeCase{"IwramMirror", {{0x03FF8100, 0x03FF8110}}, {0x100, 0x110}, NONE},
        RangeCase{"EndingAtTheEndOfIwram", {{0x03007FF0, 0x03008000}}, {0x7FF0, 0x8000}, NONE},
        RangeCase{"RunningAroundTheEndOfIwram", {{0x03007FF8, 0x03008008}}, {0, 0x8000}, NONE},
        RangeCase{"OneEwramBlock", {{0x02010000, 0x02010020}}, NONE, {0x10000, 0x10020}},
        RangeCase{"EwramMirror", {{0x0207FF00, 0x0207FF10}}, NONE, {0x3FF00, 0x3FF10}},
        RangeCase{"BothRegions",
                  {{0x02000100, 0x02000104}, {0x03000200, 0x03000204}},
                  {0x200, 0x204},
                  {0x100, 0x104}}),
    [](const auto& test) { return std::string(test.param.name); });

TEST_F(CacheTest, BlockStartAloneCoversItsFirstHalfword) {
  note_ram_block_start(0x03000200);
  EXPECT_EQ(caches.iwram_range.lowest_start, 0x200u);
  EXPECT_EQ(caches.iwram_range.highest_end, 0x202u);
}

// --- What a RAM flush clears -------------------------------------------------------------------

struct RamFlushCase {
  const char* name;
  std::vector<GuestSpan> blocks;             // translated and tagged since the last flush
  std::vector<std::uint32_t> inside_range;   // other tags inside the range: cleared
  std::vector<std::uint32_t> outside_range;  // tags outside it: left alone
};

class RamFlushTest : public CacheTest, public ::testing::WithParamInterface<RamFlushCase> {};

// The storage folds the mirrors: one entry per tag of IWRAM and of the eight EWRAM pages.
std::vector<std::uint16_t*> every_ram_tag() {
  std::vector<std::uint16_t*> tags;
  for (std::uint16_t& tag : machine.iwram.tags) tags.push_back(&tag);
  for (RamPage& page : machine.ewram) {
    for (std::uint16_t& tag : page.tags) tags.push_back(&tag);
  }
  return tags;
}

TEST_P(RamFlushTest, NoTagSurvivesBetweenLowestStartAndHighestEnd) {
  const RamFlushCase& c = GetParam();
  constexpr std::uint16_t PLANTED = 0x1234;
  std::uint16_t block_number = 257;
  for (const GuestSpan& block : c.blocks) {
    note_ram_block_start(block.start);
    *ram_tag(block.start) = block_number++;
    tag_ram_code(block.start, block.end - block.start);
    note_ram_block_end(block.start, block.end);
  }
  for (std::uint32_t address : c.inside_range) *ram_tag(address) = PLANTED;
  for (std::uint32_t address : c.outside_range) *ram_tag(address) = PLANTED;

  flush_ram_cache();

  std::vector<std::uint16_t*> survivors;
  for (std::uint32_t address : c.outside_range) survivors.push_back(ram_tag(address));
  for (std::uint16_t* tag : every_ram_tag()) {
    bool planted_outside = std::find(survivors.begin(), survivors.end(), tag) != survivors.end();
    ASSERT_EQ(*tag, planted_outside ? PLANTED : TAG_NO_CODE)
        << "tag byte at storage offset "
        << reinterpret_cast<std::uint8_t*>(tag) -
               reinterpret_cast<std::uint8_t*>(&machine.ewram[0]);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Ranges, RamFlushTest,
    ::testing::Values(
        RamFlushCase{"OneEwramPage",
                     {{0x02000100, 0x02000110}, {0x02000400, 0x02000420}},
                     {0x02000200},
                     {0x020000FE, 0x02000420, 0x02008100}},
        RamFlushCase{"ManyEwramPages",
                     {{0x02007FF0, 0x02008010}, {0x02012000, 0x02012010}, {0x02031000, 0x02031010}},
                     {0x02008020, 0x02020000, 0x02027FFE, 0x02030000},
                     {0x02007FEE, 0x02031010, 0x02038000, 0x0203FFFE}},
        RamFlushCase{"TwoNeighbouringPages",
                     {{0x02017F00, 0x02017F10}, {0x02018000, 0x02018008}},
                     {0x02017FFE},
                     {0x02017EFE, 0x02018008}},
        RamFlushCase{"BlockEndingAtAPageEnd", {{0x02007FF0, 0x02008000}}, {}, {0x02008000}},
        RamFlushCase{"EwramMirror", {{0x0207FF00, 0x0207FF10}}, {}, {0x0203FEFE, 0x02000000}},
        RamFlushCase{"IwramAndItsMirrors",
                     {{0x03FF8100, 0x03FF8110}, {0x03007E00, 0x03007E10}},
                     {0x03000400},
                     {0x030000FE, 0x03007E10}},
        RamFlushCase{"IwramToItsEnd", {{0x03007FF0, 0x03008000}}, {}, {0x03007FEE}},
        RamFlushCase{"AroundTheEndOfIwram", {{0x03007FF8, 0x03008008}}, {0x03004000}, {}},
        RamFlushCase{"IwramAndEwramTogether",
                     {{0x03000100, 0x03000110}, {0x02024000, 0x02024010}},
                     {},
                     {0x03000110, 0x02024010, 0x02000100}}),
    [](const auto& test) { return std::string(test.param.name); });

}  // namespace
