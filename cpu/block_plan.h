#pragma once
// What the scan learns about a block and the emission fills in: one record per guest
// instruction and the list of direct exits. Shared by the ARM and Thumb translators and
// rebuilt for every block, nested translations included, which is why linking copies out the
// exits it still needs before it looks their targets up.

#include <cstdint>

// A block ends after this many guest instructions, or once its host code has passed
// MAX_BLOCK_HOST_BYTES (the instruction that passes it is the last), whichever comes first.
// Execution enters at least one block per scheduler step and tests the budget only where a block
// leaves, so the two bound what a step can cost in translation. With 8192 instructions and no
// byte limit, a guest running through never-repeated code (zeros past a cartridge image, say)
// translated 8192 instructions at every step and filled the cartridge cache hundreds of times in
// a few frames; short blocks also keep a step from running far past its budget. Real code seldom
// runs straight for 64 instructions, and where a block ends at a limit its successor is linked.
constexpr unsigned MAX_BLOCK_INSTRUCTIONS = 64;
constexpr unsigned MAX_BLOCK_HOST_BYTES = 4096;
constexpr unsigned MAX_BLOCK_EXITS = 256;

enum RecordAttribute : std::uint8_t {
  ATTR_CONDITION = 0x0F,
  ATTR_CONTROL = 0x10,  // may transfer control: branch, BX, SWI, PC write
  ATTR_WRITES_FLAGS = 0x20,
};
constexpr unsigned CONDITION_ALWAYS = 0xE;
constexpr unsigned CONDITION_NEVER = 0xF;

// Guest flags as bits, for liveness.
enum FlagBit : std::uint8_t { FLAG_V = 1, FLAG_C = 2, FLAG_Z = 4, FLAG_N = 8, ALL_FLAGS = 15 };

struct InstructionRecord {
  std::uint8_t* host;    // where its code starts
  std::uint32_t opcode;  // fetched once: a paged cartridge may drop the page during the scan
  std::uint8_t attributes;
  std::uint8_t internal_target;  // a branch of this block lands here
  // Flags that some later instruction may read before they are written again. Emitters need
  // not keep the others.
  std::uint8_t flags_live_after;
  // A branch to a known address in the block's own state (B, BL, the Thumb long branch): there,
  // liveness follows the branch instead of taking every flag as read.
  bool has_branch_target;
  std::uint32_t branch_target;
  std::uint8_t flags_live_at_target;  // flags the code at the branch target may read
};

// What an instruction does with the flags: reads them, or writes them whenever it runs.
struct FlagUsage {
  std::uint8_t reads;
  std::uint8_t writes;
};

struct BlockExit {
  std::uint32_t target;
  bool thumb;           // the state the target runs in
  std::uint8_t* patch;  // the patch site of the jump to the target
  // The way on of a block that a length limit ended. Only the outermost block of a lookup has its
  // successor translated for the link (a loop up to twice the limit stays linked); below it the
  // link is made only to a block already translated, or every lookup would translate a chain of
  // successors ahead, most of which never run.
  bool successor = false;
};

struct BlockPlan {
  std::uint32_t start;
  std::uint32_t end;  // address after the last instruction
  unsigned count;
  unsigned instruction_limit;  // the scan ends the block after this many instructions
  unsigned instruction_size;   // 4 or 2
  int region;
  bool ends_with_jump;  // the last instruction always leaves: no closing code needed
  std::uint32_t pending_cycles;
  InstructionRecord records[MAX_BLOCK_INSTRUCTIONS];
  BlockExit exits[MAX_BLOCK_EXITS];
  std::uint8_t flags_live_at_end;  // flags the code after the block may read
  unsigned exit_count;             // targets found by the scan
  unsigned emitted_exits;          // exits whose jump the emission has placed, in scan order
};
extern BlockPlan block_plan;

// Empties the plan for a block at `start` of instructions of `instruction_size` bytes, at most
// `instruction_limit` of them.
void begin_block_plan(BlockPlan& plan, std::uint32_t start, int region, unsigned instruction_size,
                      unsigned instruction_limit = MAX_BLOCK_INSTRUCTIONS);

inline std::uint32_t record_address(const BlockPlan& plan, unsigned index) {
  return plan.start + index * plan.instruction_size;
}

// True when `address` is the target of one of the first `count` exits.
bool is_exit_target(const BlockPlan& plan, std::uint32_t address, unsigned count);

// The flags an ARM condition field tests.
std::uint8_t condition_reads(unsigned condition);

// The flags that the code at a block's branch target (or after its end) may read before it writes
// them; ALL_FLAGS where that is not known for certain.
using EntryReads = std::uint8_t (*)(const BlockPlan& plan, std::uint32_t target);

// Fills flags_live_after backwards from the block end, where `entry_reads(plan, plan.end)` is
// live. `usage` tells each instruction's reads and writes; a branch reads what its target reads
// (the instruction there, or `entry_reads` outside the block), every other jump every flag.
void compute_flag_liveness(BlockPlan& plan, FlagUsage (*usage)(std::uint32_t opcode),
                           EntryReads entry_reads);
