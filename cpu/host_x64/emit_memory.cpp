// ARM loads and stores. The address goes to eax and the value to edx for the runtime's stubs;
// the written-back base waits in r9, which the stubs preserve. Base write-back happens before a
// store, because a store that lands on translated code or an I/O register with side effects
// continues at the next instruction without coming back here.

#include "cpu/host_x64/block_code.h"
#include "cpu/host_x64/emit_arm.h"
#include "cpu/runtime.h"

using namespace Xbyak::util;

namespace x64 {

namespace {

// ecx = base; edx = the offset, already shifted. Shifts other than the scales lea knows clobber
// the host flags, so the flags are parked in esi around them.
void emit_register_offset(const Transfer& t, std::uint32_t pc_value) {
  load_guest(edx, t.rm, pc_value);
  if (t.shift == Shift::LSL && t.amount == 0) return;
  save_flags();  // RRX reads C from here, so the flags are saved whatever their liveness
  code().mov(esi, eax);
  auto amount = static_cast<std::uint8_t>(t.amount);
  switch (t.shift) {
    case Shift::LSL: code().shl(edx, amount); break;
    case Shift::LSR:
      if (t.amount == 32) {
        code().xor_(edx, edx);
      } else {
        code().shr(edx, amount);
      }
      break;
    case Shift::ASR:
      code().sar(edx, static_cast<std::uint8_t>(t.amount == 32 ? 31 : t.amount));
      break;
    case Shift::RRX:  // the old C (NOT host CF) comes in at the top
      code().mov(ecx, esi);
      code().shr(ecx, 8);
      code().not_(ecx);
      code().shl(ecx, 31);
      code().shr(edx, 1);
      code().or_(edx, ecx);
      break;
    default: code().ror(edx, amount); break;
  }
  code().mov(eax, esi);
  restore_flags();
}

// eax = the address to access; r9d = the written-back base. A subtracted register offset is
// negated with not and lea's + 1, which touch no flags.
void emit_address(const Transfer& t, std::uint32_t pc_value) {
  if (t.immediate_offset) {
    auto offset = static_cast<std::int32_t>(t.up ? t.immediate : 0u - t.immediate);
    load_guest(ecx, t.rn, pc_value);
    code().lea(r9d, code().ptr[rcx + offset]);
  } else {
    emit_register_offset(t, pc_value);
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
  if (t.writeback) store_guest(t.rn, r9d);
  if (t.rd == 15) {
    emit_arm_jump_to_eax(in, false);
  } else {
    store_guest(t.rd, eax);
  }
}

void emit_store(const ArmInstruction& in, const Transfer& t, void (*stub)()) {
  load_guest(edx, t.rd, t.stored_pc);
  if (t.writeback) store_guest(t.rn, r9d);
  call_runtime(stub, in.next);
}

}  // namespace

}  // namespace x64

using namespace x64;

void host_emit_transfer(const ArmInstruction& in, const Transfer& t) {
  emit_address(t, in.pc);
  auto size = static_cast<unsigned>(t.size);
  if (!t.load) {
    static void (*const stores[3])() = {store_word_stub, store_byte_stub, store_half_stub};
    emit_store(in, t, stores[size]);
    return;
  }
  static void (*const loads[5])() = {load_word_stub, load_byte_stub, load_half_stub,
                                     load_sbyte_stub, load_shalf_stub};
  emit_load(in, t, loads[size]);
}

// Swaps read first and store second; the store may continue at the next instruction on its
// own, so the destination is written in between.
void host_emit_swap(const ArmInstruction& in, const Swap& s) {
  load_guest(eax, s.rn, in.pc);
  call_runtime(s.byte ? load_byte_stub : load_word_stub, in.pc);
  code().mov(r9d, eax);
  load_guest(edx, s.rm, in.pc);
  if (s.rd != 15) store_guest(s.rd, r9d);
  load_guest(eax, s.rn, in.pc);
  call_runtime(s.byte ? store_byte_stub : store_word_stub, in.next);
}

namespace x64 {

namespace {

// r9d = base + offset, aligned down to a word: the low bits do not take part in block transfers.
void emit_block_base(unsigned rn, std::uint32_t pc_value, std::int32_t offset) {
  load_guest(r9d, rn, pc_value);
  code().lea(r9d, code().ptr[r9 + offset]);
  save_flags();
  code().and_(r9d, ~3u);
  restore_flags();
}

void emit_base_change(const ArmInstruction& in, const BlockTransfer& b) {
  load_guest(ecx, b.rn, in.pc);
  code().lea(ecx, code().ptr[rcx + b.change]);
  store_guest(b.rn, ecx);
}

void emit_block_load(const ArmInstruction& in, const BlockTransfer& b) {
  if (b.writeback) emit_base_change(in, b);  // first, so that a loaded base wins
  unsigned k = 0;
  for (unsigned n = 0; n < 16; ++n) {
    if (!(b.list & (1u << n))) continue;
    code().lea(eax, code().ptr[r9 + static_cast<int>(4 * k++)]);
    call_runtime(load_word_stub, in.pc);
    if (n == 15) {
      emit_arm_jump_to_eax(in, b.restores_psr);
    } else {
      store_guest(n, eax);
    }
  }
}

void emit_block_store(const ArmInstruction& in, const BlockTransfer& b) {
  unsigned k = 0;
  for (unsigned n = 0; n < 16; ++n) {
    if (!(b.list & (1u << n))) continue;
    load_guest(edx, n, b.stored_pc);
    if (n == b.rn && b.stores_updated_base) code().lea(edx, code().ptr[rdx + b.change]);
    code().lea(eax, code().ptr[r9 + static_cast<int>(4 * k++)]);
    call_runtime(store_word_plain_stub);
  }
  if (b.writeback) emit_base_change(in, b);
}

}  // namespace

}  // namespace x64

void host_emit_block_transfer(const ArmInstruction& in, const BlockTransfer& b) {
  emit_block_base(b.rn, in.pc, b.start_offset);
  if (b.user_bank) {
    code().mov(eax, in.opcode);
    code().mov(edx, r9d);
    call_runtime(block_transfer_user_bank, in.pc);
    return;
  }
  if (b.load) {
    emit_block_load(in, b);
  } else {
    emit_block_store(in, b);
  }
}
