// The block lookup: from a guest address and instruction state to translated host code.
//
// ARM and Thumb blocks are not told apart: a ROM node and a RAM or BIOS tag hold only the
// aligned address, so a lookup in one state finds a block translated in the other.

#include <new>

#include "core/memory/memory.h"
#include "core/report.h"
#include "core/state.h"
#include "cpu/kest_port.h"
#include "cpu/translation_cache.h"

namespace {

enum class InstructionSet { arm, thumb };

constexpr std::uint32_t FIRST_ADDRESS_WITHOUT_CODE = 0x0E000000;  // save memory and above

// An outermost lookup restarts after a cache filled under it. When its block and the blocks it
// links do not fit an empty cache together, restarting alone never ends: after the first try and
// two restarts, linking stops. Two tries without links then settle it, the second on an empty
// cache; a block that fails that does not fit at all.
constexpr unsigned FAILED_TRIES_BEFORE_UNLINKING = 3;
constexpr unsigned FAILED_TRIES_BEFORE_GIVING_UP = 5;

std::uint32_t aligned(std::uint32_t pc, InstructionSet set) {
  return set == InstructionSet::arm ? pc & ~3u : pc & ~1u;
}

bool can_hold_code(std::uint32_t address) {
  std::uint32_t region = address >> 24;
  return address < FIRST_ADDRESS_WITHOUT_CODE && region != 0x01 &&
         !(region >= REGION_IO && region <= REGION_OAM);
}

BlockAddress address_of(std::uint8_t* code) { return reinterpret_cast<BlockAddress>(code); }

TranslateFunction translator_for(InstructionSet set) {
  return set == InstructionSet::arm ? arm_translator : thumb_translator;
}

// Only the outermost lookup speaks: a nested one is a direct branch that its translator leaves
// to the indirect-jump routine, which reports the jump if it is ever taken.
BlockAddress bad_jump(std::uint32_t address) {
  if (caches.lookup_depth == 0) {
    debug_output("bad jump %x (%x) (%x)\n", address, reg[SLOT_PC], reg[SLOT_CPSR]);
  }
  return LOOKUP_BAD_JUMP;
}

// RAM and BIOS: blocks numbered through the code tags.

std::uint16_t* tag_of(int region, std::uint32_t address) {
  return region == CODE_REGION_RAM ? ram_tag(address) : bios_tag(address);
}

std::uint8_t** block_table(int region) {
  return region == CODE_REGION_RAM ? caches.ram_blocks : caches.bios_blocks;
}

std::uint32_t& block_counter(int region) {
  return region == CODE_REGION_RAM ? caches.ram_block_counter : caches.bios_block_counter;
}

std::uint32_t block_number_end(int region) {
  return region == CODE_REGION_RAM ? RAM_BLOCK_NUMBER_END : BIOS_BLOCK_NUMBER_END;
}

bool names_a_block(std::uint16_t tag) {
  return tag >= FIRST_BLOCK_NUMBER && tag != TAG_INSIDE_BLOCK;
}

// Returns the block's entry, or null when making room for its number flushed the cache under
// nested callers, which must then give up.
std::uint8_t* register_numbered_block(std::uint32_t address, InstructionSet set, int region) {
  std::uint32_t& counter = block_counter(region);
  if (counter + 1 >= block_number_end(region)) {
    ++caches.cache_full_count;
    flush_code_region(region);
    if (caches.lookup_depth != 0) return nullptr;
  }
  std::uint32_t number = counter++;
  std::uint8_t* entry = caches.write_pointer[region];
  block_table(region)[number] = entry;
  *tag_of(region, address) = static_cast<std::uint16_t>(number);
  std::uint32_t tagged_end = address + 2;
  if (set == InstructionSet::arm) {
    *tag_of(region, address + 2) = TAG_INSIDE_BLOCK;
    tagged_end = address + 4;
  }
  // Before the translator runs: a flush under it must clear these tags too.
  if (region == CODE_REGION_RAM) note_ram_block_end(address, tagged_end);
  return entry;
}

// ROM: blocks found through hash chains of nodes.

RomBlockNode* find_rom_node(std::uint32_t address) {
  for (RomBlockNode* node = caches.rom_buckets[rom_bucket(address)]; node; node = node->next) {
    if (node->guest_address == address) return node;
  }
  return nullptr;
}

std::uint8_t* register_rom_block(std::uint32_t address) {
  std::uintptr_t spot = address_of(caches.write_pointer[CODE_REGION_ROM]);
  spot = (spot + ROM_NODE_ALIGNMENT - 1) & ~(ROM_NODE_ALIGNMENT - 1);
  RomBlockNode* node = new (reinterpret_cast<void*>(spot)) RomBlockNode{address, 0, nullptr};
  RomBlockNode** link = &caches.rom_buckets[rom_bucket(address)];
  while (*link != nullptr) link = &(*link)->next;
  *link = node;
  caches.write_pointer[CODE_REGION_ROM] = rom_block_code(node);
  return rom_block_code(node);
}

std::uint8_t* register_block(std::uint32_t address, InstructionSet set, int region) {
  if (region == CODE_REGION_ROM) return register_rom_block(address);
  return register_numbered_block(address, set, region);
}

// One translation of a registered block; true when the translator finished it.
bool translate_registered_block(std::uint32_t address, InstructionSet set, int region) {
  unsigned generation = caches.flush_generation[region];
  ++caches.lookup_depth;
  int result = translator_for(set)(address, region, region == CODE_REGION_RAM ? 1 : 0);
  --caches.lookup_depth;
  if (result == TRANSLATE_OK) return true;
  // The cache that filled may be another one, reached through a link. This cache then still
  // holds the half-written block, and may hold finished blocks linked into the flushed one.
  if (caches.flush_generation[region] == generation) flush_code_region(region);
  return false;
}

// Where each cache's write pointer stood, and how often it had been flushed, when the outermost
// lookup began.
struct WriteMarks {
  std::uint8_t* write_pointer[CODE_REGIONS];
  unsigned flush_generation[CODE_REGIONS];
};

WriteMarks mark_write_pointers() {
  WriteMarks marks;
  for (int region = 0; region < CODE_REGIONS; ++region) {
    marks.write_pointer[region] = caches.write_pointer[region];
    marks.flush_generation[region] = caches.flush_generation[region];
  }
  return marks;
}

// Hands what the outermost lookup wrote to the instruction cache: the blocks it translated,
// nested ones included, and the branch sites linked inside them. Code is only appended, so that
// is one range per cache: from the mark, or from the area's start when the cache was flushed in
// between, up to the write pointer.
void make_written_code_coherent(const WriteMarks& marks) {
  for (int region = 0; region < CODE_REGIONS; ++region) {
    bool flushed = caches.flush_generation[region] != marks.flush_generation[region];
    std::uint8_t* begin = flushed ? code_area_start(region) : marks.write_pointer[region];
    std::uint8_t* end = caches.write_pointer[region];
    if (end > begin) icache_flush_range(begin, end);
  }
}

BlockAddress translate_new_block(std::uint32_t address, InstructionSet set, int region) {
  ORVANE_CHECK(translator_for(set) != nullptr, LOOKUP_BAD_JUMP);
  ORVANE_CHECK(caches.write_pointer[region] != nullptr, LOOKUP_BAD_JUMP);
  if (caches.lookup_depth >= MAX_TRANSLATION_DEPTH) return LOOKUP_BAD_JUMP;
  const WriteMarks marks = mark_write_pointers();
  for (unsigned failed_tries = 0;;) {
    std::uint8_t* entry = register_block(address, set, region);
    if (entry == nullptr) return LOOKUP_RETRY;
    if (translate_registered_block(address, set, region)) {
      if (caches.lookup_depth == 0) {
        make_written_code_coherent(marks);
        caches.link_nested_blocks = true;
      }
      return address_of(entry);
    }
    // Every partly built caller is invalid now; only the outermost lookup starts again.
    if (caches.lookup_depth != 0) return LOOKUP_RETRY;
    ++failed_tries;
    if (failed_tries == FAILED_TRIES_BEFORE_GIVING_UP) {
      caches.link_nested_blocks = true;
      debug_output("block at %x does not fit an empty code cache\n", address);
      return LOOKUP_BAD_JUMP;
    }
    if (failed_tries >= FAILED_TRIES_BEFORE_UNLINKING) caches.link_nested_blocks = false;
  }
}

// The cache that holds blocks of guest code at `address`.
int code_region_of(std::uint32_t address) {
  switch (address >> 24) {
    case REGION_BIOS: return CODE_REGION_BIOS;
    case REGION_EWRAM:
    case REGION_IWRAM: return CODE_REGION_RAM;
    default: return CODE_REGION_ROM;  // the cartridge ROM and its mirrors
  }
}

std::uint8_t* translated_block(std::uint32_t address, int region) {
  if (region == CODE_REGION_ROM) {
    RomBlockNode* node = find_rom_node(address);
    return node != nullptr ? rom_block_code(node) : nullptr;
  }
  std::uint16_t tag = *tag_of(region, address);
  return names_a_block(tag) ? block_table(region)[tag] : nullptr;
}

BlockAddress lookup_block(std::uint32_t pc, InstructionSet set) {
  if (caches.lookup_depth == 0) {
    caches.cache_full_count = 0;
    caches.link_nested_blocks = true;
  }
  std::uint32_t address = aligned(pc, set);
  if (!can_hold_code(address)) return bad_jump(address);
  int region = code_region_of(address);
  std::uint8_t* code = translated_block(address, region);
  BlockAddress block =
      code != nullptr ? address_of(code) : translate_new_block(address, set, region);
  // Only a lookup that execution follows at once (the outermost) opens the BIOS to reads; one
  // made to link a branch must not, or game code would read the BIOS before ever entering it.
  // Translators fetch BIOS code whether or not it is readable.
  if (region == CODE_REGION_BIOS && caches.lookup_depth == 0) make_bios_readable();
  return block;
}

}  // namespace

BlockAddress lookup_arm_block(std::uint32_t pc) { return lookup_block(pc, InstructionSet::arm); }

BlockAddress find_translated_block(std::uint32_t pc, bool thumb) {
  std::uint32_t address = aligned(pc, thumb ? InstructionSet::thumb : InstructionSet::arm);
  if (!can_hold_code(address)) return LOOKUP_BAD_JUMP;
  std::uint8_t* code = translated_block(address, code_region_of(address));
  return code != nullptr ? address_of(code) : LOOKUP_BAD_JUMP;
}

BlockAddress lookup_thumb_block(std::uint32_t pc) {
  return lookup_block(pc, InstructionSet::thumb);
}
