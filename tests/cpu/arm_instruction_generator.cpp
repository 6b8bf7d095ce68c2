#include "arm_instruction_generator.h"

#include <vector>

#include "case_builder.h"
#include "disassembly_text.h"

namespace {

// The flags each condition reads: a condition may only follow an instruction that left those
// flags meaningful.
std::uint32_t flags_read_by(unsigned cond) {
  switch (cond) {
    case 0:
    case 1: return FLAG_Z;
    case 2:
    case 3: return FLAG_C;
    case 4:
    case 5: return FLAG_N;
    case 6:
    case 7: return FLAG_V;
    case 8:
    case 9: return FLAG_C | FLAG_Z;
    case 10:
    case 11: return FLAG_N | FLAG_V;
    case 12:
    case 13: return FLAG_N | FLAG_V | FLAG_Z;
    default: return 0;
  }
}

// The offset an immediate-shifted register gives, as the ARM barrel shifter computes it.
std::uint32_t shifted_by_immediate(std::uint32_t rm, unsigned type, unsigned amount, bool carry) {
  switch (type) {
    case 0: return amount == 0 ? rm : rm << amount;
    case 1: return amount == 0 ? 0 : rm >> amount;
    case 2:
      if (amount == 0) return (rm & 0x80000000u) != 0 ? 0xFFFFFFFFu : 0;
      return static_cast<std::uint32_t>(static_cast<std::int32_t>(rm) >> amount);
    default:
      if (amount == 0) return (carry ? 0x80000000u : 0) | (rm >> 1);
      return ror32(rm, amount);
  }
}

class Builder : public CaseBuilder<ArmCase> {
 public:
  using CaseBuilder::CaseBuilder;

  // Values for the amount register of a shift by register: the low byte decides, so every
  // range of it appears, sometimes under random upper bits.
  std::uint32_t shift_amount() {
    std::uint32_t low;
    switch (below(6)) {
      case 0: low = 0; break;
      case 1: low = 1 + below(31); break;
      case 2: low = 32; break;
      case 3: low = 33 + below(223); break;
      case 4: low = 31 + below(3); break;
      default: low = below(256); break;
    }
    return chance(25) ? (bits32() & 0xFFFFFF00u) | low : low;
  }

  unsigned condition() { return chance(45) ? COND_AL : below(15); }

  // A condition that reads none of `unusable` flags.
  unsigned condition_avoiding(std::uint32_t unusable) {
    for (;;) {
      unsigned cond = condition();
      if ((flags_read_by(cond) & unusable) == 0) return cond;
    }
  }

  void emit(std::uint32_t word, std::uint32_t reads, std::uint32_t writes) {
    c.code.push_back(word);
    touched |= (reads | writes) & GENERAL_REGISTERS;
  }

  std::uint32_t next_address() const {
    return c.code_address + 4 * static_cast<std::uint32_t>(c.code.size());
  }

  struct Bookmark : RegisterBookmark {
    std::size_t code_size, literal_count;
  };
  Bookmark bookmark() const {
    Bookmark m{};
    save_registers(m);
    m.code_size = c.code.size();
    m.literal_count = c.literals.size();
    return m;
  }
  void restore(const Bookmark& m) {
    restore_registers(m);
    c.code.resize(m.code_size);
    c.literals.resize(m.literal_count);
  }
};

// ---- Data processing -------------------------------------------------------------------------

struct DataProcessingLimits {
  bool pc_operands = true;  // PC read as a plain operand (address + 8)
  std::uint32_t destinations = GENERAL_REGISTERS;
  bool flag_readers = false;  // favour ADC/SBC/RSC/RRX and friends
};

// One random data-processing instruction; returns its destination (NO_REGISTER for a compare).
unsigned emit_data_processing(Builder& b, unsigned cond, const DataProcessingLimits& limits) {
  unsigned opcode = b.below(16);
  if (limits.flag_readers && b.chance(40)) {
    static constexpr unsigned readers[] = {5, 6, 7, 13};  // ADC, SBC, RSC, MOV (with RRX below)
    opcode = b.pick(readers);
  }
  const bool compare = opcode >= 8 && opcode <= 11;
  const bool move = opcode == 13 || opcode == 15;
  const bool s = compare || b.chance(50);

  auto operand_register = [&]() {
    if (limits.pc_operands && b.chance(6)) return PC;
    return b.any_register(0);
  };

  std::uint32_t reads = 0;
  unsigned rn = 0;
  if (!move) {
    rn = operand_register();
    reads |= bit(rn);
  }
  std::uint32_t operand2;
  unsigned form = b.below(100);
  if (form < 35) {
    unsigned rotate = b.below(16);
    std::uint32_t imm8;
    switch (b.below(4)) {
      case 0: imm8 = b.pick({0u, 1u, 0x80u, 0xFFu, 0x7Fu}); break;
      default: imm8 = b.below(256); break;
    }
    operand2 = (1u << 25) | rotate << 8 | imm8;
  } else if (form < 70) {
    unsigned rm = operand_register();
    unsigned type = b.below(4);
    unsigned amount;
    switch (b.below(5)) {
      case 0: amount = 0; break;  // LSL #0, LSR #32, ASR #32, RRX
      case 1: amount = b.pick({1u, 31u}); break;
      default: amount = b.below(32); break;
    }
    if (limits.flag_readers && b.chance(20)) {
      type = 3;
      amount = 0;
    }
    operand2 = amount << 7 | type << 5 | rm;
    reads |= bit(rm);
  } else {
    // Shifts by register read PC as address + 12 on the ARM7TDMI but + 8 on the oracle.
    if (rn == PC) {
      rn = b.any_register(0);
      reads = bit(rn);
    }
    unsigned rm = b.any_register(0);
    unsigned rs = b.chance(70) ? b.fresh_register(bit(rm) | bit(rn)) : NO_REGISTER;
    if (rs == NO_REGISTER) {
      rs = b.any_register(0);
    } else {
      b.set_initial(rs, b.shift_amount());
    }
    operand2 = rs << 8 | b.below(4) << 5 | 1u << 4 | rm;
    reads |= bit(rm) | bit(rs);
  }
  unsigned rd = compare ? 0 : b.any_register(~limits.destinations);
  if (rd == NO_REGISTER) rd = 0;
  std::uint32_t word =
      cond << 28 | opcode << 21 | (s ? 1u << 20 : 0) | rn << 16 | rd << 12 | operand2;
  b.emit(word, reads, compare ? 0 : bit(rd));
  return compare ? NO_REGISTER : rd;
}

std::uint32_t mrs(unsigned cond, unsigned rd, bool spsr) {
  return cond << 28 | 0x010F0000u | (spsr ? 1u << 22 : 0) | rd << 12;
}

// MSR with a register operand; `fields` are the four field-mask bits (c = 1, x = 2, s = 4, f = 8).
std::uint32_t msr_register(unsigned cond, bool spsr, unsigned fields, unsigned rm) {
  return cond << 28 | 0x0120F000u | (spsr ? 1u << 22 : 0) | fields << 16 | rm;
}

std::uint32_t msr_immediate(unsigned cond, bool spsr, unsigned fields, unsigned rotate,
                            std::uint32_t imm8) {
  return cond << 28 | 0x0320F000u | (spsr ? 1u << 22 : 0) | fields << 16 | rotate << 8 | imm8;
}

std::uint32_t data_processing_immediate(unsigned cond, unsigned opcode, bool s, unsigned rn,
                                        unsigned rd, std::uint32_t imm8, unsigned rotate = 0) {
  return cond << 28 | 1u << 25 | opcode << 21 | (s ? 1u << 20 : 0) | rn << 16 | rd << 12 |
         rotate << 8 | imm8;
}

std::uint32_t data_processing_register(unsigned cond, unsigned opcode, bool s, unsigned rn,
                                       unsigned rd, unsigned rm) {
  return cond << 28 | opcode << 21 | (s ? 1u << 20 : 0) | rn << 16 | rd << 12 | rm;
}

constexpr unsigned OP_ADD = 4;
constexpr unsigned OP_EOR = 1;
constexpr unsigned OP_MOV = 13;
constexpr unsigned OP_MVN = 15;

void generate_data_processing(Builder& b) {
  unsigned count = 1 + b.below(4);
  for (unsigned i = 0; i < count; ++i) {
    emit_data_processing(b, b.condition(), {});
    // The flags of one instruction are otherwise only seen through the next one, or at the end.
    if (b.chance(25)) {
      unsigned rd = b.any_register(0);
      b.emit(mrs(b.condition(), rd, false), 0, bit(rd));
    }
  }
}

// ---- Multiply --------------------------------------------------------------------------------

void generate_multiply(Builder& b) {
  unsigned count = 1 + b.below(4);
  std::uint32_t meaningless = 0;  // flags a flag-setting multiply left undefined on the ARM7TDMI
  for (unsigned i = 0; i < count; ++i) {
    unsigned kind = b.below(6);  // MUL, MLA, UMULL, UMLAL, SMULL, SMLAL
    bool s = b.chance(50);
    unsigned cond = b.condition_avoiding(meaningless);
    // Operands near the edges of the early-termination ranges of the multiplier, too.
    unsigned rs = b.fresh_register(0);
    if (rs != NO_REGISTER && b.chance(60)) {
      static constexpr std::uint32_t multipliers[] = {
          0,         1,          0xFF,       0x100,      0xFFFF,     0x10000,    0xFFFFFF,
          0x1000000, 0xFFFFFFFF, 0xFFFFFF00, 0xFFFF0000, 0xFF000000, 0x80000000, 0x7FFFFFFF};
      b.set_initial(rs, b.chance(50) ? b.pick(multipliers) : b.interesting());
    } else {
      rs = b.any_register(0);
    }
    std::uint32_t word;
    if (kind < 2) {
      unsigned rm = b.any_register(0);
      unsigned rd = b.any_register(bit(rm));  // MUL with Rd == Rm is unpredictable before ARMv6
      unsigned rn = b.any_register(0);
      word = cond << 28 | (kind == 1 ? 1u << 21 : 0) | (s ? 1u << 20 : 0) | rd << 16 |
             (kind == 1 ? rn << 12 : 0) | rs << 8 | 0x90 | rm;
      b.emit(word, bit(rm) | bit(rs) | (kind == 1 ? bit(rn) : 0), bit(rd));
      if (s) meaningless |= FLAG_C;
    } else {
      unsigned rm = b.any_register(0);
      unsigned hi = b.any_register(bit(rm));
      unsigned lo = b.any_register(bit(rm) | bit(hi));
      bool accumulate = kind == 3 || kind == 5;
      bool is_signed = kind >= 4;
      word = cond << 28 | 0x00800090u | (is_signed ? 1u << 22 : 0) | (accumulate ? 1u << 21 : 0) |
             (s ? 1u << 20 : 0) | hi << 16 | lo << 12 | rs << 8 | rm;
      b.emit(word, bit(rm) | bit(rs) | (accumulate ? bit(hi) | bit(lo) : 0), bit(hi) | bit(lo));
      if (s) meaningless |= FLAG_C | FLAG_V;
    }
  }
  if (meaningless != 0) {
    b.c.cpsr_mask &= ~meaningless;
    b.c.mask_reason = (meaningless & FLAG_V) != 0
                          ? "C and V are meaningless after a flag-setting long multiply on ARMv4"
                          : "C is meaningless after a flag-setting MUL/MLA on ARMv4";
  }
}

// ---- Memory ----------------------------------------------------------------------------------

// Choices for a memory access are drawn until they give an access inside the data windows;
// an instruction that still finds none is left out.
constexpr int MAX_ATTEMPTS = 1000;

// A starting address for a new base register, well inside one data window so that offsets of
// up to 0xFFF either way stay inside it.
std::uint32_t base_address(Builder& b, std::uint32_t alignment) {
  const DataWindow& w = DATA_WINDOWS[b.below(2)];
  std::uint32_t address = w.base + 0x1000 + b.below(w.size - 0x2000);
  return address & ~(alignment - 1);
}

// A base register for the next access: one an earlier access left with a known address, or a
// new one. Returns NO_REGISTER when every register is taken.
unsigned choose_base(Builder& b, std::uint32_t alignment, std::uint32_t exclude) {
  std::uint32_t reusable = b.bases & b.known & ~exclude;
  if (reusable != 0 && b.chance(50)) {
    for (int tries = 0; tries < 8; ++tries) {
      unsigned r = b.any_register(~reusable);
      if (r != NO_REGISTER && (b.values[r] & (alignment - 1)) == 0) return r;
    }
  }
  // r13 is the usual base of block transfers; give it a fair share.
  unsigned r = (b.touched & bit(SP)) == 0 && (exclude & bit(SP)) == 0 && b.chance(20)
                   ? SP
                   : b.fresh_register(exclude);
  if (r == NO_REGISTER) return NO_REGISTER;
  b.set_initial(r, base_address(b, alignment));
  b.bases |= bit(r);
  return r;
}

// A value for an offset register so that the shifted offset lands near `target`; the result is
// checked by the caller with the real shift.
std::uint32_t offset_register_for(Builder& b, std::int32_t target, unsigned type, unsigned amount,
                                  bool carry) {
  std::uint32_t value = static_cast<std::uint32_t>(target);
  switch (type) {
    case 0:
      if (amount == 0) return value;
      return value >> amount | (b.bits32() << (32 - amount));
    case 1:
      if (amount == 0) return b.bits32();  // LSR #32: always zero
      return value << amount | (b.bits32() & (bit(amount) - 1));
    case 2:
      if (amount == 0) return b.bits32();  // ASR #32: zero or minus one
      return value << amount | (b.bits32() & (bit(amount) - 1));
    default:
      if (amount == 0) {  // RRX: the carry becomes the sign of the offset
        value = static_cast<std::uint32_t>(carry ? -(1 + static_cast<std::int32_t>(b.below(0xFFF)))
                                                 : static_cast<std::int32_t>(b.below(0x1000)));
        return value << 1 | b.below(2);
      }
      return ror32(value, 32 - amount);
  }
}

// Literal pool entries a PC-relative load can reach: pool word `index` is `offset` bytes past
// the instruction's PC (address + 8).
std::uint32_t literal_offset(const Builder& b, std::size_t index) {
  return b.c.literal_address() + 4 * static_cast<std::uint32_t>(index) - (b.next_address() + 8);
}

// Emits a single or halfword transfer. When it runs, a loaded register no longer holds what
// the builder knew of it, and a written-back base (NO_REGISTER if none) holds `moved`.
void emit_transfer(Builder& b, std::uint32_t word, std::uint32_t reads, bool load, unsigned rd,
                   bool executes, unsigned written_back, std::uint32_t moved) {
  b.emit(word, reads | (load ? 0 : bit(rd)), load ? bit(rd) : 0);
  if (!executes) return;
  if (written_back != NO_REGISTER) b.values[written_back] = moved;
  if (load) {
    b.known &= ~bit(rd);
    b.bases &= ~bit(rd);
  }
}

void emit_single_transfer(Builder& b) {
  const std::uint32_t flags = b.c.cpsr;  // memory instructions leave the flags alone
  const Builder::Bookmark start = b.bookmark();
  for (int attempt = 0; attempt < MAX_ATTEMPTS; b.restore(start), ++attempt) {
    const bool load = b.chance(55);
    const bool byte = b.chance(35);
    const unsigned cond = b.condition();
    const bool executes = arm_condition_passes(cond, flags);

    if (load && b.chance(15)) {
      // PC-relative: the literal pool after the code, or code already emitted (U = 0).
      unsigned rd = b.any_register(b.bases);
      if (rd == NO_REGISTER) continue;
      std::uint32_t offset;
      bool up = b.chance(75) || b.c.code.empty();
      if (up) {
        b.c.literals.push_back(b.interesting());
        offset = literal_offset(b, b.c.literals.size() - 1) + (byte ? b.below(4) : 0);
      } else {
        offset = 8 + 4 * b.below(static_cast<unsigned>(b.c.code.size())) + (byte ? b.below(4) : 0);
      }
      b.emit(cond << 28 | 0x05100000u | (up ? 1u << 23 : 0) | (byte ? 1u << 22 : 0) | PC << 16 |
                 rd << 12 | offset,
             0, bit(rd));
      if (executes) b.known &= ~bit(rd);
      return;
    }

    const bool pre = b.chance(65);
    const bool up = b.chance(50);
    const bool w = pre ? b.chance(35) : b.chance(15);  // post-indexed with W: LDRT/STRT
    const bool writeback = !pre || w;
    const std::uint32_t alignment = byte ? 1 : 4;

    unsigned rn = choose_base(b, pre ? 1 : alignment, 0);
    if (rn == NO_REGISTER) continue;
    const std::uint32_t base = b.values[rn];

    bool register_offset = b.chance(50);
    std::uint32_t offset_field;
    std::uint32_t offset;
    std::uint32_t reads = bit(rn);
    unsigned rm = NO_REGISTER;
    if (register_offset) {
      unsigned type = b.below(4);
      unsigned amount = b.chance(25) ? 0 : b.below(32);
      std::int32_t target = static_cast<std::int32_t>(b.below(0x1000));
      if (b.chance(20)) target = -target;  // a "negative" offset wraps around the other way
      rm = b.fresh_register(bit(rn));
      std::uint32_t value;
      if (rm != NO_REGISTER) {
        value = offset_register_for(b, target, type, amount, (flags & FLAG_C) != 0);
        b.set_initial(rm, value);
      } else {
        rm = b.any_register(~b.known);
        if (rm == NO_REGISTER || rm == rn) continue;
        value = b.values[rm];
      }
      offset = shifted_by_immediate(value, type, amount, (flags & FLAG_C) != 0);
      offset_field = 1u << 25 | amount << 7 | type << 5 | rm;
      reads |= bit(rm);
      if (writeback && rm == rn) continue;
    } else {
      offset = b.chance(30) ? b.below(64) : b.below(0x1000);
      offset_field = offset;
    }
    const std::uint32_t moved = up ? base + offset : base - offset;
    const std::uint32_t address = pre ? moved : base;
    if ((address & (alignment - 1)) != 0) continue;
    if (!inside_a_window(address, byte ? 1 : 4)) continue;

    // Loads must not overwrite an address a later access relies on; with write-back, Rd == Rn
    // is unpredictable.
    unsigned rd = load ? b.any_register(b.bases & ~(writeback ? 0 : bit(rn))) : b.any_register(0);
    if (rd == NO_REGISTER || (writeback && rd == rn)) continue;
    // A load into its own base without write-back is defined; the base is gone afterwards.

    std::uint32_t word = cond << 28 | 0x04000000u | (pre ? 1u << 24 : 0) | (up ? 1u << 23 : 0) |
                         (byte ? 1u << 22 : 0) | (w ? 1u << 21 : 0) | (load ? 1u << 20 : 0) |
                         rn << 16 | rd << 12 | offset_field;
    emit_transfer(b, word, reads, load, rd, executes, writeback ? rn : NO_REGISTER, moved);
    return;
  }
}

void emit_halfword_transfer(Builder& b) {
  const std::uint32_t flags = b.c.cpsr;
  const Builder::Bookmark start = b.bookmark();
  for (int attempt = 0; attempt < MAX_ATTEMPTS; b.restore(start), ++attempt) {
    // STRH, LDRH, LDRSB, LDRSH (the S = 1, L = 0 encodings are LDRD/STRD on ARMv5E).
    const unsigned kind = b.below(4);
    const bool load = kind != 0;
    const unsigned sh = kind == 0 ? 1 : kind == 1 ? 1 : kind == 2 ? 2 : 3;
    const std::uint32_t size = kind == 2 ? 1 : 2;
    const unsigned cond = b.condition();
    const bool executes = arm_condition_passes(cond, flags);

    if (load && b.chance(15)) {
      unsigned rd = b.any_register(b.bases);
      if (rd == NO_REGISTER) continue;
      b.c.literals.push_back(b.interesting());
      std::uint32_t offset =
          literal_offset(b, b.c.literals.size() - 1) + (size == 1 ? b.below(4) : 2 * b.below(2));
      if (offset > 0xFF) {
        b.c.literals.pop_back();
        continue;
      }
      b.emit(cond << 28 | 0x01D00090u | PC << 16 | rd << 12 | (offset >> 4) << 8 | sh << 5 |
                 (offset & 0xF),
             0, bit(rd));
      if (executes) b.known &= ~bit(rd);
      return;
    }

    const bool pre = b.chance(65);
    const bool up = b.chance(50);
    const bool w = pre && b.chance(35);  // post-indexed with W is unpredictable here
    const bool writeback = !pre || w;
    unsigned rn = choose_base(b, pre ? 1 : size, 0);
    if (rn == NO_REGISTER) continue;
    const std::uint32_t base = b.values[rn];

    std::uint32_t offset;
    std::uint32_t low_fields;
    std::uint32_t reads = bit(rn);
    bool immediate = b.chance(50);
    if (immediate) {
      offset = b.below(256);
      low_fields = 1u << 22 | (offset >> 4) << 8 | (offset & 0xF);
    } else {
      unsigned rm = b.fresh_register(bit(rn));
      if (rm != NO_REGISTER) {
        std::uint32_t target = b.below(0x1000);
        b.set_initial(rm, b.chance(15) ? 0u - target : target);
      } else {
        rm = b.any_register(~b.known);
        if (rm == NO_REGISTER) continue;
      }
      if (writeback && rm == rn) continue;
      offset = b.values[rm];
      low_fields = rm;
      reads |= bit(rm);
    }
    const std::uint32_t moved = up ? base + offset : base - offset;
    const std::uint32_t address = pre ? moved : base;
    if ((address & (size - 1)) != 0) continue;
    if (!inside_a_window(address, size)) continue;

    unsigned rd = load ? b.any_register(b.bases & ~(writeback ? 0 : bit(rn))) : b.any_register(0);
    if (rd == NO_REGISTER || (writeback && rd == rn)) continue;

    std::uint32_t word = cond << 28 | 0x90u | (pre ? 1u << 24 : 0) | (up ? 1u << 23 : 0) |
                         (w ? 1u << 21 : 0) | (load ? 1u << 20 : 0) | rn << 16 | rd << 12 |
                         sh << 5 | low_fields;
    emit_transfer(b, word, reads, load, rd, executes, writeback ? rn : NO_REGISTER, moved);
    return;
  }
}

void emit_block_transfer(Builder& b) {
  const std::uint32_t flags = b.c.cpsr;
  const Builder::Bookmark start = b.bookmark();
  for (int attempt = 0; attempt < MAX_ATTEMPTS; b.restore(start), ++attempt) {
    const bool load = b.chance(50);
    const bool pre = b.chance(50);
    const bool up = b.chance(50);
    const bool w = b.chance(50);
    const unsigned cond = b.condition();
    const bool executes = arm_condition_passes(cond, flags);

    unsigned rn = choose_base(b, 4, 0);
    if (rn == NO_REGISTER) continue;
    const std::uint32_t base = b.values[rn];

    std::uint32_t list;
    switch (b.below(4)) {
      case 0: list = bit(b.below(15)); break;
      case 1: list = bit(b.below(15)) | bit(b.below(15)); break;
      case 2: list = b.bits32() & GENERAL_REGISTERS; break;
      default: list = b.bits32() & b.bits32() & GENERAL_REGISTERS; break;
    }
    if (load) {
      // Other bases must survive; the own base only without write-back.
      list &= ~(b.bases & ~bit(rn));
      if (w) list &= ~bit(rn);
    } else if (w && (list & bit(rn)) != 0 && (list & (bit(rn) - 1)) != 0) {
      // STM with write-back stores the base unchanged only when it is the lowest register.
      list &= ~bit(rn);
    }
    if (list == 0) continue;

    const std::uint32_t bytes = 4 * static_cast<std::uint32_t>(__builtin_popcount(list));
    const std::uint32_t lowest = up ? base + (pre ? 4 : 0) : base - bytes + (pre ? 0 : 4);
    if (!inside_a_window(lowest, bytes)) continue;

    std::uint32_t word = cond << 28 | 0x08000000u | (pre ? 1u << 24 : 0) | (up ? 1u << 23 : 0) |
                         (w ? 1u << 21 : 0) | (load ? 1u << 20 : 0) | rn << 16 | list;
    b.emit(word, bit(rn) | (load ? 0 : list), load ? list : 0);
    if (executes) {
      if (w) b.values[rn] = up ? base + bytes : base - bytes;
      if (load) {
        b.known &= ~list;
        b.bases &= ~list;
      }
    }
    return;
  }
}

void emit_swap(Builder& b) {
  const std::uint32_t flags = b.c.cpsr;
  const Builder::Bookmark start = b.bookmark();
  for (int attempt = 0; attempt < MAX_ATTEMPTS; b.restore(start), ++attempt) {
    const bool byte = b.chance(40);
    const unsigned cond = b.condition();
    const bool executes = arm_condition_passes(cond, flags);
    unsigned rn = choose_base(b, byte ? 1 : 4, 0);
    if (rn == NO_REGISTER) continue;
    unsigned rm = b.any_register(bit(rn));
    unsigned rd = b.any_register(bit(rn) | b.bases);
    if (rm == NO_REGISTER || rd == NO_REGISTER) continue;
    if (!inside_a_window(b.values[rn], byte ? 1 : 4)) continue;
    b.emit(cond << 28 | 0x01000090u | (byte ? 1u << 22 : 0) | rn << 16 | rd << 12 | rm,
           bit(rn) | bit(rm), bit(rd));
    if (executes) b.known &= ~bit(rd);
    return;
  }
}

void generate_memory(Builder& b, void (*emit_one)(Builder&)) {
  unsigned count = 1 + b.below(4);
  for (unsigned i = 0; i < count; ++i) emit_one(b);
}

// ---- PSR transfers ---------------------------------------------------------------------------

// Bits an MSR may write given its field mask: Q and J (27-24) exist on the oracle only, and
// the status and extension fields hold nothing on the ARM7TDMI.
std::uint32_t msr_forbidden_bits(unsigned fields) {
  std::uint32_t forbidden = 0;
  if ((fields & 8) != 0) forbidden |= 0x0F000000;
  if ((fields & 4) != 0) forbidden |= 0x00FF0000;
  if ((fields & 2) != 0) forbidden |= 0x0000FF00;
  return forbidden;
}

void generate_psr_flags(Builder& b) {
  unsigned count = 2 + b.below(5);
  std::uint32_t psr_images = 0;  // registers holding an unchanged MRS result
  for (unsigned i = 0; i < count; ++i) {
    unsigned choice = b.below(100);
    unsigned cond = b.condition();
    if (choice < 25) {
      unsigned fields = 8 | (b.chance(25) ? 4 : 0) | (b.chance(25) ? 2 : 0);
      for (;;) {
        unsigned rotate = b.below(16);
        std::uint32_t imm8 = b.below(256);
        if ((ror32(imm8, 2 * rotate) & msr_forbidden_bits(fields)) != 0) continue;
        b.emit(msr_immediate(cond, false, fields, rotate, imm8), 0, 0);
        break;
      }
    } else if (choice < 50) {
      unsigned fields = 8 | (b.chance(25) ? 4 : 0) | (b.chance(25) ? 2 : 0);
      unsigned rm = b.chance(40) ? b.any_register(~psr_images) : NO_REGISTER;
      if (rm == NO_REGISTER) {
        rm = b.fresh_register(0);
        if (rm == NO_REGISTER) continue;
        b.set_initial(rm, b.bits32() & ~msr_forbidden_bits(fields));
      }
      b.emit(msr_register(cond, false, fields, rm), bit(rm), 0);
    } else if (choice < 70) {
      unsigned rd = b.any_register(0);
      b.emit(mrs(cond, rd, false), 0, bit(rd));
      // A conditional MRS may leave the register as it was.
      if (cond == COND_AL) {
        psr_images |= bit(rd);
      } else {
        psr_images &= ~bit(rd);
      }
    } else {
      DataProcessingLimits limits;
      limits.flag_readers = true;
      unsigned rd = emit_data_processing(b, cond, limits);
      if (rd != NO_REGISTER) psr_images &= ~bit(rd);
    }
  }
  unsigned rd = b.any_register(0);
  b.emit(mrs(COND_AL, rd, false), 0, bit(rd));
}

bool has_spsr(std::uint32_t mode) { return mode != MODE_SYSTEM; }

// Registers of `mode` that are not those of `home`, which the case starts with.
std::uint32_t banked_registers(std::uint32_t mode) {
  if (mode == MODE_FIQ) return 0x7F00;  // r8-r14
  return bit(SP) | bit(LR);  // System's own are those of User mode, unseen from IRQ or SVC
}

// A defined PSR value for `mode`: flags, I and F, ARM state, nothing in the reserved bits.
std::uint32_t psr_value(Builder& b, std::uint32_t mode) {
  return (b.bits32() & 0xF0000000u) | (b.below(4) << 6) | mode;
}

// Switches to `mode` by MSR on the control field (immediate, or a register also carrying new
// flags).
void switch_mode(Builder& b, std::uint32_t mode) {
  if (b.chance(70)) {
    b.emit(msr_immediate(COND_AL, false, 1, 0, b.below(4) << 6 | mode), 0, 0);
    return;
  }
  unsigned rm = b.any_register(0xFF00);  // r0-r7 are the same in every mode
  b.emit(data_processing_immediate(COND_AL, OP_MOV, false, 0, rm, (b.below(4) << 6 | mode)), 0,
         bit(rm));
  if (b.chance(50)) {
    // Flags too: ORR in a nibble at the top (rotate right by 8 puts imm8 bits 7-4 at 31-28).
    b.emit(data_processing_immediate(COND_AL, 12, false, rm, rm, b.below(16) << 4, 4), bit(rm),
           bit(rm));
    b.emit(msr_register(COND_AL, false, 9, rm), bit(rm), 0);
  } else {
    b.emit(msr_register(COND_AL, false, 1, rm), bit(rm), 0);
  }
}

// Writes one register with a value derived from r0-r7 or an immediate.
void write_register(Builder& b, unsigned rd) {
  unsigned source = b.below(8);
  switch (b.below(4)) {
    case 0:
      b.emit(data_processing_register(COND_AL, OP_MOV, false, 0, rd, source), bit(source), bit(rd));
      break;
    case 1:
      b.emit(
          data_processing_immediate(COND_AL, OP_ADD, false, source, rd, b.below(256), b.below(16)),
          bit(source), bit(rd));
      break;
    case 2:
      b.emit(data_processing_immediate(COND_AL, OP_MVN, false, 0, rd, b.below(256), b.below(16)), 0,
             bit(rd));
      break;
    default:
      b.emit(data_processing_register(COND_AL, OP_EOR, false, source, rd, (source + 1) & 7),
             bit(source) | bit((source + 1) & 7), bit(rd));
      break;
  }
}

void write_spsr(Builder& b, std::uint32_t spsr_mode) {
  unsigned rm = b.below(8);
  // Build a full, defined SPSR in a low register: MOV the control byte, ORR the flags.
  std::uint32_t value = psr_value(b, spsr_mode);
  b.emit(data_processing_immediate(COND_AL, OP_MOV, false, 0, rm, value & 0xFF), 0, bit(rm));
  b.emit(data_processing_immediate(COND_AL, 12, false, rm, rm, value >> 28 << 4, 4), bit(rm),
         bit(rm));
  b.emit(msr_register(COND_AL, true, 0xF, rm), bit(rm), 0);
  if (b.chance(30)) {
    // And then only its flags again.
    b.emit(msr_immediate(COND_AL, true, 8, 4, b.below(16) << 4), 0, 0);
  }
}

void generate_psr_modes(Builder& b) {
  // Start in System, or sometimes in IRQ or Supervisor mode, as the BIOS and handlers do.
  std::uint32_t home = MODE_SYSTEM;
  if (b.chance(25)) home = b.chance(50) ? MODE_IRQ : MODE_SVC;
  b.c.cpsr = (b.c.cpsr & ~0x1Fu) | home;
  // No FIQ: the console has no FIQ source, and this machine does not keep FIQ's own r8-r12
  // (FIQ starts with the interrupted mode's registers), where the architecture banks them.
  static constexpr std::uint32_t others[] = {MODE_IRQ, MODE_SVC, MODE_ABT, MODE_UND, MODE_SYSTEM};
  std::uint32_t other;
  do {
    other = b.pick(others);
  } while (other == home);
  static constexpr std::uint32_t spsr_modes[] = {MODE_SYSTEM, 0x10, MODE_IRQ, MODE_SVC};

  // Into the other mode: give every register of its own (and its SPSR) a value before anything
  // can read them, because their starting values differ between the two sides.
  switch_mode(b, other);
  std::uint32_t own = banked_registers(other);
  for (unsigned r = 8; r < 15; ++r) {
    if ((own & bit(r)) != 0) write_register(b, r);
  }
  if (has_spsr(other)) write_spsr(b, b.pick(spsr_modes));
  if (b.chance(40)) {
    unsigned rd = b.below(8);
    b.emit(data_processing_register(COND_AL, OP_ADD, false, SP, rd, LR), bit(SP) | bit(LR),
           bit(rd));
  }
  if (b.chance(40)) b.emit(mrs(COND_AL, b.below(8), false), 0, 0);

  // Back home, where the home bank must have survived, and change it.
  switch_mode(b, home);
  unsigned changes = 0;
  for (unsigned r = 8; r < 15 && changes < 3; ++r) {
    if ((own & bit(r)) != 0 && b.chance(50)) {
      write_register(b, r);
      ++changes;
    }
  }
  if (has_spsr(home) && b.chance(30)) write_spsr(b, b.pick(spsr_modes));

  // Into the other mode again: its bank must still be what was written there.
  switch_mode(b, other);
  unsigned next = 0;
  if (has_spsr(other)) b.emit(mrs(COND_AL, next++, true), 0, 0);
  for (unsigned r = 8; r < 15 && next < 8; ++r) {
    if ((own & bit(r)) != 0) {
      b.emit(data_processing_register(COND_AL, OP_MOV, false, 0, next, r), bit(r), bit(next));
      ++next;
    }
  }
  if (b.chance(50)) switch_mode(b, home);
}

// ---- Conditional execution and branches ------------------------------------------------------

void generate_conditional(Builder& b) {
  // Slots first, so that forward branches know where the code ends.
  enum Kind { DATA, BRANCH, BRANCH_LINK, EXCHANGE_SETUP, EXCHANGE, FLAGS };
  unsigned count = 2 + b.below(7);
  std::vector<Kind> kinds;
  while (kinds.size() < count) {
    unsigned choice = b.below(100);
    if (choice < 55) {
      kinds.push_back(DATA);
    } else if (choice < 72) {
      kinds.push_back(BRANCH);
    } else if (choice < 82) {
      kinds.push_back(BRANCH_LINK);
    } else if (choice < 90) {
      kinds.push_back(EXCHANGE_SETUP);
      kinds.push_back(EXCHANGE);
    } else {
      kinds.push_back(FLAGS);
    }
  }
  const std::uint32_t start = b.c.code_address;
  const std::uint32_t end = start + 4 * static_cast<std::uint32_t>(kinds.size());
  unsigned exchange_register = 0;
  std::uint32_t exchange_target = 0;
  for (std::size_t i = 0; i < kinds.size(); ++i) {
    const std::uint32_t here = start + 4 * static_cast<std::uint32_t>(i);
    // Somewhere after this instruction, up to and including the stop address, but never a BX
    // whose target-setting ADD would be skipped.
    auto forward_target = [&](std::uint32_t after) {
      std::uint32_t choices = (end - after) / 4;
      for (;;) {
        std::uint32_t target = after + 4 * (1 + b.below(choices));
        std::size_t slot = (target - start) / 4;
        if (slot >= kinds.size() || kinds[slot] != EXCHANGE) return target;
      }
    };
    switch (kinds[i]) {
      case DATA: {
        DataProcessingLimits limits;
        limits.flag_readers = b.chance(30);
        emit_data_processing(b, b.condition(), limits);
        break;
      }
      case BRANCH:
      case BRANCH_LINK: {
        std::uint32_t target = forward_target(here);
        std::uint32_t offset = ((target - here - 8) >> 2) & 0xFFFFFF;
        bool link = kinds[i] == BRANCH_LINK;
        b.emit(b.below(15) << 28 | 0x0A000000u | (link ? 1u << 24 : 0) | offset, 0,
               link ? bit(LR) : 0);
        break;
      }
      case EXCHANGE_SETUP: {
        // ADD Rx, PC, #k makes an ARM-state target for the BX that follows.
        exchange_register = b.any_register(0);
        exchange_target = forward_target(here + 4);
        b.emit(data_processing_immediate(COND_AL, OP_ADD, false, PC, exchange_register,
                                         exchange_target - (here + 8)),
               0, bit(exchange_register));
        break;
      }
      case EXCHANGE:
        b.emit(b.below(15) << 28 | 0x012FFF10u | exchange_register, bit(exchange_register), 0);
        break;
      case FLAGS: {
        if (b.chance(50)) {
          unsigned rd = b.any_register(0);
          b.emit(mrs(b.condition(), rd, false), 0, bit(rd));
        } else {
          b.emit(msr_immediate(b.condition(), false, 8, 4, b.below(16) << 4), 0, 0);
        }
        break;
      }
    }
  }
}

}  // namespace

const char* arm_case_class_name(ArmCaseClass case_class) {
  switch (case_class) {
    case ArmCaseClass::DATA_PROCESSING: return "data processing";
    case ArmCaseClass::MULTIPLY: return "multiply";
    case ArmCaseClass::SINGLE_TRANSFER: return "single transfer";
    case ArmCaseClass::HALFWORD_TRANSFER: return "halfword transfer";
    case ArmCaseClass::BLOCK_TRANSFER: return "block transfer";
    case ArmCaseClass::SWAP: return "swap";
    case ArmCaseClass::PSR_FLAGS: return "PSR flags";
    case ArmCaseClass::PSR_MODES: return "PSR modes";
    case ArmCaseClass::CONDITIONAL: return "conditional";
  }
  return "?";
}

bool arm_condition_passes(unsigned cond, std::uint32_t cpsr) {
  const bool n = (cpsr & FLAG_N) != 0;
  const bool z = (cpsr & FLAG_Z) != 0;
  const bool c = (cpsr & FLAG_C) != 0;
  const bool v = (cpsr & FLAG_V) != 0;
  switch (cond & 15) {
    case 0: return z;
    case 1: return !z;
    case 2: return c;
    case 3: return !c;
    case 4: return n;
    case 5: return !n;
    case 6: return v;
    case 7: return !v;
    case 8: return c && !z;
    case 9: return !c || z;
    case 10: return n == v;
    case 11: return n != v;
    case 12: return !z && n == v;
    case 13: return z || n != v;
    case 14: return true;
    default: return false;
  }
}

ArmCase generate_arm_case(ArmCaseClass case_class, std::uint64_t seed, std::uint64_t index) {
  Builder b(case_stream_seed(seed, 0, static_cast<unsigned>(case_class), index));
  ArmCase& c = b.c;
  switch (b.below(10)) {
    case 0: c.code_address = IWRAM_CODE_ADDRESS; break;
    case 1: c.code_address = EWRAM_CODE_ADDRESS; break;
    default: c.code_address = ROM_CODE_ADDRESS + 0x100 * b.below(64); break;
  }
  for (unsigned r = 0; r < 15; ++r) c.r[r] = b.interesting();
  c.r[15] = c.code_address;
  c.cpsr = (b.bits32() & 0xF0000000u) | b.below(4) << 6 | MODE_SYSTEM;
  fill_data_windows(c.window_bytes, seed, index, 0);

  switch (case_class) {
    case ArmCaseClass::DATA_PROCESSING: generate_data_processing(b); break;
    case ArmCaseClass::MULTIPLY: generate_multiply(b); break;
    case ArmCaseClass::SINGLE_TRANSFER: generate_memory(b, emit_single_transfer); break;
    case ArmCaseClass::HALFWORD_TRANSFER: generate_memory(b, emit_halfword_transfer); break;
    case ArmCaseClass::BLOCK_TRANSFER: generate_memory(b, emit_block_transfer); break;
    case ArmCaseClass::SWAP: generate_memory(b, emit_swap); break;
    case ArmCaseClass::PSR_FLAGS: generate_psr_flags(b); break;
    case ArmCaseClass::PSR_MODES: generate_psr_modes(b); break;
    case ArmCaseClass::CONDITIONAL: generate_conditional(b); break;
  }
  return c;
}

// ---- Disassembly -----------------------------------------------------------------------------

namespace {

const char* const condition_names[16] = {"eq", "ne", "cs", "cc", "mi", "pl", "vs", "vc",
                                         "hi", "ls", "ge", "lt", "gt", "le", "",   "nv"};
const char* const shift_names[4] = {"lsl", "lsr", "asr", "ror"};
const char* const data_names[16] = {"and", "eor", "sub", "rsb", "add", "adc", "sbc", "rsc",
                                    "tst", "teq", "cmp", "cmn", "orr", "mov", "bic", "mvn"};

std::string shifted_register(std::uint32_t insn) {
  const char* rm = register_names[insn & 15];
  unsigned type = (insn >> 5) & 3;
  if ((insn & 0x10) != 0) {
    return format("%s, %s %s", rm, shift_names[type], register_names[(insn >> 8) & 15]);
  }
  unsigned amount = (insn >> 7) & 31;
  if (amount == 0) {
    if (type == 0) return rm;
    if (type == 3) return format("%s, rrx", rm);
    amount = 32;
  }
  return format("%s, %s #%u", rm, shift_names[type], amount);
}

std::string register_list(std::uint32_t list) {
  std::string out = "{";
  for (unsigned r = 0; r < 16; ++r) {
    if ((list & bit(r)) == 0) continue;
    if (out.size() > 1) out += ", ";
    out += register_names[r];
  }
  return out + "}";
}

std::string psr_fields(std::uint32_t insn) {
  std::string out = (insn & (1u << 22)) != 0 ? "spsr_" : "cpsr_";
  if ((insn & (1u << 19)) != 0) out += 'f';
  if ((insn & (1u << 18)) != 0) out += 's';
  if ((insn & (1u << 17)) != 0) out += 'x';
  if ((insn & (1u << 16)) != 0) out += 'c';
  return out;
}

}  // namespace

std::string disassemble_arm(std::uint32_t insn, std::uint32_t address) {
  const char* cond = condition_names[insn >> 28];
  const char* rd = register_names[(insn >> 12) & 15];
  const char* rn = register_names[(insn >> 16) & 15];
  const bool p = (insn & (1u << 24)) != 0;
  const bool u = (insn & (1u << 23)) != 0;
  const bool w = (insn & (1u << 21)) != 0;
  const bool l = (insn & (1u << 20)) != 0;

  if ((insn & 0x0FFFFFF0u) == 0x012FFF10u) {
    return format("bx%s %s", cond, register_names[insn & 15]);
  }
  if ((insn & 0x0E000000u) == 0x0A000000u) {
    std::uint32_t offset = (insn & 0xFFFFFF) << 2;
    if ((offset & 0x02000000) != 0) offset |= 0xFC000000;
    return format("b%s%s 0x%08x", (insn & (1u << 24)) != 0 ? "l" : "", cond, address + 8 + offset);
  }
  if ((insn & 0x0F000000u) == 0x0F000000u) return format("swi%s 0x%06x", cond, insn & 0xFFFFFF);
  if ((insn & 0x0FC000F0u) == 0x00000090u) {
    const char* rs = register_names[(insn >> 8) & 15];
    const char* rm = register_names[insn & 15];
    const char* s = (insn & (1u << 20)) != 0 ? "s" : "";
    if ((insn & (1u << 21)) != 0) return format("mla%s%s %s, %s, %s, %s", cond, s, rn, rm, rs, rd);
    return format("mul%s%s %s, %s, %s", cond, s, rn, rm, rs);
  }
  if ((insn & 0x0F8000F0u) == 0x00800090u) {
    static const char* const names[4] = {"umull", "umlal", "smull", "smlal"};
    return format("%s%s%s %s, %s, %s, %s", names[(insn >> 21) & 3], cond,
                  (insn & (1u << 20)) != 0 ? "s" : "", rd, rn, register_names[insn & 15],
                  register_names[(insn >> 8) & 15]);
  }
  if ((insn & 0x0FB00FF0u) == 0x01000090u) {
    return format("swp%s%s %s, %s, [%s]", cond, (insn & (1u << 22)) != 0 ? "b" : "", rd,
                  register_names[insn & 15], rn);
  }
  if ((insn & 0x0E000090u) == 0x00000090u && (insn & 0x60) != 0) {
    static const char* const names[4] = {"", "h", "sb", "sh"};
    std::string offset;
    const char* sign = u ? "" : "-";
    if ((insn & (1u << 22)) != 0) {
      offset = format("#%s%u", sign, (insn >> 4 & 0xF0) | (insn & 0xF));
    } else {
      offset = format("%s%s", sign, register_names[insn & 15]);
    }
    std::string where = p ? format("[%s, %s]%s", rn, offset.c_str(), w ? "!" : "")
                          : format("[%s], %s", rn, offset.c_str());
    return format("%s%s%s %s, %s", l ? "ldr" : "str", cond, names[(insn >> 5) & 3], rd,
                  where.c_str());
  }
  if ((insn & 0x0FBF0FFFu) == 0x010F0000u) {
    return format("mrs%s %s, %s", cond, rd, (insn & (1u << 22)) != 0 ? "spsr" : "cpsr");
  }
  if ((insn & 0x0DB0F000u) == 0x0120F000u) {
    std::string fields = psr_fields(insn);
    if ((insn & (1u << 25)) != 0) {
      return format("msr%s %s, #0x%08x", cond, fields.c_str(),
                    ror32(insn & 0xFF, 2 * ((insn >> 8) & 15)));
    }
    return format("msr%s %s, %s", cond, fields.c_str(), register_names[insn & 15]);
  }
  if ((insn & 0x0C000000u) == 0x00000000u) {
    unsigned opcode = (insn >> 21) & 15;
    const bool s = (insn & (1u << 20)) != 0;
    std::string operand2;
    if ((insn & (1u << 25)) != 0) {
      unsigned rotate = 2 * ((insn >> 8) & 15);
      std::uint32_t value = ror32(insn & 0xFF, rotate);
      operand2 = rotate != 0 && (insn & 0xFF) <= 0x0F
                     ? format("#%u, %u  ; 0x%x", insn & 0xFF, rotate, value)
                     : format("#0x%x", value);
    } else {
      operand2 = shifted_register(insn);
    }
    if (opcode >= 8 && opcode <= 11) {
      return format("%s%s %s, %s", data_names[opcode], cond, rn, operand2.c_str());
    }
    if (opcode == 13 || opcode == 15)
      return format("%s%s%s %s, %s", data_names[opcode], cond, s ? "s" : "", rd, operand2.c_str());
    return format("%s%s%s %s, %s, %s", data_names[opcode], cond, s ? "s" : "", rd, rn,
                  operand2.c_str());
  }
  if ((insn & 0x0C000000u) == 0x04000000u && (insn & 0x02000010u) != 0x02000010u) {
    const char* sign = u ? "" : "-";
    std::string offset = (insn & (1u << 25)) != 0
                             ? format("%s%s", sign, shifted_register(insn).c_str())
                             : format("#%s%u", sign, insn & 0xFFF);
    std::string where = p ? format("[%s, %s]%s", rn, offset.c_str(), w ? "!" : "")
                          : format("[%s], %s", rn, offset.c_str());
    return format("%s%s%s%s %s, %s", l ? "ldr" : "str", cond, (insn & (1u << 22)) != 0 ? "b" : "",
                  !p && w ? "t" : "", rd, where.c_str());
  }
  if ((insn & 0x0E000000u) == 0x08000000u) {
    static const char* const modes[4] = {"da", "ia", "db", "ib"};
    return format("%s%s%s %s%s, %s%s", l ? "ldm" : "stm", cond, modes[(insn >> 23) & 3], rn,
                  w ? "!" : "", register_list(insn & 0xFFFF).c_str(),
                  (insn & (1u << 22)) != 0 ? "^" : "");
  }
  return format(".word 0x%08x", insn);
}
