// ARM loads and stores on an ARM host. The address goes to r0 and a stored value to r1 for the
// runtime's stubs, which take the guest address they need as the data word after the BL; the
// written-back base waits in r9, which the stubs preserve. Base write-back happens before a
// store, because a store that lands on translated code or an I/O register with side effects
// continues at the next instruction without coming back here. Address arithmetic uses
// non-flag-setting host forms, shifted register offsets included, so the guest flags stay put.

#include "cpu/host_arm32/block_code.h"
#include "cpu/host_arm32/emit_arm.h"
#include "cpu/runtime.h"

using namespace arm32;

namespace {

// r9 = the written-back base, r0 = the address to access.
void emit_address(const Transfer& t, std::uint32_t pc_value) {
  unsigned base = read_guest(t.rn, R0, pc_value);
  if (t.immediate_offset) {
    auto offset = static_cast<std::int32_t>(t.immediate);
    emit_add_constant(R9, base, t.up ? offset : -offset);
  } else {
    unsigned rm = read_guest(t.rm, R1, pc_value);
    ShiftKind kind = t.shift == Shift::RRX ? ROR : static_cast<ShiftKind>(t.shift);
    unsigned amount = t.shift == Shift::RRX ? 0 : t.amount & 31;
    emit(dp_register(AL, t.up ? ADD : SUB, false, R9, base, rm, kind, amount));
  }
  unsigned address = t.pre ? R9 : base;
  if (address != R0) emit(dp_register(AL, MOV, false, R0, 0, address));
}

}  // namespace

void host_emit_transfer(const ArmInstruction& in, const Transfer& t) {
  emit_address(t, in.pc);
  auto size = static_cast<unsigned>(t.size);
  if (!t.load) {
    static void (*const stores[3])() = {store_word_stub, store_byte_stub, store_half_stub};
    load_guest(R1, t.rd, t.stored_pc);
    if (t.writeback) store_guest(t.rn, R9);
    call_runtime(stores[size], in.next);
    return;
  }
  static void (*const loads[5])() = {load_word_stub, load_byte_stub, load_half_stub,
                                     load_sbyte_stub, load_shalf_stub};
  call_runtime(loads[size], in.pc);
  if (t.writeback) store_guest(t.rn, R9);
  if (t.rd == 15) {
    emit_arm_jump_to_r0(in, false);
  } else {
    store_guest(t.rd, R0);
  }
}

// Swaps read first and store second; the store may continue at the next instruction on its
// own, so the destination is written in between.
void host_emit_swap(const ArmInstruction& in, const Swap& s) {
  load_guest(R0, s.rn, in.pc);
  call_runtime(s.byte ? load_byte_stub : load_word_stub, in.pc);
  emit(dp_register(AL, MOV, false, R9, 0, R0));
  load_guest(R1, s.rm, in.pc);
  if (s.rd != 15) store_guest(s.rd, R9);
  load_guest(R0, s.rn, in.pc);
  call_runtime(s.byte ? store_byte_stub : store_word_stub, in.next);
}

namespace {

// r9 = base + offset, aligned down to a word: the low bits do not take part in block transfers.
void emit_block_base(unsigned rn, std::uint32_t pc_value, std::int32_t offset) {
  unsigned base = read_guest(rn, R9, pc_value);
  emit_add_constant(R9, base, offset);
  emit(dp_immediate(AL, BIC, false, R9, R9, 3));
}

void emit_base_change(const ArmInstruction& in, const BlockTransfer& b) {
  unsigned base = read_guest(b.rn, R0, in.pc);
  unsigned changed = destination(b.rn, R0);
  emit_add_constant(changed, base, b.change);
  store_guest(b.rn, changed);
}

void emit_block_load(const ArmInstruction& in, const BlockTransfer& b) {
  if (b.writeback) emit_base_change(in, b);  // first, so that a loaded base wins
  unsigned k = 0;
  for (unsigned n = 0; n < 16; ++n) {
    if (!(b.list & (1u << n))) continue;
    emit_add_constant(R0, R9, static_cast<std::int32_t>(4 * k++));
    call_runtime(load_word_stub, in.pc);
    if (n == 15) {
      emit_arm_jump_to_r0(in, b.restores_psr);
    } else {
      store_guest(n, R0);
    }
  }
}

void emit_block_store(const ArmInstruction& in, const BlockTransfer& b) {
  unsigned k = 0;
  for (unsigned n = 0; n < 16; ++n) {
    if (!(b.list & (1u << n))) continue;
    unsigned value = read_guest(n, R1, b.stored_pc);
    if (n == b.rn && b.stores_updated_base) {
      emit_add_constant(R1, value, b.change);
    } else if (value != R1) {
      emit(dp_register(AL, MOV, false, R1, 0, value));
    }
    emit_add_constant(R0, R9, static_cast<std::int32_t>(4 * k++));
    call_runtime(store_word_plain_stub);
  }
  if (b.writeback) emit_base_change(in, b);
}

}  // namespace

void host_emit_block_transfer(const ArmInstruction& in, const BlockTransfer& b) {
  emit_block_base(b.rn, in.pc, b.start_offset);
  if (b.user_bank) {
    emit_constant(R0, in.opcode);
    emit(dp_register(AL, MOV, false, R1, 0, R9));
    call_runtime(block_transfer_user_bank, in.pc);
    return;
  }
  if (b.load) {
    emit_block_load(in, b);
  } else {
    emit_block_store(in, b);
  }
}
