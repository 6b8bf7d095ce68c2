#include "thumb_instruction_generator.h"

#include <utility>
#include <vector>

#include "case_builder.h"
#include "disassembly_text.h"

namespace {

constexpr std::uint32_t LOW_REGISTERS = 0xFF;
constexpr std::uint32_t THUMB_BIT = 0x20;
// Keeps the Thumb cases of a seed apart from the ARM cases of the same class number.
constexpr std::uint64_t THUMB_SALT = 0x7407B;

constexpr std::uint16_t THUMB_NOP = 0x46C0;  // mov r8, r8

// Thumb ALU operation numbers (bits 9-6 of format 4).
constexpr unsigned ALU_ADC = 5;
constexpr unsigned ALU_SBC = 6;
constexpr unsigned ALU_TST = 8;
constexpr unsigned ALU_NEG = 9;
constexpr unsigned ALU_CMP = 10;
constexpr unsigned ALU_CMN = 11;
constexpr unsigned ALU_MUL = 13;
constexpr unsigned ALU_MVN = 15;

// Conditions a branch may use while C holds no defined value.
bool reads_carry(unsigned cond) { return cond == 2 || cond == 3 || cond == 8 || cond == 9; }

class Builder : public CaseBuilder<ThumbCase> {
 public:
  using CaseBuilder::CaseBuilder;

  // Values for the amount register of a shift by register: only the low byte counts, so every
  // range of it appears, sometimes under random upper bits.
  std::uint32_t shift_amount() {
    std::uint32_t low;
    switch (below(7)) {
      case 0: low = 0; break;
      case 1: low = 1 + below(31); break;
      case 2: low = 32; break;
      case 3: low = 33 + below(223); break;
      case 4: low = 31 + below(3); break;
      case 5: low = 0x100 * (1 + below(3)) + below(40); break;  // above 255: still the low byte
      default: low = below(256); break;
    }
    return chance(25) ? (bits32() & 0xFFFFFF00u) | (low & 0xFF) : low;
  }

  unsigned low_register(std::uint32_t exclude) { return random_in(LOW_REGISTERS & ~exclude); }
  // A low register whose starting value can still be chosen; NO_REGISTER if all are taken.
  unsigned fresh_low(std::uint32_t exclude) {
    return random_in(LOW_REGISTERS & ~touched & ~exclude);
  }
  unsigned known_low(std::uint32_t exclude) { return random_in(LOW_REGISTERS & known & ~exclude); }

  ThumbCode& out() { return far_ ? c.far : c.code; }
  std::uint32_t here() { return out().end(); }
  void write_far(bool far) { far_ = far; }

  // Registers written lose their known value; the caller gives back what it can work out.
  void emit(std::uint16_t halfword, std::uint32_t reads, std::uint32_t writes) {
    out().halfwords.push_back(halfword);
    out().roles.push_back(HalfwordRole::THUMB);
    touched |= (reads | writes) & GENERAL_REGISTERS;
    known &= ~writes;
    bases &= ~writes;
  }

  void emit_arm(std::uint32_t word, std::uint32_t reads, std::uint32_t writes) {
    out().halfwords.push_back(static_cast<std::uint16_t>(word));
    out().roles.push_back(HalfwordRole::ARM_LOW);
    out().halfwords.push_back(static_cast<std::uint16_t>(word >> 16));
    out().roles.push_back(HalfwordRole::ARM_HIGH);
    touched |= (reads | writes) & GENERAL_REGISTERS;
    known &= ~writes;
    bases &= ~writes;
  }

  // Thumb code that must never run: MOV/ADD/SUB/CMP with an immediate, so that running it
  // by mistake changes a register or the flags.
  void emit_skipped(unsigned count) {
    for (unsigned i = 0; i < count; ++i) {
      out().halfwords.push_back(static_cast<std::uint16_t>(0x2000 | below(0x2000)));
      out().roles.push_back(HalfwordRole::SKIPPED);
    }
  }

  // ---- Branches to places not yet written ----

  static constexpr unsigned STOP = 0;  // the label of the stop address
  unsigned new_label() {
    labels_.push_back(UNPLACED);
    return static_cast<unsigned>(labels_.size() - 1);
  }
  void place(unsigned label) { labels_[label] = here(); }
  std::uint32_t label_address(unsigned label) const {
    return label == STOP ? c.code.end() : labels_[label];
  }

  // B<cond> (COND_AL: the unconditional B) or BL to `label`, patched in by `resolve`.
  void emit_branch(unsigned cond, unsigned label) {
    fixups_.push_back({far_, out().halfwords.size(), cond, label});
    emit(0, 0, 0);
  }
  void emit_long_branch(unsigned label) {
    fixups_.push_back({far_, out().halfwords.size(), LONG, label});
    emit(0, 0, 0);
    emit(0, 0, bit(LR));
  }
  void resolve() {
    for (const Fixup& f : fixups_) {
      ThumbCode& code = f.far ? c.far : c.code;
      const std::uint32_t address = code.address + 2 * static_cast<std::uint32_t>(f.index);
      const std::uint32_t offset = label_address(f.label) - (address + 4);
      if (f.kind == LONG) {
        code.halfwords[f.index] = static_cast<std::uint16_t>(0xF000 | ((offset >> 12) & 0x7FF));
        code.halfwords[f.index + 1] = static_cast<std::uint16_t>(0xF800 | ((offset >> 1) & 0x7FF));
      } else if (f.kind == COND_AL) {
        code.halfwords[f.index] = static_cast<std::uint16_t>(0xE000 | ((offset >> 1) & 0x7FF));
      } else {
        code.halfwords[f.index] =
            static_cast<std::uint16_t>(0xD000 | f.kind << 8 | ((offset >> 1) & 0xFF));
      }
    }
    fixups_.clear();
  }

  bool carry_meaningless = false;  // after MUL, until an instruction sets C again
  std::vector<std::pair<std::uint32_t, std::uint32_t>> stores;  // (address, size) written

  struct Bookmark : RegisterBookmark {
    bool carry_meaningless;
    std::size_t code_size, literal_count, store_count, fixup_count;
  };
  Bookmark bookmark() {
    Bookmark m{};
    save_registers(m);
    m.carry_meaningless = carry_meaningless;
    m.code_size = out().halfwords.size();
    m.literal_count = c.literals.size();
    m.store_count = stores.size();
    m.fixup_count = fixups_.size();
    return m;
  }
  void restore(const Bookmark& m) {
    restore_registers(m);
    carry_meaningless = m.carry_meaningless;
    out().halfwords.resize(m.code_size);
    out().roles.resize(m.code_size);
    c.literals.resize(m.literal_count);
    stores.resize(m.store_count);
    fixups_.resize(m.fixup_count);
  }

 private:
  static constexpr std::uint32_t UNPLACED = 0xFFFFFFFF;
  static constexpr unsigned LONG = 16;
  struct Fixup {
    bool far;
    std::size_t index;
    unsigned kind;  // a condition, COND_AL for B, LONG for BL
    unsigned label;
  };

  bool far_ = false;
  std::vector<std::uint32_t> labels_{UNPLACED};  // label 0 is STOP
  std::vector<Fixup> fixups_;
};

// Choices for an instruction are drawn until they work out; one that still finds none is
// left out.
constexpr int MAX_ATTEMPTS = 200;

// ---- Operations on registers (formats 1 to 5) ---------------------------------------------

// Registers in `reserved` keep their values: loop counters, return addresses, bases.
void emit_shift_immediate(Builder& b, std::uint32_t reserved) {
  const unsigned op = b.below(3);
  unsigned amount;
  switch (b.below(5)) {
    case 0: amount = 0; break;  // LSL #0 keeps C; LSR #0 and ASR #0 mean 32
    case 1: amount = b.pick({1u, 31u}); break;
    default: amount = b.below(32); break;
  }
  const unsigned rs = b.low_register(0);
  const unsigned rd = b.low_register(reserved);
  b.emit(static_cast<std::uint16_t>(op << 11 | amount << 6 | rs << 3 | rd), bit(rs), bit(rd));
  if (op != 0 || amount != 0) b.carry_meaningless = false;
}

void emit_add_subtract(Builder& b, std::uint32_t reserved) {
  const bool immediate = b.chance(50);
  const bool subtract = b.chance(50);
  const unsigned rs = b.low_register(0);
  const unsigned operand = immediate ? (b.chance(20) ? 0 : b.below(8)) : b.low_register(0);
  const unsigned rd = b.low_register(reserved);
  b.emit(static_cast<std::uint16_t>(0x1800 | (immediate ? 1u << 10 : 0) | (subtract ? 1u << 9 : 0) |
                                    operand << 6 | rs << 3 | rd),
         bit(rs) | (immediate ? 0 : bit(operand)), bit(rd));
  b.carry_meaningless = false;
}

void emit_immediate(Builder& b, std::uint32_t reserved) {
  const unsigned op = b.below(4);  // MOV, CMP, ADD, SUB
  const std::uint32_t imm = b.chance(30) ? b.pick({0u, 1u, 0x7Fu, 0x80u, 0xFFu}) : b.below(256);
  const unsigned rd = op == 1 ? b.low_register(0) : b.low_register(reserved);
  b.emit(static_cast<std::uint16_t>(0x2000 | op << 11 | rd << 8 | imm), op == 0 ? 0 : bit(rd),
         op == 1 ? 0 : bit(rd));
  if (op != 0) b.carry_meaningless = false;
}

void emit_alu(Builder& b, std::uint32_t reserved, bool multiply) {
  for (;;) {
    const unsigned op = b.below(16);
    if (op == ALU_MUL && !multiply) continue;
    if ((op == ALU_ADC || op == ALU_SBC) && b.carry_meaningless) continue;
    const bool shift = op == 2 || op == 3 || op == 4 || op == 7;
    const bool compare = op == ALU_TST || op == ALU_CMP || op == ALU_CMN;
    const unsigned rd = compare ? b.low_register(0) : b.low_register(reserved);
    unsigned rs = NO_REGISTER;
    if (shift && b.chance(70)) {
      rs = b.fresh_low(bit(rd));
      if (rs != NO_REGISTER) b.set_initial(rs, b.shift_amount());
    }
    if (rs == NO_REGISTER) rs = b.low_register(0);
    if (op == ALU_MUL && rs == rd) continue;  // MUL Rd, Rm with Rd == Rm: unpredictable
    const bool reads_rd = op != ALU_NEG && op != ALU_MVN;
    b.emit(static_cast<std::uint16_t>(0x4000 | op << 6 | rs << 3 | rd),
           bit(rs) | (reads_rd ? bit(rd) : 0), compare ? 0 : bit(rd));
    if (op == ALU_MUL) {
      b.carry_meaningless = true;
    } else if (op == ALU_NEG || op == ALU_CMP || op == ALU_CMN) {
      b.carry_meaningless = false;
    }
    return;
  }
}

// ADD, CMP or MOV with at least one high register; PC only as an operand, read as the
// instruction's address + 4.
void emit_high_register(Builder& b, std::uint32_t reserved, bool pc_operands) {
  for (;;) {
    const unsigned op = b.below(3);
    const unsigned rd =
        op == 1 ? (pc_operands && b.chance(5) ? PC : b.any_register(0)) : b.any_register(reserved);
    const unsigned rm = pc_operands && b.chance(8) ? PC : b.any_register(0);
    if (rd == NO_REGISTER || (rd < 8 && rm < 8)) continue;
    const std::uint32_t reads = ((op == 2 ? 0 : bit(rd)) | bit(rm)) & GENERAL_REGISTERS;
    b.emit(static_cast<std::uint16_t>(0x4400 | op << 8 | (rd & 8) << 4 | rm << 3 | (rd & 7)), reads,
           op == 1 ? 0 : bit(rd));
    if (op == 1) b.carry_meaningless = false;
    return;
  }
}

// An ADC or SBC, to show the carry the instructions before left.
void emit_carry_reader(Builder& b, std::uint32_t reserved) {
  const unsigned op = b.chance(50) ? ALU_ADC : ALU_SBC;
  const unsigned rs = b.low_register(0);
  const unsigned rd = b.low_register(reserved);
  b.emit(static_cast<std::uint16_t>(0x4000 | op << 6 | rs << 3 | rd), bit(rs) | bit(rd), bit(rd));
}

struct DataOptions {
  std::uint32_t reserved = 0;
  bool multiply = false;
  bool high = true;
};

// One operation of formats 1 to 5 (no branch, no PC destination).
void emit_data(Builder& b, const DataOptions& o) {
  switch (b.below(o.high ? 5 : 4)) {
    case 0: emit_shift_immediate(b, o.reserved); break;
    case 1: emit_add_subtract(b, o.reserved); break;
    case 2: emit_immediate(b, o.reserved); break;
    case 3: emit_alu(b, o.reserved, o.multiply); break;
    default: emit_high_register(b, o.reserved, true); break;
  }
}

// ---- Memory --------------------------------------------------------------------------------

// An address well inside one data window, so that offsets of some kilobytes either way stay
// inside it.
std::uint32_t window_address(Builder& b, std::uint32_t alignment) {
  const DataWindow& w = DATA_WINDOWS[b.below(2)];
  std::uint32_t address = w.base + 0x1000 + b.below(w.size - 0x2000);
  return address & ~(alignment - 1);
}

bool size_alignment_fits(std::uint32_t address, std::uint32_t size) {
  return (address & (size - 1)) == 0 && inside_a_window(address, size);
}

void record_store(Builder& b, std::uint32_t address, std::uint32_t size) {
  b.stores.emplace_back(address, size);
}

// A low register holding a known address aligned to `alignment`: one left by an earlier
// access, or a fresh one.
unsigned choose_base(Builder& b, std::uint32_t alignment, std::uint32_t exclude) {
  const std::uint32_t reusable = b.bases & b.known & LOW_REGISTERS & ~exclude;
  if (reusable != 0 && b.chance(60)) {
    for (int tries = 0; tries < 8; ++tries) {
      unsigned r = b.low_register(~reusable);
      if (r != NO_REGISTER && (b.values[r] & (alignment - 1)) == 0) return r;
    }
  }
  unsigned r = b.fresh_low(exclude);
  if (r == NO_REGISTER) return NO_REGISTER;
  b.set_initial(r, window_address(b, alignment));
  b.bases |= bit(r);
  return r;
}

// Loads avoid overwriting the bases later accesses rely on, mostly.
unsigned load_destination(Builder& b, std::uint32_t allowed_bases) {
  return b.low_register(b.chance(75) ? b.bases & ~allowed_bases : 0);
}

// LDR/STR/LDRB/STRB/STRH/LDSB/LDRH/LDSH Rd, [Rb, Ro].
bool emit_register_offset(Builder& b) {
  const Builder::Bookmark start = b.bookmark();
  for (int attempt = 0; attempt < MAX_ATTEMPTS; b.restore(start), ++attempt) {
    const unsigned kind = b.below(8);  // STR STRB LDR LDRB STRH LDSB LDRH LDSH
    const std::uint32_t size = kind == 0 || kind == 2                  ? 4
                               : (kind == 1 || kind == 3 || kind == 5) ? 1
                                                                       : 2;
    const bool load = kind == 2 || kind == 3 || kind >= 5;
    const std::uint32_t target = window_address(b, size) + (b.below(0x400) & ~(size - 1));

    unsigned rb = NO_REGISTER;
    unsigned ro = NO_REGISTER;
    switch (b.below(4)) {
      case 0: {  // both new: a random split of the address
        rb = b.fresh_low(0);
        if (rb == NO_REGISTER) continue;
        b.set_initial(rb, b.chance(50) ? window_address(b, 1) : b.interesting());
        ro = b.fresh_low(bit(rb));
        if (ro == NO_REGISTER) continue;
        b.set_initial(ro, target - b.values[rb]);
        break;
      }
      case 1: {  // a known base and a new offset
        rb = choose_base(b, 1, 0);
        if (rb == NO_REGISTER) continue;
        ro = b.fresh_low(bit(rb));
        if (ro == NO_REGISTER) continue;
        const std::uint32_t near = (b.values[rb] + b.below(0x1000) - 0x800) & ~(size - 1);
        b.set_initial(ro, near - b.values[rb]);
        break;
      }
      case 2: {  // a known offset and a new base
        ro = b.known_low(0);
        if (ro == NO_REGISTER) continue;
        rb = b.fresh_low(bit(ro));
        if (rb == NO_REGISTER) continue;
        b.set_initial(rb, target - b.values[ro]);
        b.bases |= bit(rb);
        break;
      }
      default: {  // both known already
        rb = b.known_low(0);
        ro = b.known_low(0);
        if (rb == NO_REGISTER || ro == NO_REGISTER) continue;
        break;
      }
    }
    const std::uint32_t address = b.values[rb] + b.values[ro];
    if (!size_alignment_fits(address, size)) continue;
    const unsigned rd = load ? load_destination(b, bit(rb) | bit(ro)) : b.low_register(0);
    if (rd == NO_REGISTER) continue;
    const std::uint32_t opcode =
        kind < 4 ? 0x5000u | (load ? 1u << 11 : 0) | (kind & 1) << 10 : 0x5200u | (kind - 4) << 10;
    b.emit(static_cast<std::uint16_t>(opcode | ro << 6 | rb << 3 | rd),
           bit(rb) | bit(ro) | (load ? 0 : bit(rd)), load ? bit(rd) : 0);
    if (!load) record_store(b, address, size);
    return true;
  }
  return false;
}

// LDR/STR/LDRB/STRB/LDRH/STRH Rd, [Rb, #imm].
bool emit_immediate_offset(Builder& b) {
  const Builder::Bookmark start = b.bookmark();
  for (int attempt = 0; attempt < MAX_ATTEMPTS; b.restore(start), ++attempt) {
    const unsigned kind = b.below(6);  // STR LDR STRB LDRB STRH LDRH
    const bool load = (kind & 1) != 0;
    const std::uint32_t size = kind < 2 ? 4 : kind < 4 ? 1 : 2;
    const std::uint32_t imm5 = b.chance(25) ? b.pick({0u, 31u}) : b.below(32);
    const std::uint32_t offset = imm5 * size;
    unsigned rb = NO_REGISTER;
    const std::uint32_t reusable = b.bases & b.known & LOW_REGISTERS;
    if (reusable != 0 && b.chance(60)) {
      rb = b.low_register(~reusable);
    } else {
      rb = b.fresh_low(0);
      if (rb == NO_REGISTER) continue;
      b.set_initial(rb, window_address(b, size) - (b.chance(30) ? offset : 0));
      b.bases |= bit(rb);
    }
    const std::uint32_t address = b.values[rb] + offset;
    if (!size_alignment_fits(address, size)) continue;
    const unsigned rd = load ? load_destination(b, bit(rb)) : b.low_register(0);
    if (rd == NO_REGISTER) continue;
    const std::uint32_t opcode = size == 2 ? 0x8000u : 0x6000u | (size == 1 ? 1u << 12 : 0);
    b.emit(static_cast<std::uint16_t>(opcode | (load ? 1u << 11 : 0) | imm5 << 6 | rb << 3 | rd),
           bit(rb) | (load ? 0 : bit(rd)), load ? bit(rd) : 0);
    if (!load) record_store(b, address, size);
    return true;
  }
  return false;
}

// PC-relative loads read the literal pool: pool word `index` is this many words past the
// instruction's word-aligned PC.
std::uint32_t literal_words(Builder& b, std::size_t index) {
  return (b.c.literal_address() + 4 * static_cast<std::uint32_t>(index) - ((b.here() + 4) & ~3u)) /
         4;
}

// A literal pool word: a new one, or one an earlier load already used.
std::size_t literal_index(Builder& b, std::uint32_t value) {
  if (!b.c.literals.empty() && b.chance(20)) {
    return b.below(static_cast<unsigned>(b.c.literals.size()));
  }
  b.c.literals.push_back(value);
  return b.c.literals.size() - 1;
}

bool emit_pc_relative_load(Builder& b) {
  const unsigned rd = load_destination(b, 0);
  if (rd == NO_REGISTER) return false;
  const std::size_t index = literal_index(b, b.interesting());
  const std::uint32_t value = b.c.literals[index];
  b.emit(static_cast<std::uint16_t>(0x4800 | rd << 8 | literal_words(b, index)), 0, bit(rd));
  b.values[rd] = value;
  b.known |= bit(rd);
  return true;
}

// A stack pointer in a data window when SP has not been used yet; false when SP holds no
// known, word-aligned address.
bool stack_ready(Builder& b) {
  if ((b.touched & bit(SP)) == 0) b.set_initial(SP, window_address(b, 4));
  return (b.known & bit(SP)) != 0 && (b.values[SP] & 3) == 0;
}

// LDR/STR Rd, [SP, #imm].
bool emit_sp_relative(Builder& b) {
  if (!stack_ready(b)) return false;
  const Builder::Bookmark start = b.bookmark();
  for (int attempt = 0; attempt < MAX_ATTEMPTS; b.restore(start), ++attempt) {
    const bool load = b.chance(50);
    const std::uint32_t imm8 = b.chance(20) ? b.pick({0u, 255u}) : b.below(b.chance(50) ? 16 : 256);
    const std::uint32_t address = b.values[SP] + 4 * imm8;
    if (!inside_a_window(address, 4)) continue;
    const unsigned rd = load ? load_destination(b, 0) : b.low_register(0);
    if (rd == NO_REGISTER) continue;
    b.emit(static_cast<std::uint16_t>(0x9000 | (load ? 1u << 11 : 0) | rd << 8 | imm8),
           bit(SP) | (load ? 0 : bit(rd)), load ? bit(rd) : 0);
    if (!load) record_store(b, address, 4);
    return true;
  }
  return false;
}

// ADD SP, #+-imm, keeping a known stack pointer inside its window.
bool emit_adjust_sp(Builder& b) {
  const bool known = (b.known & bit(SP)) != 0;
  for (int attempt = 0; attempt < MAX_ATTEMPTS; ++attempt) {
    const bool down = b.chance(50);
    const std::uint32_t imm7 = b.chance(20) ? b.pick({0u, 127u}) : b.below(b.chance(50) ? 16 : 128);
    const std::uint32_t moved = down ? b.values[SP] - 4 * imm7 : b.values[SP] + 4 * imm7;
    if (known && !inside_a_window(moved, 4)) continue;
    b.emit(static_cast<std::uint16_t>(0xB000 | (down ? 0x80u : 0) | imm7), bit(SP), bit(SP));
    if (known) {
      b.values[SP] = moved;
      b.known |= bit(SP);
    }
    return true;
  }
  return false;
}

// ADD Rd, SP, #imm or ADD Rd, PC, #imm; the result may become a base.
void emit_load_address(Builder& b, bool from_pc) {
  const unsigned rd = b.low_register(b.chance(75) ? b.bases : 0);
  if (rd == NO_REGISTER) return;
  const std::uint32_t imm8 = b.chance(20) ? b.pick({0u, 255u}) : b.below(256);
  const std::uint32_t value = from_pc ? ((b.here() + 4) & ~3u) + 4 * imm8 : b.values[SP] + 4 * imm8;
  const bool value_known = from_pc || (b.known & bit(SP)) != 0;
  b.emit(static_cast<std::uint16_t>(0xA000 | (from_pc ? 0 : 1u << 11) | rd << 8 | imm8),
         from_pc ? 0 : bit(SP), bit(rd));
  if (value_known) {
    b.values[rd] = value;
    b.known |= bit(rd);
    if (inside_a_window(value, 4) && (value & 3) == 0) b.bases |= bit(rd);
  }
}

// ADD Rd, PC, #imm aimed into the literal pool, and a word load through it.
bool emit_pool_address_load(Builder& b) {
  const Builder::Bookmark start = b.bookmark();
  for (int attempt = 0; attempt < MAX_ATTEMPTS; b.restore(start), ++attempt) {
    const unsigned rd = b.low_register(b.bases);
    if (rd == NO_REGISTER) return false;
    const std::size_t index = literal_index(b, b.interesting());
    const std::uint32_t k = b.below(8);
    const std::uint32_t words = literal_words(b, index);
    if (words < k || words - k > 255) continue;
    const std::uint32_t imm8 = words - k;
    b.emit(static_cast<std::uint16_t>(0xA000 | rd << 8 | imm8), 0, bit(rd));
    const unsigned rx = b.low_register(b.bases & ~bit(rd));
    if (rx == NO_REGISTER) continue;
    b.emit(static_cast<std::uint16_t>(0x6800 | k << 6 | rd << 3 | rx), bit(rd), bit(rx));
    return true;
  }
  return false;
}

std::uint32_t random_low_list(Builder& b) {
  switch (b.below(4)) {
    case 0: return bit(b.below(8));
    case 1: return bit(b.below(8)) | bit(b.below(8));
    case 2: return b.bits32() & LOW_REGISTERS;
    default: return b.bits32() & b.bits32() & LOW_REGISTERS;
  }
}

bool emit_push(Builder& b) {
  if (!stack_ready(b)) return false;
  for (int attempt = 0; attempt < MAX_ATTEMPTS; ++attempt) {
    const bool lr = b.chance(30);
    const std::uint32_t list = random_low_list(b);
    if (list == 0 && !lr) continue;
    const std::uint32_t bytes = 4 * static_cast<std::uint32_t>(__builtin_popcount(list) + lr);
    const std::uint32_t low = b.values[SP] - bytes;
    if (!inside_a_window(low, bytes)) continue;
    b.emit(static_cast<std::uint16_t>(0xB400 | (lr ? 0x100u : 0) | list),
           list | bit(SP) | (lr ? bit(LR) : 0), bit(SP));
    b.values[SP] = low;
    b.known |= bit(SP);
    record_store(b, low, bytes);
    return true;
  }
  return false;
}

// POP of low registers only; see emit_pop_pc for the one that returns.
bool emit_pop(Builder& b) {
  if (!stack_ready(b)) return false;
  for (int attempt = 0; attempt < MAX_ATTEMPTS; ++attempt) {
    std::uint32_t list = random_low_list(b);
    if (b.chance(75)) list &= ~b.bases;
    if (list == 0) continue;
    const std::uint32_t bytes = 4 * static_cast<std::uint32_t>(__builtin_popcount(list));
    const std::uint32_t low = b.values[SP];
    if (!inside_a_window(low, bytes)) continue;
    b.emit(static_cast<std::uint16_t>(0xBC00 | list), bit(SP), list | bit(SP));
    b.values[SP] = low + bytes;
    b.known |= bit(SP);
    return true;
  }
  return false;
}

bool overlaps_a_store(const Builder& b, std::uint32_t address, std::uint32_t size) {
  for (const auto& [low, bytes] : b.stores) {
    if (address < low + bytes && low < address + size) return true;
  }
  return false;
}

void put_window_word(ThumbCase& c, std::uint32_t address, std::uint32_t value) {
  for (unsigned w = 0; w < 2; ++w) {
    const DataWindow& window = DATA_WINDOWS[w];
    if (address < window.base || address - window.base > window.size - 4) continue;
    for (unsigned k = 0; k < 4; ++k) {
      c.window_bytes[w][address - window.base + k] = static_cast<std::uint8_t>(value >> (8 * k));
    }
  }
}

// POP {..., PC} to `target` in Thumb state: the popped word, placed in the starting memory
// unless a store of the case got there first, has bit 0 set so that the oracle's ARMv5
// interworking stays in Thumb state as the ARM7TDMI does.
bool emit_pop_pc(Builder& b, std::uint32_t target) {
  if (!stack_ready(b)) return false;
  for (int attempt = 0; attempt < MAX_ATTEMPTS; ++attempt) {
    std::uint32_t list = b.chance(40) ? 0 : random_low_list(b);
    const std::uint32_t count = static_cast<std::uint32_t>(__builtin_popcount(list));
    const std::uint32_t slot = b.values[SP] + 4 * count;
    if (!inside_a_window(b.values[SP], 4 * count + 4)) continue;
    if (overlaps_a_store(b, slot, 4)) continue;
    put_window_word(b.c, slot, target | 1);
    b.emit(static_cast<std::uint16_t>(0xBD00 | list), bit(SP), list | bit(SP));
    b.values[SP] = slot + 4;
    b.known |= bit(SP);
    return true;
  }
  return false;
}

// LDMIA/STMIA Rb!, {list}.
bool emit_multiple(Builder& b) {
  const Builder::Bookmark start = b.bookmark();
  for (int attempt = 0; attempt < MAX_ATTEMPTS; b.restore(start), ++attempt) {
    const bool load = b.chance(50);
    const unsigned rb = choose_base(b, 4, 0);
    if (rb == NO_REGISTER) continue;
    std::uint32_t list = random_low_list(b);
    if (load) {
      list &= ~bit(rb);  // with the base in the list the result is unpredictable
      if (b.chance(75)) list &= ~b.bases;
    } else if ((list & bit(rb)) != 0 && (list & (bit(rb) - 1)) != 0) {
      list &= ~bit(rb);  // the base is stored unchanged only as the lowest register
    }
    if (list == 0) continue;
    const std::uint32_t base = b.values[rb];
    const std::uint32_t bytes = 4 * static_cast<std::uint32_t>(__builtin_popcount(list));
    if (!inside_a_window(base, bytes)) continue;
    b.emit(static_cast<std::uint16_t>(0xC000 | (load ? 1u << 11 : 0) | rb << 8 | list),
           bit(rb) | (load ? 0 : list), bit(rb) | (load ? list : 0));
    b.values[rb] = base + bytes;
    b.known |= bit(rb);
    b.bases |= bit(rb);
    if (!load) record_store(b, base, bytes);
    return true;
  }
  return false;
}

// ---- The classes ---------------------------------------------------------------------------

void finish_carry(Builder& b) {
  if (b.carry_meaningless) {
    b.c.cpsr_mask &= ~FLAG_C;
    b.c.mask_reason = "C is meaningless after MUL on ARMv4";
  }
}

void generate_single_format(Builder& b, void (*emit_one)(Builder&, std::uint32_t)) {
  const unsigned count = 1 + b.below(6);
  for (unsigned i = 0; i < count; ++i) {
    if (b.chance(20)) {
      emit_carry_reader(b, 0);
    } else {
      emit_one(b, 0);
    }
  }
}

void generate_alu(Builder& b) {
  const unsigned count = 1 + b.below(6);
  for (unsigned i = 0; i < count; ++i) emit_alu(b, 0, true);
  finish_carry(b);
}

// MOV PC, Rm, ADD PC, Rm or BX Rm (with bit 0 set) to a Thumb address a few halfwords on;
// the halfwords jumped over must never run.
bool emit_jump_within_thumb(Builder& b) {
  const unsigned rm = b.fresh_register(bit(SP));
  if (rm == NO_REGISTER) return false;
  const unsigned skip = b.below(4);
  const std::uint32_t here = b.here();
  const std::uint32_t target = here + 2 + 2 * skip;
  switch (b.below(3)) {
    case 0:
      b.set_initial(rm, target);
      b.emit(static_cast<std::uint16_t>(0x4687 | rm << 3), bit(rm), 0);  // mov pc, rm
      break;
    case 1:
      b.set_initial(rm, target - (here + 4));
      b.emit(static_cast<std::uint16_t>(0x4487 | rm << 3), bit(rm), 0);  // add pc, rm
      break;
    default:
      b.set_initial(rm, target | 1);
      b.emit(static_cast<std::uint16_t>(0x4700 | rm << 3), bit(rm), 0);  // bx rm
      break;
  }
  b.emit_skipped(skip);
  return true;
}

void generate_high_register(Builder& b) {
  const unsigned count = 1 + b.below(6);
  for (unsigned i = 0; i < count; ++i) {
    const unsigned choice = b.below(100);
    if (choice < 65) {
      emit_high_register(b, 0, true);
    } else if (choice < 80) {
      emit_data(b, {0, false, false});
    } else if (!emit_jump_within_thumb(b)) {
      emit_high_register(b, 0, true);
    }
  }
}

// Up to `most` instructions from `emit_one`, and now and then (`percent`) a register operation
// among them, which leaves the bases of later accesses alone when `keep_bases` says so.
void generate_with_data(Builder& b, unsigned most, unsigned percent, bool keep_bases,
                        bool (*emit_one)(Builder&)) {
  const unsigned count = 1 + b.below(most);
  for (unsigned i = 0; i < count; ++i) {
    if (b.chance(percent)) {
      emit_data(b, {keep_bases ? b.bases : 0, false, false});
    } else {
      emit_one(b);
    }
  }
}

void generate_pc_relative_load(Builder& b) {
  generate_with_data(b, 5, 25, false, emit_pc_relative_load);
}

void generate_memory(Builder& b, bool (*emit_one)(Builder&)) {
  generate_with_data(b, 5, 15, true, emit_one);
}

void generate_sp_relative(Builder& b) {
  stack_ready(b);
  const unsigned count = 1 + b.below(6);
  for (unsigned i = 0; i < count; ++i) {
    const unsigned choice = b.below(100);
    if (choice < 45) {
      emit_sp_relative(b);
    } else if (choice < 70) {
      emit_adjust_sp(b);
    } else if (choice < 85) {
      emit_load_address(b, false);
    } else if (choice < 93) {
      emit_immediate_offset(b);
    } else {
      emit_data(b, {b.bases, false, false});
    }
  }
}

void generate_load_address(Builder& b) {
  if (b.chance(50)) stack_ready(b);  // otherwise SP keeps a random value: ADD Rd, SP still works
  const unsigned count = 1 + b.below(5);
  for (unsigned i = 0; i < count; ++i) {
    const unsigned choice = b.below(100);
    if (choice < 30) {
      emit_load_address(b, true);
    } else if (choice < 55) {
      emit_load_address(b, false);
    } else if (choice < 75) {
      emit_pool_address_load(b);
    } else if (choice < 90) {
      emit_immediate_offset(b);
    } else {
      emit_data(b, {b.bases, false, false});
    }
  }
}

void generate_push_pop(Builder& b) {
  stack_ready(b);
  const unsigned count = 1 + b.below(6);
  for (unsigned i = 0; i < count; ++i) {
    const unsigned choice = b.below(100);
    if (choice < 40) {
      emit_push(b);
    } else if (choice < 70) {
      emit_pop(b);
    } else if (choice < 80) {
      emit_sp_relative(b);
    } else if (choice < 88) {
      emit_adjust_sp(b);
    } else {
      emit_data(b, {0, false, false});
    }
  }
  if (b.chance(40)) {
    const unsigned skip = b.below(3);
    if (emit_pop_pc(b, b.here() + 2 + 2 * skip)) b.emit_skipped(skip);
  }
}

void generate_multiple(Builder& b) { generate_with_data(b, 4, 20, true, emit_multiple); }

// A condition for a branch; while C is meaningless, one that does not read it.
unsigned branch_condition(Builder& b) {
  for (;;) {
    unsigned cond = b.below(14);
    if (!(b.carry_meaningless && reads_carry(cond))) return cond;
  }
}

// A counted loop: MOV Rc, #n; body; SUB Rc, #1 (or SUB then CMP); B<cond> body. The body may
// branch forward inside itself.
void emit_counted_loop(Builder& b) {
  const unsigned rc = b.low_register(0);
  const unsigned n = 1 + b.below(6);
  b.emit(static_cast<std::uint16_t>(0x2000 | rc << 8 | n), 0, bit(rc));
  const unsigned body = b.new_label();
  b.place(body);
  const unsigned ops = 1 + b.below(3);
  const unsigned end = b.new_label();
  for (unsigned i = 0; i < ops; ++i) {
    if (b.chance(20)) {
      b.emit_branch(b.below(14), end);
    } else {
      emit_data(b, {bit(rc), false, true});
    }
  }
  b.place(end);
  b.emit(static_cast<std::uint16_t>(0x3800 | rc << 8 | 1), bit(rc), bit(rc));  // subs rc, #1
  if (b.chance(25)) b.emit(static_cast<std::uint16_t>(0x2800 | rc << 8), bit(rc), 0);  // cmp rc, #0
  // Conditions that end a count down from n: NE, HI and GT after n turns, PL after n + 1.
  b.emit_branch(b.pick({1u, 8u, 12u, 5u}), body);
  b.carry_meaningless = false;
}

void generate_conditional_branch(Builder& b) {
  // Pieces first, so that forward branches know where the later ones begin.
  const unsigned count = 2 + b.below(9);
  std::vector<unsigned> starts(count);
  for (unsigned& label : starts) label = b.new_label();
  for (unsigned i = 0; i < count; ++i) {
    b.place(starts[i]);
    const unsigned choice = b.below(100);
    if (choice < 45) {
      emit_data(b, {0, false, true});
    } else if (choice < 88) {
      const unsigned later = i + 1 + b.below(count - i);
      b.emit_branch(branch_condition(b), later < count ? starts[later] : Builder::STOP);
    } else {
      emit_counted_loop(b);
    }
  }
}

void generate_branch(Builder& b) {
  // Pieces run in order 0, 1, ..., but are laid out shuffled and chained with B.
  const unsigned count = 2 + b.below(4);
  std::vector<unsigned> order(count);
  for (unsigned i = 0; i < count; ++i) order[i] = i;
  for (unsigned i = count - 1; i > 0; --i) std::swap(order[i], order[b.below(i + 1)]);
  std::vector<unsigned> starts(count);
  for (unsigned& label : starts) label = b.new_label();
  if (order[0] != 0 || b.chance(20)) b.emit_branch(COND_AL, starts[0]);
  for (unsigned slot = 0; slot < count; ++slot) {
    const unsigned piece = order[slot];
    b.place(starts[piece]);
    const unsigned ops = 1 + b.below(3);
    for (unsigned i = 0; i < ops; ++i) {
      if (b.chance(15)) {
        // Forward over code that must not run.
        const unsigned over = b.new_label();
        b.emit_branch(COND_AL, over);
        b.emit_skipped(1 + b.below(3));
        b.place(over);
      } else {
        emit_data(b, {0, false, true});
      }
    }
    const bool last = piece == count - 1;
    const bool next_follows = slot + 1 < count ? order[slot + 1] == piece + 1 : last;
    if (!next_follows || b.chance(40)) {
      b.emit_branch(COND_AL, last ? Builder::STOP : starts[piece + 1]);
    }
  }
}

// Code of a subroutine: operations that leave LR (and SP) alone.
void emit_subroutine_body(Builder& b) {
  const unsigned ops = b.below(4);
  for (unsigned i = 0; i < ops; ++i) emit_data(b, {bit(LR) | bit(SP), false, true});
  if (b.chance(30)) {
    const unsigned rd = b.below(8);
    b.emit(static_cast<std::uint16_t>(0x4670 | rd), bit(LR), bit(rd));  // mov rd, lr
  }
}

// Returns to LR, which a BL set (bit 0 set): BX LR, MOV PC, LR or the POP {PC} of a PUSH {LR}
// made at the start (`pushed`).
void emit_return(Builder& b, bool pushed) {
  if (pushed) {
    b.emit(0xBD00, bit(SP), bit(SP));  // pop {pc}
    return;
  }
  if (b.chance(60)) {
    b.emit(0x4770, bit(LR), 0);  // bx lr
  } else {
    b.emit(0x46F7, bit(LR), 0);  // mov pc, lr
  }
}

void emit_subroutine(Builder& b, unsigned label, unsigned callee) {
  b.place(label);
  const bool pushed = callee != 0 || ((b.known & bit(SP)) != 0 && b.chance(30));
  if (pushed) b.emit(0xB500, bit(LR) | bit(SP), bit(SP));  // push {lr}
  emit_subroutine_body(b);
  if (callee != 0) {
    b.emit_long_branch(callee);
    emit_subroutine_body(b);
  }
  emit_return(b, pushed);
}

std::uint32_t far_code_address(Builder& b, std::uint32_t code) {
  const std::uint32_t region = code >> 24;
  if (region == 0x03) return 0x03006000 + 0x100 * b.below(16);
  if (region == 0x02)
    return b.chance(50) ? 0x02008000 + 0x100 * b.below(0x100) : 0x02030000 + 0x100 * b.below(0x100);
  // Forward or backward across the cartridge, more than a B can reach.
  if ((code & 0x00080000) != 0) return ROM_CODE_ADDRESS + 0x1000 * (5 + b.below(0x70));
  return ROM_CODE_ADDRESS + 0x10000 + 0x1000 * b.below(0x70);
}

void generate_long_branch(Builder& b) {
  stack_ready(b);
  const unsigned layout = b.below(4);
  const DataOptions main_options{bit(SP), false, true};
  auto main_ops = [&]() {
    const unsigned ops = b.below(3);
    for (unsigned i = 0; i < ops; ++i) emit_data(b, main_options);
  };
  if (layout == 0) {
    // Main code, then the subroutines, which may call each other, past a B to the stop.
    const unsigned sub = b.new_label();
    const unsigned inner = b.chance(40) ? b.new_label() : 0;
    main_ops();
    b.emit_long_branch(sub);
    main_ops();
    if (b.chance(30)) b.emit_long_branch(sub);
    b.emit_branch(COND_AL, Builder::STOP);
    emit_subroutine(b, sub, inner);
    if (inner != 0) emit_subroutine(b, inner, 0);
  } else if (layout == 1) {
    // The subroutine first, jumped over; the call goes backward.
    const unsigned sub = b.new_label();
    const unsigned main = b.new_label();
    b.emit_branch(COND_AL, main);
    emit_subroutine(b, sub, 0);
    b.place(main);
    main_ops();
    b.emit_long_branch(sub);
    main_ops();
  } else {
    // A subroutine far away that returns, or that calls back into a tail of the main code.
    b.c.far.address = far_code_address(b, b.c.code.address);
    const unsigned sub = b.new_label();
    const unsigned tail = b.new_label();
    main_ops();
    b.emit_long_branch(sub);
    if (layout == 3) b.emit_skipped(1 + b.below(2));
    b.place(tail);
    main_ops();
    b.write_far(true);
    if (layout == 2) {
      emit_subroutine(b, sub, 0);
    } else {
      b.place(sub);
      emit_subroutine_body(b);
      b.emit_long_branch(tail);
    }
    b.write_far(false);
  }
}

// ---- Interworking --------------------------------------------------------------------------

std::uint32_t arm_data_processing(Builder& b) {
  const unsigned opcode = b.below(16);
  const bool compare = opcode >= 8 && opcode <= 11;
  const bool s = compare || b.chance(50);
  const unsigned cond = b.chance(60) ? COND_AL : b.below(15);
  const bool move = opcode == 13 || opcode == 15;
  // The oracle refuses nonzero should-be-zero fields: Rn of MOV/MVN, Rd of the compares.
  const unsigned rn = move ? 0 : b.any_register(0);
  const unsigned rd = compare ? 0 : b.any_register(bit(SP));
  std::uint32_t operand;
  if (b.chance(40)) {
    operand = 1u << 25 | b.below(16) << 8 | b.below(256);
  } else {
    operand = b.below(32) << 7 | b.below(4) << 5 | b.any_register(0);
  }
  return cond << 28 | opcode << 21 | (s ? 1u << 20 : 0) | rn << 16 | rd << 12 | operand;
}

void emit_arm_ops(Builder& b) {
  const unsigned ops = b.below(4);
  for (unsigned i = 0; i < ops; ++i) {
    if (b.chance(15)) {
      const unsigned rd = b.any_register(bit(SP));
      b.emit_arm(0xE10F0000u | rd << 12, 0, bit(rd));  // mrs rd, cpsr
    } else {
      const std::uint32_t word = arm_data_processing(b);
      b.emit_arm(word, GENERAL_REGISTERS, bit((word >> 12) & 15));
    }
  }
}

void emit_thumb_ops(Builder& b) {
  const unsigned ops = b.below(4);
  for (unsigned i = 0; i < ops; ++i) emit_data(b, {bit(SP), false, true});
}

// From ARM code to Thumb code right after: ADD Rx, PC, #k (or a literal) with bit 0 set, BX Rx.
void arm_to_thumb(Builder& b) {
  const unsigned rx = b.any_register(bit(SP));
  const std::uint32_t at = b.here();
  if (b.chance(70)) {
    const unsigned skip = b.below(2);  // ARM words jumped over
    const std::uint32_t target = at + 8 + 4 * skip;
    b.emit_arm(0xE28F0000u | rx << 12 | (target - (at + 8) + 1), 0, bit(rx));  // add rx, pc, #k
    b.emit_arm(0xE12FFF10u | rx, bit(rx), 0);                                  // bx rx
    for (unsigned i = 0; i < skip; ++i)
      b.emit_arm(0xE3A00000u | b.below(8) << 12 | b.below(256), 0, 0);
  } else {
    const std::uint32_t target = at + 8;
    b.c.literals.push_back(target | 1);
    const std::uint32_t pool =
        b.c.literal_address() + 4 * static_cast<std::uint32_t>(b.c.literals.size() - 1);
    b.emit_arm(0xE59F0000u | rx << 12 | (pool - (at + 8)), 0, bit(rx));  // ldr rx, [pc, #k]
    b.emit_arm(0xE12FFF10u | rx, bit(rx), 0);
  }
}

// From Thumb code to ARM code at the next word boundary (or a word later).
void thumb_to_arm(Builder& b) {
  const unsigned way = b.below(4);
  if (way == 0) {
    // BX PC reads its own address + 4, so it must sit on a word boundary.
    if ((b.here() & 2) != 0) b.emit(THUMB_NOP, 0, 0);
    b.emit(0x4778, 0, 0);  // bx pc
    b.emit_skipped(1);
    return;
  }
  const unsigned rx = b.low_register(0);
  if (way == 3) {
    const std::uint32_t at = b.here();
    // The ARM code follows the literal load and the BX (and one more halfword if needed).
    const std::uint32_t target = (at + 4 + 3) & ~3u;
    b.c.literals.push_back(target);
    const std::size_t index = b.c.literals.size() - 1;
    b.emit(static_cast<std::uint16_t>(0x4800 | rx << 8 | literal_words(b, index)), 0, bit(rx));
  } else {
    const std::uint32_t at = b.here();
    const std::uint32_t target = (at + 4 + (way == 2 ? 2 : 0) + 3) & ~3u;
    b.emit(static_cast<std::uint16_t>(0xA000 | rx << 8 | (target - ((at + 4) & ~3u)) / 4), 0,
           bit(rx));  // add rx, pc, #k
  }
  unsigned via = rx;
  if (way == 2) {
    via = 8 + b.below(7);
    if (via == SP) via = LR;
    b.emit(static_cast<std::uint16_t>(0x4600 | (via & 8) << 4 | rx << 3 | (via & 7)), bit(rx),
           bit(via));  // mov rh, rx
  }
  b.emit(static_cast<std::uint16_t>(0x4700 | via << 3), bit(via), 0);  // bx
  if ((b.here() & 2) != 0) b.emit_skipped(1);
}

void generate_interworking(Builder& b) {
  const bool thumb_first = b.chance(50);
  if (!thumb_first) b.c.cpsr &= ~THUMB_BIT;
  const unsigned segments = b.chance(60) ? 3 : 5;  // back in the starting state at the end
  bool thumb = thumb_first;
  for (unsigned i = 0; i < segments; ++i) {
    if (thumb) {
      emit_thumb_ops(b);
    } else {
      emit_arm_ops(b);
    }
    if (i + 1 == segments) break;
    if (thumb) {
      thumb_to_arm(b);
    } else {
      arm_to_thumb(b);
    }
    thumb = !thumb;
  }
}

// Every non-branching format, one after the other.
void generate_mixed(Builder& b) {
  stack_ready(b);
  const unsigned count = 4 + b.below(9);
  for (unsigned i = 0; i < count; ++i) {
    const std::uint32_t keep = b.chance(90) ? bit(SP) : 0;
    switch (b.below(14)) {
      case 0: emit_shift_immediate(b, 0); break;
      case 1: emit_add_subtract(b, 0); break;
      case 2: emit_immediate(b, 0); break;
      case 3: emit_alu(b, 0, true); break;
      case 4: emit_high_register(b, keep, true); break;
      case 5: emit_pc_relative_load(b); break;
      case 6: emit_register_offset(b); break;
      case 7: emit_immediate_offset(b); break;
      case 8: emit_sp_relative(b); break;
      case 9: emit_adjust_sp(b); break;
      case 10: emit_load_address(b, b.chance(50)); break;
      case 11: emit_push(b); break;
      case 12: emit_pop(b); break;
      default: emit_multiple(b); break;
    }
  }
  finish_carry(b);
}

}  // namespace

const char* thumb_case_class_name(ThumbCaseClass case_class) {
  switch (case_class) {
    case ThumbCaseClass::SHIFT_IMMEDIATE: return "shift immediate";
    case ThumbCaseClass::ADD_SUBTRACT: return "add subtract";
    case ThumbCaseClass::IMMEDIATE: return "immediate";
    case ThumbCaseClass::ALU: return "alu";
    case ThumbCaseClass::HIGH_REGISTER: return "high register";
    case ThumbCaseClass::PC_RELATIVE_LOAD: return "pc relative load";
    case ThumbCaseClass::REGISTER_OFFSET: return "register offset";
    case ThumbCaseClass::IMMEDIATE_OFFSET: return "immediate offset";
    case ThumbCaseClass::SP_RELATIVE: return "sp relative";
    case ThumbCaseClass::LOAD_ADDRESS: return "load address";
    case ThumbCaseClass::PUSH_POP: return "push pop";
    case ThumbCaseClass::MULTIPLE_TRANSFER: return "multiple transfer";
    case ThumbCaseClass::CONDITIONAL_BRANCH: return "conditional branch";
    case ThumbCaseClass::BRANCH: return "branch";
    case ThumbCaseClass::LONG_BRANCH: return "long branch";
    case ThumbCaseClass::INTERWORKING: return "interworking";
    case ThumbCaseClass::MIXED: return "mixed";
  }
  return "?";
}

ThumbCase generate_thumb_case(ThumbCaseClass case_class, std::uint64_t seed, std::uint64_t index) {
  Builder b(case_stream_seed(seed, THUMB_SALT, static_cast<unsigned>(case_class), index));
  ThumbCase& c = b.c;
  switch (b.below(10)) {
    case 0: c.code.address = IWRAM_CODE_ADDRESS; break;
    case 1: c.code.address = EWRAM_CODE_ADDRESS; break;
    case 2: c.code.address = ROM_CODE_ADDRESS + 0x80000 + 0x100 * b.below(64); break;
    default: c.code.address = ROM_CODE_ADDRESS + 0x100 * b.below(64); break;
  }
  for (unsigned r = 0; r < 15; ++r) {
    c.r[r] = b.interesting();
    b.values[r] = c.r[r];
  }
  b.known = GENERAL_REGISTERS;
  c.r[15] = c.code.address;
  std::uint32_t mode = MODE_SYSTEM;
  if (b.chance(20)) mode = b.chance(50) ? MODE_IRQ : MODE_SVC;
  c.cpsr = (b.bits32() & 0xF0000000u) | b.below(4) << 6 | THUMB_BIT | mode;
  fill_data_windows(c.window_bytes, seed, index, THUMB_SALT << 28);

  switch (case_class) {
    case ThumbCaseClass::SHIFT_IMMEDIATE: generate_single_format(b, emit_shift_immediate); break;
    case ThumbCaseClass::ADD_SUBTRACT: generate_single_format(b, emit_add_subtract); break;
    case ThumbCaseClass::IMMEDIATE: generate_single_format(b, emit_immediate); break;
    case ThumbCaseClass::ALU: generate_alu(b); break;
    case ThumbCaseClass::HIGH_REGISTER: generate_high_register(b); break;
    case ThumbCaseClass::PC_RELATIVE_LOAD: generate_pc_relative_load(b); break;
    case ThumbCaseClass::REGISTER_OFFSET: generate_memory(b, emit_register_offset); break;
    case ThumbCaseClass::IMMEDIATE_OFFSET: generate_memory(b, emit_immediate_offset); break;
    case ThumbCaseClass::SP_RELATIVE: generate_sp_relative(b); break;
    case ThumbCaseClass::LOAD_ADDRESS: generate_load_address(b); break;
    case ThumbCaseClass::PUSH_POP: generate_push_pop(b); break;
    case ThumbCaseClass::MULTIPLE_TRANSFER: generate_multiple(b); break;
    case ThumbCaseClass::CONDITIONAL_BRANCH: generate_conditional_branch(b); break;
    case ThumbCaseClass::BRANCH: generate_branch(b); break;
    case ThumbCaseClass::LONG_BRANCH: generate_long_branch(b); break;
    case ThumbCaseClass::INTERWORKING: generate_interworking(b); break;
    case ThumbCaseClass::MIXED: generate_mixed(b); break;
  }
  if (c.code.halfwords.empty()) b.emit(THUMB_NOP, 0, 0);
  b.resolve();
  return c;
}

// ---- Disassembly ---------------------------------------------------------------------------

namespace {

const char* const condition_names[16] = {"eq", "ne", "cs", "cc", "mi", "pl", "vs", "vc",
                                         "hi", "ls", "ge", "lt", "gt", "le", "al", "nv"};
const char* const alu_names[16] = {"ands", "eors", "lsls", "lsrs", "asrs", "adcs", "sbcs", "rors",
                                   "tst",  "negs", "cmp",  "cmn",  "orrs", "muls", "bics", "mvns"};

std::string register_list(std::uint32_t list, const char* extra) {
  std::string out = "{";
  for (unsigned r = 0; r < 8; ++r) {
    if ((list & bit(r)) == 0) continue;
    if (out.size() > 1) out += ", ";
    out += register_names[r];
  }
  if (extra != nullptr) {
    if (out.size() > 1) out += ", ";
    out += extra;
  }
  return out + "}";
}

}  // namespace

std::string disassemble_thumb(std::uint16_t h, std::uint32_t address, std::uint16_t next) {
  const unsigned rd = h & 7;
  const unsigned rs = (h >> 3) & 7;
  const unsigned rd8 = (h >> 8) & 7;
  const char* d = register_names[rd];
  const char* s = register_names[rs];
  switch (h >> 13) {
    case 0: {
      const unsigned op = (h >> 11) & 3;
      if (op == 3) {
        const char* name = (h & 0x200) != 0 ? "subs" : "adds";
        if ((h & 0x400) != 0) return format("%s %s, %s, #%u", name, d, s, (h >> 6) & 7u);
        return format("%s %s, %s, %s", name, d, s, register_names[(h >> 6) & 7]);
      }
      static const char* const shifts[3] = {"lsls", "lsrs", "asrs"};
      unsigned amount = (h >> 6) & 31;
      if (amount == 0 && op != 0) amount = 32;
      return format("%s %s, %s, #%u", shifts[op], d, s, amount);
    }
    case 1: {
      static const char* const names[4] = {"movs", "cmp", "adds", "subs"};
      return format("%s %s, #%u", names[(h >> 11) & 3], register_names[rd8], h & 0xFFu);
    }
    case 2:
      if ((h & 0xFC00) == 0x4000) return format("%s %s, %s", alu_names[(h >> 6) & 15], d, s);
      if ((h & 0xFC00) == 0x4400) {
        const unsigned hd = (h & 7) | ((h >> 4) & 8);
        const unsigned hm = (h >> 3) & 15;
        switch ((h >> 8) & 3) {
          case 0: return format("add %s, %s", register_names[hd], register_names[hm]);
          case 1: return format("cmp %s, %s", register_names[hd], register_names[hm]);
          case 2: return format("mov %s, %s", register_names[hd], register_names[hm]);
          default: return format("%s %s", (h & 0x80) != 0 ? "blx" : "bx", register_names[hm]);
        }
      }
      if ((h & 0xF800) == 0x4800) {
        const std::uint32_t target = ((address + 4) & ~3u) + 4 * (h & 0xFFu);
        return format("ldr %s, [pc, #%u]  ; [0x%08x]", register_names[rd8], 4 * (h & 0xFFu),
                      target);
      }
      {
        static const char* const names[8] = {"str", "strh", "strb", "ldsb",
                                             "ldr", "ldrh", "ldrb", "ldsh"};
        return format("%s %s, [%s, %s]", names[(h >> 9) & 7], d, s, register_names[(h >> 6) & 7]);
      }
    case 3: {
      const bool byte = (h & 0x1000) != 0;
      const unsigned imm = ((h >> 6) & 31u) * (byte ? 1 : 4);
      return format("%s%s %s, [%s, #%u]", (h & 0x800) != 0 ? "ldr" : "str", byte ? "b" : "", d, s,
                    imm);
    }
    case 4:
      if ((h & 0x1000) == 0) {
        return format("%s %s, [%s, #%u]", (h & 0x800) != 0 ? "ldrh" : "strh", d, s,
                      ((h >> 6) & 31u) * 2);
      }
      return format("%s %s, [sp, #%u]", (h & 0x800) != 0 ? "ldr" : "str", register_names[rd8],
                    4 * (h & 0xFFu));
    case 5:
      if ((h & 0x1000) == 0) {
        if ((h & 0x800) != 0) {
          return format("add %s, sp, #%u", register_names[rd8], 4 * (h & 0xFFu));
        }
        return format("add %s, pc, #%u  ; 0x%08x", register_names[rd8], 4 * (h & 0xFFu),
                      ((address + 4) & ~3u) + 4 * (h & 0xFFu));
      }
      if ((h & 0xFF00) == 0xB000) {
        return format("add sp, #%s%u", (h & 0x80) != 0 ? "-" : "", 4 * (h & 0x7Fu));
      }
      if ((h & 0xF600) == 0xB400) {
        const bool pop = (h & 0x800) != 0;
        const char* extra = (h & 0x100) == 0 ? nullptr : pop ? "pc" : "lr";
        return format("%s %s", pop ? "pop" : "push", register_list(h & 0xFFu, extra).c_str());
      }
      break;
    case 6:
      if ((h & 0x1000) == 0) {
        return format("%s %s!, %s", (h & 0x800) != 0 ? "ldmia" : "stmia", register_names[rd8],
                      register_list(h & 0xFFu, nullptr).c_str());
      }
      if ((h & 0xFF00) == 0xDF00) return format("swi 0x%02x", h & 0xFFu);
      if ((h & 0xFF00) == 0xDE00) break;
      return format(
          "b%s 0x%08x", condition_names[(h >> 8) & 15],
          address + 4 + static_cast<std::uint32_t>(static_cast<std::int8_t>(h & 0xFF) * 2));
    default:
      if ((h & 0xF800) == 0xE000) {
        const std::int32_t offset = static_cast<std::int32_t>((h & 0x7FFu) << 21) >> 20;
        return format("b 0x%08x", address + 4 + static_cast<std::uint32_t>(offset));
      }
      if ((h & 0xF800) == 0xF000) {
        if ((next & 0xF800) != 0xF800) return format("bl (first half alone) 0x%04x", h);
        const std::int32_t high = static_cast<std::int32_t>((h & 0x7FFu) << 21) >> 9;
        return format("bl 0x%08x  (first half)",
                      address + 4 + static_cast<std::uint32_t>(high) + (next & 0x7FFu) * 2);
      }
      if ((h & 0xF800) == 0xF800) return "bl  (second half)";
      break;
  }
  return format(".hword 0x%04x", h);
}
