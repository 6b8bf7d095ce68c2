#include "cpu/host_arm32/arm_encoder.h"

#include <bit>

namespace arm32 {

namespace {

constexpr std::uint32_t IMMEDIATE_OPERAND = 1u << 25;
constexpr std::uint32_t BRANCH_REACH = 32u << 20;  // 24 bits of words either way

std::uint32_t data_processing(Condition c, DataOp op, bool s, unsigned rd, unsigned rn) {
  // Compares always set the flags; without S their encodings are other instructions.
  bool sets = s || (op >= TST && op <= CMN);
  return (c << 28) | (op << 21) | (sets ? 1u << 20 : 0) | (rn << 16) | (rd << 12);
}

// Bits 23 and 24 of a transfer: up and pre-indexed; with W for write-back.
std::uint32_t indexing(bool pre, bool up, bool writeback) {
  return (pre ? 1u << 24 : 0) | (up ? 1u << 23 : 0) | (writeback ? 1u << 21 : 0);
}

// Words from the site's PC (the site + 8) to the target, when it fits the 24-bit field.
bool branch_field(const std::uint32_t* site, const void* target, std::uint32_t* field) {
  auto from = reinterpret_cast<std::intptr_t>(site) + 8;
  auto to = reinterpret_cast<std::intptr_t>(target);
  std::intptr_t distance = to - from;
  if ((distance & 3) != 0) return false;
  if (distance < -static_cast<std::intptr_t>(BRANCH_REACH) ||
      distance >= static_cast<std::intptr_t>(BRANCH_REACH)) {
    return false;
  }
  *field = static_cast<std::uint32_t>(distance >> 2) & 0x00FFFFFF;
  return true;
}

}  // namespace

std::int32_t encode_immediate(std::uint32_t value) {
  for (unsigned rotate = 0; rotate < 16; ++rotate) {
    std::uint32_t eight_bits = std::rotl(value, static_cast<int>(2 * rotate));
    if (eight_bits <= 0xFF) return static_cast<std::int32_t>((rotate << 8) | eight_bits);
  }
  return -1;
}

unsigned split_immediate(std::uint32_t value, std::uint32_t pieces[4]) {
  unsigned count = 0;
  unsigned bit = 0;
  while (value != 0) {
    // Pieces start at an even bit so that each is an 8-bit field at an even rotation; a piece
    // that wraps past bit 31 is one too (rotation brings it round).
    while (((value >> bit) & 3) == 0) bit += 2;
    std::uint32_t piece =
        std::rotl(std::rotr(value, static_cast<int>(bit)) & 0xFF, static_cast<int>(bit));
    pieces[count++] = piece;
    value &= ~piece;
    bit += 8;
    if (bit >= 32) bit -= 32;
  }
  return count;
}

std::uint32_t dp_immediate(Condition c, DataOp op, bool s, unsigned rd, unsigned rn,
                           std::uint32_t value) {
  return data_processing(c, op, s, rd, rn) | IMMEDIATE_OPERAND |
         static_cast<std::uint32_t>(encode_immediate(value));
}

std::uint32_t dp_register(Condition c, DataOp op, bool s, unsigned rd, unsigned rn, unsigned rm,
                          ShiftKind shift, unsigned amount) {
  return data_processing(c, op, s, rd, rn) | ((amount & 31) << 7) | (shift << 5) | rm;
}

std::uint32_t dp_register_shift(Condition c, DataOp op, bool s, unsigned rd, unsigned rn,
                                unsigned rm, ShiftKind shift, unsigned rs) {
  return data_processing(c, op, s, rd, rn) | (rs << 8) | (shift << 5) | (1u << 4) | rm;
}

unsigned load_constant(Condition c, unsigned rd, std::uint32_t value, std::uint32_t words[4]) {
  if (encode_immediate(value) >= 0) {
    words[0] = dp_immediate(c, MOV, false, rd, 0, value);
    return 1;
  }
  if (encode_immediate(~value) >= 0) {
    words[0] = dp_immediate(c, MVN, false, rd, 0, ~value);
    return 1;
  }
  std::uint32_t pieces[4];
  unsigned count = split_immediate(value, pieces);
  words[0] = dp_immediate(c, MOV, false, rd, 0, pieces[0]);
  for (unsigned i = 1; i < count; ++i) words[i] = dp_immediate(c, ORR, false, rd, rd, pieces[i]);
  return count;
}

std::uint32_t load_store(Condition c, bool load, Width width, unsigned rd, unsigned rn,
                         std::int32_t offset, bool pre, bool writeback) {
  bool up = offset >= 0;
  auto magnitude = static_cast<std::uint32_t>(up ? offset : -offset);
  std::uint32_t common =
      (c << 28) | indexing(pre, up, writeback) | (load ? 1u << 20 : 0) | (rn << 16) | (rd << 12);
  if (width == Width::WORD || width == Width::BYTE) {
    return common | (1u << 26) | (width == Width::BYTE ? 1u << 22 : 0) | (magnitude & 0xFFF);
  }
  std::uint32_t kind = width == Width::HALF ? 1 : width == Width::SIGNED_BYTE ? 2 : 3;
  return common | (1u << 22) | ((magnitude & 0xF0) << 4) | (1u << 7) | (kind << 5) | (1u << 4) |
         (magnitude & 0xF);
}

std::uint32_t load_store_register(Condition c, bool load, bool byte, unsigned rd, unsigned rn,
                                  unsigned rm, bool up, ShiftKind shift, unsigned amount) {
  return (c << 28) | (3u << 25) | indexing(true, up, false) | (byte ? 1u << 22 : 0) |
         (load ? 1u << 20 : 0) | (rn << 16) | (rd << 12) | ((amount & 31) << 7) | (shift << 5) | rm;
}

std::uint32_t block_transfer(Condition c, bool load, unsigned rn, std::uint16_t list, bool pre,
                             bool up, bool writeback) {
  return (c << 28) | (4u << 25) | indexing(pre, up, writeback) | (load ? 1u << 20 : 0) |
         (rn << 16) | list;
}

bool branch(Condition c, bool link, const std::uint32_t* site, const void* target,
            std::uint32_t* word) {
  std::uint32_t field;
  if (!branch_field(site, target, &field)) return false;
  *word = (c << 28) | (5u << 25) | (link ? 1u << 24 : 0) | field;
  return true;
}

bool patch_branch(std::uint32_t* site, const void* target) {
  std::uint32_t field;
  if (!branch_field(site, target, &field)) return false;
  *site = (*site & 0xFF000000) | field;
  return true;
}

std::uint32_t branch_exchange(Condition c, unsigned rm) { return (c << 28) | 0x012FFF10 | rm; }

}  // namespace arm32
