#pragma once
// The three translation caches (cartridge ROM, work RAM, BIOS), their block indexes and the block
// lookup that maps a guest address to translated host code, translating it first when needed.
//
// How a translator works with them, for a block at `pc` in `region` (CodeRegion):
//   - The lookup has already registered the block: its entry is the region's write pointer when
//     the translator is called. The translator appends code at caches.write_pointer[region] and
//     advances it; it never writes before the entry.
//   - After each guest instruction it calls cache_full_after_instruction(region). When that
//     returns true the cache has been flushed: the translator returns TRANSLATE_CACHE_FULL at
//     once. It emits at most MAX_CODE_PER_INSTRUCTION bytes between two checks.
//   - With `tag_code` set (RAM), it calls note_ram_block_start(pc) first, tag_ram_code() for the
//     bytes of each guest instruction it covers, and note_ram_block_end(pc, end) when done.
//   - For each direct branch leaving the block, if caches.link_nested_blocks is set, it looks
//     the target up (lookup_arm_block / lookup_thumb_block, nested) and links to the result:
//     a block address is linked, LOOKUP_BAD_JUMP is left to the indirect-jump routine, and
//     LOOKUP_RETRY means a cache was flushed under it: it returns TRANSLATE_CACHE_FULL at once.
//     When the flag is clear every exit goes through the indirect-jump routine. Nesting is
//     bounded by MAX_TRANSLATION_DEPTH; the translator's own stack use per level should be
//     modest (a few KB).
//
// These structures hold host pointers, so they are not part of the machine record and are never
// snapshotted; every emulation start and every snapshot load flushes all three caches.

#include <cstddef>
#include <cstdint>

#include "cpu/code_memory.h"

constexpr unsigned ROM_BUCKETS = 65536;
constexpr unsigned RAM_BLOCK_SLOTS = 65536;
constexpr unsigned BIOS_BLOCK_SLOTS = 8192;

// Code tags, one per guest halfword of work RAM and BIOS (kept in the machine record).
constexpr std::uint16_t TAG_NO_CODE = 0;
constexpr std::uint16_t TAG_INSIDE_BLOCK = 0xFFFF;  // covered by code, no block starts here
// Tags 257 and up (below TAG_INSIDE_BLOCK) number a block in the RAM or BIOS table. Numbers
// start here after every flush; 1-256 are never used.
constexpr std::uint32_t FIRST_BLOCK_NUMBER = 257;
// A block counter never reaches these: the cache is flushed first. RAM numbers must stay apart
// from TAG_INSIDE_BLOCK, BIOS numbers inside the table.
constexpr std::uint32_t RAM_BLOCK_NUMBER_END = TAG_INSIDE_BLOCK;
constexpr std::uint32_t BIOS_BLOCK_NUMBER_END = BIOS_BLOCK_SLOTS;

// A ROM block is found by address through a hash chain. Its node sits in the ROM code area
// directly ahead of the block's code, at an 8-byte aligned address:
//   bytes 0-3   guest address of the block (aligned as the lookup aligned it)
//   bytes 4-7   unused
//   bytes 8-15  host pointer to the next node of the same chain, or null (padded on 32-bit hosts)
// and the block's code starts at byte 16, on every host.
constexpr std::size_t ROM_NODE_ALIGNMENT = 8;
struct alignas(ROM_NODE_ALIGNMENT) RomBlockNode {
  std::uint32_t guest_address;
  std::uint32_t unused;
  RomBlockNode* next;
};
static_assert(sizeof(RomBlockNode) == 16);

inline std::uint32_t rom_bucket(std::uint32_t address) { return (address * 0x9E3779B1u) >> 16; }
inline std::uint8_t* rom_block_code(RomBlockNode* node) {
  return reinterpret_cast<std::uint8_t*>(node + 1);
}

// The span of tags a RAM flush must clear, for IWRAM or EWRAM: byte offsets into the region's
// storage (mirrors folded, so 0-0x8000 for IWRAM, 0-0x40000 for EWRAM), start inclusive, end
// exclusive. NO_RANGE (-1) in lowest_start: nothing translated since the last flush.
constexpr std::uint32_t NO_RANGE = 0xFFFFFFFF;
struct RamRange {
  std::uint32_t lowest_start;
  std::uint32_t highest_end;
};

// All zero until the first flush of each cache; the emulation start's flushes (ROM, RAM, BIOS)
// bring it to the empty state the lookup expects.
struct TranslationCaches {
  std::uint8_t* write_pointer[CODE_REGIONS];  // where the next code of each cache goes

  RomBlockNode* rom_buckets[ROM_BUCKETS];
  std::uint8_t* ram_blocks[RAM_BLOCK_SLOTS];  // by block number
  std::uint8_t* bios_blocks[BIOS_BLOCK_SLOTS];
  std::uint32_t ram_block_counter;  // the next number to hand out
  std::uint32_t bios_block_counter;

  RamRange iwram_range;
  RamRange ewram_range;

  int lookup_depth;           // lookups currently translating
  unsigned cache_full_count;  // cache-full flushes within the current outermost lookup
  unsigned ram_flush_count;   // since start
  // Bumped by every flush of a cache: tells a lookup whether its own cache went away under it.
  unsigned flush_generation[CODE_REGIONS];
  // Set when an outermost lookup starts and again when it finishes; cleared when it had to
  // restart too often, which tells translators to stop translating branch targets nested.
  bool link_nested_blocks;
};
extern TranslationCaches caches;

// Lookup results besides a host code address.
using BlockAddress = std::uintptr_t;
// A nested translation gave up because a cache filled (and was flushed) under it.
constexpr BlockAddress LOOKUP_RETRY = 0;
// Outermost: the address can hold no code, or its block does not fit an empty cache; emulation
// must stop. Nested: the target is not linked now (see MAX_TRANSLATION_DEPTH too).
constexpr BlockAddress LOOKUP_BAD_JUMP = ~BlockAddress{0};

// Translation nests one level per linked branch target. Past this many translations under way
// a nested lookup that would translate answers LOOKUP_BAD_JUMP instead, which leaves that exit
// to the indirect-jump routine: the host stack stays bounded however long the chain.
constexpr int MAX_TRANSLATION_DEPTH = 64;

inline bool is_block_address(BlockAddress address) {
  return address != LOOKUP_RETRY && address != LOOKUP_BAD_JUMP;
}

// The translators, reached through settable pointers so that they (and test doubles) plug in
// here. `region` is a CodeRegion; `tag_code` is 1 for RAM, 0 otherwise.
enum TranslateResult : int {
  TRANSLATE_OK = 0,
  TRANSLATE_CACHE_FULL = -1,  // a cache filled and was flushed; the block is not usable
};
using TranslateFunction = int (*)(std::uint32_t pc, int region, int tag_code);
extern TranslateFunction arm_translator;
extern TranslateFunction thumb_translator;

// The block for guest code at `pc` in that state, translated first when needed: a host code
// address, LOOKUP_RETRY (nested only) or LOOKUP_BAD_JUMP. Needs the code memory open and each
// cache flushed once, as every emulation start does.
BlockAddress lookup_arm_block(std::uint32_t pc);
BlockAddress lookup_thumb_block(std::uint32_t pc);

// The block already translated for guest code at `pc` in that state, or LOOKUP_BAD_JUMP when
// there is none; never translates.
BlockAddress find_translated_block(std::uint32_t pc, bool thumb);

// In front of the lookup for indirect jumps: a direct-mapped table from a guest address, with
// the Thumb state in bit 0 (the key), to the host code of its block. The runtime fills it from
// the outermost lookups it makes and each host's indirect-jump routines probe it; every flush of
// any cache empties it, since a flush drops blocks it may point at (a block of another cache
// linked into the flushed one included). BIOS blocks stay out: their lookup opens the BIOS to
// reads, which a probe would skip.
constexpr unsigned INDIRECT_CACHE_BITS = 10;
constexpr std::uint32_t INDIRECT_CACHE_NO_KEY = 0xFFFFFFFF;  // no guest code can be there
struct alignas(16) IndirectJumpEntry {
  std::uint32_t key;
  std::uint32_t unused;
  std::uint8_t* code;
};
static_assert(sizeof(IndirectJumpEntry) == 16);
extern "C" IndirectJumpEntry indirect_jump_cache[1u << INDIRECT_CACHE_BITS];

inline std::uint32_t indirect_jump_key(std::uint32_t aligned_address, bool thumb) {
  return aligned_address | (thumb ? 1u : 0u);
}
inline std::uint32_t indirect_jump_slot(std::uint32_t key) {
  return (key * 0x9E3779B1u) >> (32 - INDIRECT_CACHE_BITS);
}
// Remembers where the lookup found (or translated) the block for an indirect jump.
void remember_indirect_jump(std::uint32_t pc, bool thumb, BlockAddress block);
void clear_indirect_jump_cache();

// Empty one cache: write pointer back to the start, index emptied, block numbers from 257 again,
// the cache's tags cleared.
void flush_ram_cache();
void flush_rom_cache();
void flush_bios_cache();
void flush_all_caches();

// Flushes the cache of one region.
void flush_code_region(int region);

// For translators, after each guest instruction: true when the write pointer has passed the
// region's limit, in which case the cache-full count has gone up and the region is flushed.
bool cache_full_after_instruction(int region);

// The tag of the guest halfword at `address`, in work RAM (0x02 or 0x03 region) or the BIOS.
std::uint16_t* ram_tag(std::uint32_t address);
std::uint16_t* bios_tag(std::uint32_t address);

// RAM bookkeeping for the RAM translator (see the top of this file).
void note_ram_block_start(std::uint32_t start);
void note_ram_block_end(std::uint32_t start, std::uint32_t end);
// Marks the halfwords of [address, address + length) as covered (TAG_INSIDE_BLOCK where no
// block starts) and widens the translated range to include them.
void tag_ram_code(std::uint32_t address, std::uint32_t length);
