#include "cpu/host_x64/block_code.h"

#include <cstring>
#include <memory>

#include "core/state.h"
#include "cpu/host_emitter.h"
#include "cpu/register_use.h"
#include "cpu/runtime.h"
#include "cpu/translation_settings.h"

using namespace Xbyak::util;

namespace x64 {

namespace {

std::unique_ptr<BlockCode> current;

// The host registers that hold guest registers, in the order of the nibbles of the block's
// register map (see runtime.S).
const Xbyak::Reg32* const cache_registers[CACHED_REGISTERS] = {&ebx,  &ebp,  &r12d,
                                                               &r13d, &r14d, &r15d};

// Where each guest register of the block being emitted lives, and the map word the runtime
// reads to write them back and reload them.
struct BlockRegisters {
  const Xbyak::Reg32* host[16];
  std::uint16_t written;  // what the block may change, and so writes back when it leaves
  std::uint32_t map_word;
  BlockSpan span;
};
BlockRegisters block_registers{};

Xbyak::Address slot(unsigned n) { return code().dword[rip + &machine.registers[n]]; }

// Host condition codes (the tttn field of Jcc) for each guest condition. Host CF holds NOT C,
// so the unsigned host conditions line up with the guest's carry conditions.
constexpr std::uint8_t host_condition[15] = {
    0x4,  // EQ: E
    0x5,  // NE: NE
    0x3,  // CS: AE (CF clear)
    0x2,  // CC: B
    0x8,  // MI: S
    0x9,  // PL: NS
    0x0,  // VS: O
    0x1,  // VC: NO
    0x7,  // HI: A (CF and ZF clear)
    0x6,  // LS: BE
    0xD,  // GE: GE
    0xC,  // LT: L
    0xF,  // GT: G
    0xE,  // LE: LE
    0x0,  // AL: never skipped
};

std::uint8_t* emit_rel32_placeholder() {
  code().dd(0);
  return const_cast<std::uint8_t*>(code().getCurr()) - 4;
}

}  // namespace

BlockCode& code() { return *current; }


const Xbyak::Reg32* cached_register(unsigned n) {
  return n < 16 ? block_registers.host[n] : nullptr;
}

// The guest registers with the highest weights get host registers; ties go to the lower number.
void allocate_registers(const BlockPlan& plan) {
  RegisterUse use = count_register_use(plan);
  block_registers = {};
  block_registers.written = use.written;
  block_registers.map_word = 0xFFFFFFFF;
  block_registers.span = block_span(plan);
  std::uint8_t chosen[CACHED_REGISTERS];
  unsigned count = choose_cached_registers(use, CACHED_REGISTERS, chosen);
  for (unsigned slot = 0; slot < count; ++slot) {
    block_registers.host[chosen[slot]] = cache_registers[slot];
    block_registers.map_word &= ~(0xFu << (4 * slot));
    block_registers.map_word |= static_cast<std::uint32_t>(chosen[slot]) << (4 * slot);
  }
}

void write_back_registers() {
  for (unsigned n = 0; n < 15; ++n) {
    const Xbyak::Reg32* host = block_registers.host[n];
    if (host != nullptr && (block_registers.written & (1u << n))) code().mov(slot(n), *host);
  }
}

bool stays_inside_block(std::uint32_t target, bool thumb) {
  return stays_inside(block_registers.span, target, thumb);
}

void load_guest(const Xbyak::Reg32& dst, unsigned n, std::uint32_t pc_value) {
  if (n == 15) {
    code().mov(dst, pc_value);
  } else if (const Xbyak::Reg32* host = cached_register(n)) {
    if (host->getIdx() != dst.getIdx()) code().mov(dst, *host);
  } else {
    code().mov(dst, slot(n));
  }
}

void store_guest(unsigned n, const Xbyak::Reg32& src) {
  if (const Xbyak::Reg32* host = cached_register(n)) {
    if (host->getIdx() != src.getIdx()) code().mov(*host, src);
  } else {
    code().mov(slot(n), src);
  }
}

void store_guest_constant(unsigned n, std::uint32_t value) {
  if (const Xbyak::Reg32* host = cached_register(n)) {
    code().mov(*host, value);
  } else {
    code().mov(slot(n), value);
  }
}

void save_flags() {
  code().lahf();
  code().seto(al);
}

void restore_flags() {
  code().add(al, 0x7F);
  code().sahf();
}

void call_runtime(void (*routine)(), std::uint32_t word) {
  code().mov(data_word(), word);
  call_runtime(routine);
}

void call_runtime(void (*routine)()) { code().call(reinterpret_cast<const void*>(routine)); }

void leave_for_runtime(void (*routine)()) {
  write_back_registers();
  jump_runtime(routine);
}

void jump_runtime(void (*routine)()) {
  code().jmp(reinterpret_cast<const void*>(routine), Xbyak::CodeGenerator::T_NEAR);
}

}  // namespace x64

using x64::code;

// The entry: the runtime learns the block's register map, and every cached register is loaded,
// so that the runtime may write them all back at any call.
void host_emit_block_entry(const BlockPlan& plan) {
  x64::allocate_registers(plan);
  code().mov(code().dword[rip + &runtime_register_map], x64::block_registers.map_word);
  for (unsigned n = 0; n < 15; ++n) {
    if (const Xbyak::Reg32* host = x64::block_registers.host[n]) code().mov(*host, x64::slot(n));
  }
}

void host_begin_block(std::uint8_t* start, std::uint8_t* end) {
  Xbyak::ClearError();
  x64::current = std::make_unique<x64::BlockCode>(start, static_cast<std::size_t>(end - start));
}

bool host_block_overflowed() { return Xbyak::GetError() != 0; }


void host_store_guest_constant(unsigned n, std::uint32_t value) {
  x64::store_guest_constant(n, value);
}

std::uint8_t* host_position() { return const_cast<std::uint8_t*>(code().getCurr()); }

void host_add_cycles(std::uint32_t cycles) {
  code().lea(x64::cycle_counter(), code().ptr[r10 + cycles]);
}

std::uint8_t* host_emit_condition_skip(unsigned condition) {
  if (condition == CONDITION_NEVER) {
    code().db(0xE9);
  } else {
    code().db(0x0F);
    code().db(0x80 | x64::host_condition[condition ^ 1]);
  }
  return x64::emit_rel32_placeholder();
}

void host_patch(std::uint8_t* field, const std::uint8_t* target) {
  auto relative = static_cast<std::int32_t>(target - (field + 4));
  std::memcpy(field, &relative, 4);
}

// Budget test without touching the guest flags: cdq turns the counter's sign into all ones
// while time remains, and jrcxz branches on zero without reading the flags.
std::uint8_t* host_emit_exit(std::uint32_t target, bool thumb) {
  if (target == translation_settings.idle_loop_address) {
    if (!x64::stays_inside_block(target, thumb)) x64::write_back_registers();
    x64::call_runtime(thumb ? exit_at_idle_thumb : exit_at_idle_arm, target);
    code().db(0xE9);
    return x64::emit_rel32_placeholder();
  }
  if (!x64::stays_inside_block(target, thumb)) x64::write_back_registers();
  Xbyak::Label spent, jump;
  code().mov(eax, r10d);
  code().cdq();
  code().mov(ecx, edx);
  code().jrcxz(spent);
  code().L(jump);
  code().db(0xE9);
  std::uint8_t* field = x64::emit_rel32_placeholder();
  code().L(spent);
  x64::call_runtime(thumb ? exit_on_budget_thumb : exit_on_budget_arm, target);
  code().jmp(jump, Xbyak::CodeGenerator::T_SHORT);
  return field;
}

// With the flags dead the budget test is a sign test. After the scheduler the counter is
// negative again, so the cold path goes back through the test to the one patched jump.
std::uint8_t* host_emit_exit_with_dead_flags(std::uint32_t target, bool thumb) {
  if (target == translation_settings.idle_loop_address) return host_emit_exit(target, thumb);
  if (!x64::stays_inside_block(target, thumb)) x64::write_back_registers();
  Xbyak::Label test;
  code().L(test);
  code().test(r10d, r10d);
  code().db(0x0F);
  code().db(0x88);  // js rel32: time remains
  std::uint8_t* field = x64::emit_rel32_placeholder();
  x64::call_runtime(thumb ? exit_on_budget_thumb : exit_on_budget_arm, target);
  code().jmp(test, Xbyak::CodeGenerator::T_SHORT);
  return field;
}

std::uint8_t* host_emit_jump() {
  code().db(0xE9);
  return x64::emit_rel32_placeholder();
}

void host_emit_indirect_jump(std::uint32_t target, bool thumb) {
  x64::write_back_registers();
  code().mov(eax, target);
  x64::jump_runtime(thumb ? jump_indirect_thumb : jump_indirect_arm);
}
