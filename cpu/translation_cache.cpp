// The caches' record, their flushes, the code tags and the RAM translated ranges.

#include "cpu/translation_cache.h"

#include <algorithm>
#include <iterator>

#include "core/state.h"
#include "cpu/kest_port.h"

TranslationCaches caches;
TranslateFunction arm_translator = nullptr;
TranslateFunction thumb_translator = nullptr;
IndirectJumpEntry indirect_jump_cache[1u << INDIRECT_CACHE_BITS];

namespace {

constexpr std::uint32_t IWRAM_FIRST_ADDRESS = 0x03000000;
constexpr std::uint32_t IWRAM_BYTES = 0x8000;
constexpr std::uint32_t EWRAM_BYTES = 0x40000;
constexpr std::uint32_t TAG_PAGE_BYTES = static_cast<std::uint32_t>(PAGE_SIZE);
constexpr std::uint32_t BIOS_BYTES = sizeof machine.bios_area.image;
// A flush hands the instruction cache a little more than the used part, as the code of the last
// block may have been written just past the write pointer's final value.
constexpr std::size_t ICACHE_FLUSH_SLACK = 256;

bool is_iwram(std::uint32_t address) { return address >= IWRAM_FIRST_ADDRESS; }

RamRange& range_of(std::uint32_t address) {
  return is_iwram(address) ? caches.iwram_range : caches.ewram_range;
}

std::uint32_t storage_bytes(std::uint32_t address) {
  return is_iwram(address) ? IWRAM_BYTES : EWRAM_BYTES;
}

void widen(RamRange& range, std::uint32_t begin, std::uint32_t end) {
  if (range.lowest_start == NO_RANGE || begin < range.lowest_start) range.lowest_start = begin;
  if (range.highest_end == NO_RANGE || end > range.highest_end) range.highest_end = end;
}

// Widens the range over the guest bytes [start, end). Ranges are kept as offsets into the
// region's storage so that code in the mirrors (IWRAM at 0x03FFxxxx, say) is cleared where its
// tags really are; code that runs around the end of the storage widens it to the whole region.
void cover_ram_bytes(std::uint32_t start, std::uint32_t end) {
  if (end <= start) return;
  if (!is_iwram(start) && is_iwram(end - 1)) {
    cover_ram_bytes(start, IWRAM_FIRST_ADDRESS);
    cover_ram_bytes(IWRAM_FIRST_ADDRESS, end);
    return;
  }
  std::uint32_t size = storage_bytes(start);
  std::uint32_t first = start & (size - 1);
  std::uint32_t last = (end - 1) & (size - 1);
  if (end - start >= size || last < first) {
    widen(range_of(start), 0, size);
  } else {
    widen(range_of(start), first, last + 1);
  }
}

void clear_tags(std::uint16_t* tags, std::uint32_t begin_byte, std::uint32_t end_byte) {
  std::fill(tags + begin_byte / 2, tags + (end_byte + 1) / 2, TAG_NO_CODE);
}

std::uint32_t end_of(const RamRange& range, std::uint32_t storage_size) {
  return range.highest_end == NO_RANGE ? storage_size : range.highest_end;
}

void clear_iwram_tags() {
  const RamRange& range = caches.iwram_range;
  if (range.lowest_start == NO_RANGE) return;
  std::uint32_t end = end_of(range, IWRAM_BYTES);
  if (end <= range.lowest_start) return;
  clear_tags(machine.iwram.tags, range.lowest_start, end);
}

// The range may span several 32 KB pages, each with its tags in front of its own data.
void clear_ewram_tags() {
  const RamRange& range = caches.ewram_range;
  if (range.lowest_start == NO_RANGE) return;
  std::uint32_t begin = range.lowest_start;
  std::uint32_t end = end_of(range, EWRAM_BYTES);
  if (end <= begin) return;
  std::uint32_t first_page = begin / TAG_PAGE_BYTES;
  std::uint32_t last_page = (end - 1) / TAG_PAGE_BYTES;
  for (std::uint32_t page = first_page; page <= last_page; ++page) {
    std::uint32_t from = page == first_page ? begin % TAG_PAGE_BYTES : 0;
    std::uint32_t to = page == last_page ? (end - 1) % TAG_PAGE_BYTES + 1 : TAG_PAGE_BYTES;
    clear_tags(machine.ewram[page].tags, from, to);
  }
}

// Empties a code area: what was written there goes to the instruction cache first.
void restart_code_area(int region) {
  std::uint8_t* start = code_area_start(region);
  std::uint8_t* used_end = caches.write_pointer[region];
  if (used_end != nullptr) {  // null only before the area's first flush: nothing written yet
    icache_flush_length(start, static_cast<std::size_t>(used_end - start) + ICACHE_FLUSH_SLACK);
  }
  caches.write_pointer[region] = start;
  ++caches.flush_generation[region];
  clear_indirect_jump_cache();
}

}  // namespace

void flush_ram_cache() {
  ++caches.ram_flush_count;
  restart_code_area(CODE_REGION_RAM);
  caches.ram_block_counter = FIRST_BLOCK_NUMBER;
  clear_iwram_tags();
  clear_ewram_tags();
  caches.iwram_range = RamRange{NO_RANGE, NO_RANGE};
  caches.ewram_range = RamRange{NO_RANGE, NO_RANGE};
}

void flush_rom_cache() {
  restart_code_area(CODE_REGION_ROM);
  std::fill(std::begin(caches.rom_buckets), std::end(caches.rom_buckets), nullptr);
}

void flush_all_caches() {
  flush_rom_cache();
  flush_ram_cache();
  flush_bios_cache();
}

void flush_bios_cache() {
  restart_code_area(CODE_REGION_BIOS);
  caches.bios_block_counter = FIRST_BLOCK_NUMBER;
  std::fill(std::begin(machine.bios_area.tags), std::end(machine.bios_area.tags), TAG_NO_CODE);
}

void flush_code_region(int region) {
  switch (region) {
    case CODE_REGION_RAM: flush_ram_cache(); break;
    case CODE_REGION_ROM: flush_rom_cache(); break;
    case CODE_REGION_BIOS: flush_bios_cache(); break;
    default: break;
  }
}

bool cache_full_after_instruction(int region) {
  if (caches.write_pointer[region] <= code_area_limit(region)) return false;
  ++caches.cache_full_count;
  flush_code_region(region);
  return true;
}

std::uint16_t* ram_tag(std::uint32_t address) {
  RamPage& page =
      is_iwram(address) ? machine.iwram : machine.ewram[(address / TAG_PAGE_BYTES) % EWRAM_PAGES];
  return &page.tags[(address % TAG_PAGE_BYTES) / 2];
}

std::uint16_t* bios_tag(std::uint32_t address) {
  return &machine.bios_area.tags[(address % BIOS_BYTES) / 2];
}

void note_ram_block_start(std::uint32_t start) { cover_ram_bytes(start, start + 2); }

void note_ram_block_end(std::uint32_t start, std::uint32_t end) { cover_ram_bytes(start, end); }

void tag_ram_code(std::uint32_t address, std::uint32_t length) {
  std::uint32_t end = address + length;
  for (std::uint32_t halfword = address & ~1u; halfword < end; halfword += 2) {
    std::uint16_t* tag = ram_tag(halfword);
    if (*tag == TAG_NO_CODE) *tag = TAG_INSIDE_BLOCK;
  }
  cover_ram_bytes(address & ~1u, end);
}

void clear_indirect_jump_cache() {
  std::fill(std::begin(indirect_jump_cache), std::end(indirect_jump_cache),
            IndirectJumpEntry{INDIRECT_CACHE_NO_KEY, 0, nullptr});
}

void remember_indirect_jump(std::uint32_t pc, bool thumb, BlockAddress block) {
  std::uint32_t aligned = thumb ? pc & ~1u : pc & ~3u;
  if (!is_block_address(block) || aligned >> 24 == 0) return;  // no BIOS blocks (see above)
  std::uint32_t key = indirect_jump_key(aligned, thumb);
  indirect_jump_cache[indirect_jump_slot(key)] = {key, 0, reinterpret_cast<std::uint8_t*>(block)};
}
