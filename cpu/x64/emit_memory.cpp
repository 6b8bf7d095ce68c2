// ARM loads and stores. The address goes to eax and the value to edx for the runtime's stubs;
// the written-back base waits in r9, which the stubs preserve. Base write-back happens before a
// store, because a store that lands on translated code or an I/O register with side effects
// continues at the next instruction without coming back here.

#include <bit>

#include "cpu/arm_decode.h"
#include "cpu/runtime.h"
#include "cpu/x64/block_code.h"
#include "cpu/x64/emit_arm.h"

using namespace Xbyak::util;

namespace x64 {

namespace {

struct Transfer {
  unsigned rn;
  unsigned rd;
  bool pre;
  bool up;
  bool writeback;  // the base changes (post-indexing always writes back)
  bool load;
};

Transfer decode_transfer(std::uint32_t opcode) {
  bool pre = arm_bit(opcode, 24);
  return {arm_bits(opcode, 16, 4), arm_bits(opcode, 12, 4),     pre,
          arm_bit(opcode, 23),     !pre || arm_bit(opcode, 21), arm_bit(opcode, 20)};
}

// ecx = base; edx = the offset, already shifted. Shifts other than the scales lea knows clobber
// the host flags, so the flags are parked in esi around them.
void emit_register_offset(std::uint32_t opcode, std::uint32_t pc_value) {
  load_guest(edx, arm_bits(opcode, 0, 4), pc_value);
  unsigned type = arm_bits(opcode, 5, 2);
  unsigned amount = arm_bits(opcode, 7, 5);
  if (type == 0 && amount == 0) return;
  save_flags();  // RRX reads C from here, so the flags are saved whatever their liveness
  code().mov(esi, eax);
  switch (type) {
    case 0: code().shl(edx, static_cast<std::uint8_t>(amount)); break;
    case 1:
      if (amount == 0) {
        code().xor_(edx, edx);
      } else {
        code().shr(edx, static_cast<std::uint8_t>(amount));
      }
      break;
    case 2: code().sar(edx, static_cast<std::uint8_t>(amount == 0 ? 31 : amount)); break;
    default:
      if (amount == 0) {  // RRX: the old C (NOT host CF) comes in at the top
        code().mov(ecx, esi);
        code().shr(ecx, 8);
        code().not_(ecx);
        code().shl(ecx, 31);
        code().shr(edx, 1);
        code().or_(edx, ecx);
      } else {
        code().ror(edx, static_cast<std::uint8_t>(amount));
      }
      break;
  }
  code().mov(eax, esi);
  restore_flags();
}

// eax = the address to access; r9d = the written-back base. A subtracted register offset is
// negated with not and lea's + 1, which touch no flags.
void emit_address(const Transfer& t, std::uint32_t opcode, std::uint32_t pc_value,
                  bool immediate_offset, std::uint32_t immediate) {
  if (immediate_offset) {
    auto offset = static_cast<std::int32_t>(t.up ? immediate : 0u - immediate);
    load_guest(ecx, t.rn, pc_value);
    code().lea(r9d, code().ptr[rcx + offset]);
  } else {
    emit_register_offset(opcode, pc_value);
    load_guest(ecx, t.rn, pc_value);
    if (t.up) {
      code().lea(r9d, code().ptr[rcx + rdx]);
    } else {
      code().not_(edx);
      code().lea(r9d, code().ptr[rcx + rdx + 1]);
    }
  }
  code().mov(eax, t.pre ? r9d : ecx);
}

void emit_load(const ArmInstruction& in, const Transfer& t, void (*stub)()) {
  call_runtime(stub, in.pc);
  if (t.writeback && t.rn != 15) store_guest(t.rn, r9d);
  in.plan.pending_cycles += 2;
  if (t.rd == 15) {
    emit_arm_jump_to_eax(in, false);
  } else {
    store_guest(t.rd, eax);
  }
}

void emit_store(const ArmInstruction& in, const Transfer& t, void (*stub)()) {
  load_guest(edx, t.rd, in.pc + 4);
  if (t.writeback && t.rn != 15) store_guest(t.rn, r9d);
  in.plan.pending_cycles += 1;
  call_runtime(stub, in.next);
}

}  // namespace

void emit_single_transfer(const ArmInstruction& in) {
  std::uint32_t opcode = in.opcode;
  Transfer t = decode_transfer(opcode);
  bool immediate_offset = !arm_bit(opcode, 25);
  emit_address(t, opcode, in.pc, immediate_offset, arm_bits(opcode, 0, 12));
  bool byte = arm_bit(opcode, 22);
  if (t.load) {
    emit_load(in, t, byte ? load_byte_stub : load_word_stub);
  } else {
    emit_store(in, t, byte ? store_byte_stub : store_word_stub);
  }
}

void emit_halfword_transfer(const ArmInstruction& in) {
  std::uint32_t opcode = in.opcode;
  Transfer t = decode_transfer(opcode);
  unsigned kind = arm_bits(opcode, 5, 2);  // 1 halfword, 2 signed byte, 3 signed halfword
  if (!t.load && kind != 1) return;        // the doubleword forms do not exist on this CPU
  bool immediate_offset = arm_bit(opcode, 22);
  std::uint32_t immediate = (arm_bits(opcode, 8, 4) << 4) | arm_bits(opcode, 0, 4);
  emit_address(t, opcode & ~0xFF0u, in.pc, immediate_offset, immediate);
  if (!t.load) {
    emit_store(in, t, store_half_stub);
    return;
  }
  static void (*const loads[4])() = {nullptr, load_half_stub, load_sbyte_stub, load_shalf_stub};
  emit_load(in, t, loads[kind]);
}

// Swaps read first and store second; the store may continue at the next instruction on its
// own, so the destination is written in between.
void emit_swap(const ArmInstruction& in) {
  std::uint32_t opcode = in.opcode;
  unsigned rn = arm_bits(opcode, 16, 4);
  unsigned rd = arm_bits(opcode, 12, 4);
  unsigned rm = arm_bits(opcode, 0, 4);
  bool byte = arm_bit(opcode, 22);
  std::uint32_t pc_value = in.pc;
  in.plan.pending_cycles += 3;
  load_guest(eax, rn, pc_value);
  call_runtime(byte ? load_byte_stub : load_word_stub, in.pc);
  code().mov(r9d, eax);
  load_guest(edx, rm, pc_value);
  if (rd != 15) store_guest(rd, r9d);
  load_guest(eax, rn, pc_value);
  call_runtime(byte ? store_byte_stub : store_word_stub, in.next);
}

namespace {

// The lowest address of an LDM/STM, relative to the base, and the base's change.
std::int32_t block_start_offset(bool pre, bool up, unsigned count) {
  auto size = static_cast<std::int32_t>(4 * count);
  if (up) return pre ? 4 : 0;
  return pre ? -size : -size + 4;
}

// r9d = base + offset, aligned down to a word: the low bits do not take part in block transfers.
void emit_block_base(unsigned rn, std::uint32_t pc_value, std::int32_t offset) {
  load_guest(r9d, rn, pc_value);
  code().lea(r9d, code().ptr[r9 + offset]);
  save_flags();
  code().and_(r9d, ~3u);
  restore_flags();
}

void emit_block_load(const ArmInstruction& in, std::uint32_t list, bool writeback,
                     std::int32_t change, bool psr) {
  unsigned rn = arm_bits(in.opcode, 16, 4);
  if (writeback) {  // first, so that a loaded base wins
    load_guest(ecx, rn, in.pc);
    code().lea(ecx, code().ptr[rcx + change]);
    store_guest(rn, ecx);
  }
  unsigned k = 0;
  for (unsigned n = 0; n < 16; ++n) {
    if (!(list & (1u << n))) continue;
    code().lea(eax, code().ptr[r9 + static_cast<int>(4 * k++)]);
    call_runtime(load_word_stub, in.pc);
    if (n == 15) {
      emit_arm_jump_to_eax(in, psr);
    } else {
      store_guest(n, eax);
    }
  }
}

// ARM7TDMI stores the original base when it is the first register of the list and the updated
// one otherwise; the PC is stored as the instruction's address + 12 (+ 6 in Thumb state).
void emit_block_store(const ArmInstruction& in, std::uint32_t list, bool writeback,
                      std::int32_t change) {
  unsigned rn = arm_bits(in.opcode, 16, 4);
  unsigned lowest = static_cast<unsigned>(std::countr_zero(list));
  unsigned k = 0;
  for (unsigned n = 0; n < 16; ++n) {
    if (!(list & (1u << n))) continue;
    load_guest(edx, n, in.thumb ? in.address + 6 : in.pc + 4);
    if (n == rn && writeback && n != lowest) code().lea(edx, code().ptr[rdx + change]);
    code().lea(eax, code().ptr[r9 + static_cast<int>(4 * k++)]);
    call_runtime(store_word_plain_stub);
  }
  if (writeback) {
    load_guest(ecx, rn, in.pc);
    code().lea(ecx, code().ptr[rcx + change]);
    store_guest(rn, ecx);
  }
}

}  // namespace

void emit_block_transfer(const ArmInstruction& in) {
  std::uint32_t opcode = in.opcode;
  std::uint32_t list = arm_bits(opcode, 0, 16);
  bool pre = arm_bit(opcode, 24);
  bool up = arm_bit(opcode, 23);
  bool user_bank = arm_bit(opcode, 22);
  bool writeback = arm_bit(opcode, 21);
  bool load = arm_bit(opcode, 20);
  unsigned rn = arm_bits(opcode, 16, 4);
  // An empty list transfers r15 alone but moves the base as sixteen registers would (ARMv4).
  auto count = static_cast<unsigned>(list == 0 ? 16 : std::popcount(list));
  auto size = static_cast<std::int32_t>(4 * count);
  if (list == 0) list = 0x8000;
  in.plan.pending_cycles += count + 1;

  emit_block_base(rn, in.pc, block_start_offset(pre, up, count));
  bool pc_loaded = load && (list & 0x8000);
  if (user_bank && !pc_loaded) {
    code().mov(eax, opcode);
    code().mov(edx, r9d);
    call_runtime(block_transfer_user_bank, in.pc);
    return;
  }
  std::int32_t change = up ? size : -size;
  if (load) {
    emit_block_load(in, list, writeback, change, user_bank);
  } else {
    emit_block_store(in, list, writeback, change);
  }
}

}  // namespace x64
