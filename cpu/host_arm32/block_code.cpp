#include "cpu/host_arm32/block_code.h"

#include "core/report.h"
#include "cpu/host_emitter.h"
#include "cpu/register_use.h"
#include "cpu/runtime.h"
#include "cpu/translation_settings.h"

namespace arm32 {

namespace {

std::uint32_t* position = nullptr;
std::uint32_t* room_end = nullptr;
bool overflowed = false;

constexpr unsigned FIRST_CACHE_REGISTER = R3;

// Where each guest register of the block being emitted lives.
struct BlockRegisters {
  int host[16];           // its host register, or -1
  std::uint16_t cached;   // bit n for each guest register held in a host register
  std::uint16_t written;  // what the block may change, and so writes back when it leaves
  BlockSpan span;
};
BlockRegisters block_registers{};

std::int32_t slot_offset(unsigned n) {
  return static_cast<std::int32_t>(REGISTER_AREA_OFFSET + 4 * n);
}

// The guest registers with the highest weights, given r3 upwards in guest register order: the
// runtime rebuilds the assignment from the set alone, and neighbours in the register area move
// with one LDM or STM.
void allocate_registers(const BlockPlan& plan) {
  RegisterUse use = count_register_use(plan);
  block_registers = {};
  for (int& host : block_registers.host) host = -1;
  block_registers.written = use.written;
  block_registers.span = block_span(plan);
  std::uint8_t chosen[CACHED_REGISTERS];
  unsigned count = choose_cached_registers(use, CACHED_REGISTERS, chosen);
  for (unsigned i = 0; i < count; ++i) {
    block_registers.cached = static_cast<std::uint16_t>(block_registers.cached | (1u << chosen[i]));
  }
  unsigned next = FIRST_CACHE_REGISTER;
  for (unsigned n = 0; n < 15; ++n) {
    if (block_registers.cached & (1u << n)) block_registers.host[n] = static_cast<int>(next++);
  }
}

// Moves the guest registers of `set` (all cached) between their host registers and their slots:
// runs of neighbours with one block transfer through r10 where that is shorter, the rest one
// by one.
void move_cached(std::uint16_t set, bool load) {
  unsigned n = 0;
  while (n < 15) {
    if (!(set & (1u << n))) {
      ++n;
      continue;
    }
    unsigned run = 1;
    while (n + run < 15 && (set & (1u << (n + run)))) ++run;
    auto first = static_cast<unsigned>(block_registers.host[n]);
    std::uint32_t pieces[4];
    unsigned address_cost = split_immediate(static_cast<std::uint32_t>(slot_offset(n)), pieces);
    if (run > address_cost + 1) {
      emit_add_constant(R10, SP, slot_offset(n));
      auto list = static_cast<std::uint16_t>(((1u << run) - 1) << first);
      emit(block_transfer(AL, load, R10, list, false, true, false));
    } else {
      for (unsigned k = 0; k < run; ++k) {
        emit(load_store(AL, load, Width::WORD, first + k, SP, slot_offset(n + k)));
      }
    }
    n += run;
  }
}

// Writes back what the block may have changed, before it leaves for `target` unless the branch
// stays inside.
void write_back_for(std::uint32_t target, bool thumb) {
  if (stays_inside(block_registers.span, target, thumb)) return;
  move_cached(block_registers.cached & block_registers.written, false);
}

// A placeholder branch to itself, aimed later by host_patch.
constexpr std::uint32_t UNAIMED_BRANCH = 0x0AFFFFFE;

std::uint8_t* emit_unaimed_branch(Condition c) {
  std::uint8_t* site = reinterpret_cast<std::uint8_t*>(position);
  emit((static_cast<std::uint32_t>(c) << 28) | (UNAIMED_BRANCH & 0x0FFFFFFF));
  return site;
}

void branch_to_routine(void (*routine)(), bool link) {
  std::uint32_t word = 0;
  if (!branch(AL, link, position, reinterpret_cast<const void*>(routine), &word)) {
    // The code areas are placed within reach of the program (code_memory.cpp); a block that
    // could not reach its routine is thrown away rather than run.
    overflowed = true;
  }
  emit(word);
}

}  // namespace

void emit(std::uint32_t word) {
  if (position == nullptr || position >= room_end) {
    overflowed = true;
    return;
  }
  *position++ = word;
}

std::uint32_t* emit_position() { return position; }

int cached_register(unsigned n) { return n < 16 ? block_registers.host[n] : -1; }

void emit_constant(unsigned rd, std::uint32_t value) {
  std::uint32_t words[4];
  unsigned count = load_constant(AL, rd, value, words);
  for (unsigned i = 0; i < count; ++i) emit(words[i]);
}

void emit_add_constant(unsigned rd, unsigned rn, std::int32_t value) {
  DataOp op = value < 0 ? SUB : ADD;
  std::uint32_t magnitude =
      value < 0 ? 0u - static_cast<std::uint32_t>(value) : static_cast<std::uint32_t>(value);
  if (magnitude == 0) {
    if (rd != rn) emit(dp_register(AL, MOV, false, rd, 0, rn));
    return;
  }
  std::uint32_t pieces[4];
  unsigned count = split_immediate(magnitude, pieces);
  for (unsigned i = 0; i < count; ++i) {
    emit(dp_immediate(AL, op, false, rd, i == 0 ? rn : rd, pieces[i]));
  }
}

unsigned read_guest(unsigned n, unsigned scratch, std::uint32_t pc_value) {
  if (n == 15) {
    emit_constant(scratch, pc_value);
    return scratch;
  }
  int host = cached_register(n);
  if (host >= 0) return static_cast<unsigned>(host);
  emit(load_store(AL, true, Width::WORD, scratch, SP, slot_offset(n)));
  return scratch;
}

void load_guest(unsigned dst, unsigned n, std::uint32_t pc_value) {
  unsigned source = read_guest(n, dst, pc_value);
  if (source != dst) emit(dp_register(AL, MOV, false, dst, 0, source));
}

unsigned destination(unsigned n, unsigned scratch) {
  int host = cached_register(n);
  return host >= 0 ? static_cast<unsigned>(host) : scratch;
}

void store_guest(unsigned n, unsigned src) {
  int host = cached_register(n);
  if (host < 0) {
    emit(load_store(AL, false, Width::WORD, src, SP, slot_offset(n)));
  } else if (static_cast<unsigned>(host) != src) {
    emit(dp_register(AL, MOV, false, static_cast<unsigned>(host), 0, src));
  }
}

void store_guest_constant(unsigned n, std::uint32_t value) {
  int host = cached_register(n);
  if (host >= 0) {
    emit_constant(static_cast<unsigned>(host), value);
  } else {
    emit_constant(R2, value);
    store_guest(n, R2);
  }
}

void jump_runtime(void (*routine)()) { branch_to_routine(routine, false); }

void call_runtime(void (*routine)()) { branch_to_routine(routine, true); }

void call_runtime(void (*routine)(), std::uint32_t word) {
  branch_to_routine(routine, true);
  emit(word);
}

}  // namespace arm32

using namespace arm32;

void host_begin_block(std::uint8_t* start, std::uint8_t* end) {
  position = reinterpret_cast<std::uint32_t*>(start);
  room_end = reinterpret_cast<std::uint32_t*>(end);
  overflowed = false;
}

// The entry tells the runtime which guest registers the block caches and loads them all, so
// that the runtime may write them all back at any call.
void host_emit_block_entry(const BlockPlan& plan) {
  allocate_registers(plan);
  emit_constant(R0, block_registers.cached);
  emit(load_store(AL, false, Width::WORD, R0, SP, slot_offset(SLOT_CACHED_SET)));
  move_cached(block_registers.cached, true);
}

bool host_block_overflowed() { return overflowed; }

void host_store_guest_constant(unsigned n, std::uint32_t value) { store_guest_constant(n, value); }

std::uint8_t* host_position() { return reinterpret_cast<std::uint8_t*>(position); }

// Plain ADDs: the guest flags stay as they are.
void host_add_cycles(std::uint32_t cycles) {
  std::uint32_t pieces[4];
  unsigned count = split_immediate(cycles, pieces);
  for (unsigned i = 0; i < count; ++i) {
    if (pieces[i] != 0) emit(dp_immediate(AL, ADD, false, R12, R12, pieces[i]));
  }
}

std::uint8_t* host_emit_condition_skip(unsigned condition) {
  if (condition == CONDITION_NEVER) return emit_unaimed_branch(AL);
  return emit_unaimed_branch(static_cast<Condition>(condition ^ 1));
}

void host_patch(std::uint8_t* field, const std::uint8_t* target) {
  // Every code area lies within reach of every other (code_memory.cpp).
  bool aimed = patch_branch(reinterpret_cast<std::uint32_t*>(field), target);
  ORVANE_CHECK(aimed, );
}

// The budget test leaves the flags alone: r0 = 1 while the budget lasts (r12 negative), and
// the ADD to PC skips the data word and the call by it.
std::uint8_t* host_emit_exit(std::uint32_t target, bool thumb) {
  write_back_for(target, thumb);
  if (target == translation_settings.idle_loop_address) {
    call_runtime(thumb ? exit_at_idle_thumb : exit_at_idle_arm, target);
    return emit_unaimed_branch(AL);
  }
  emit(dp_register(AL, MOV, false, R0, 0, R12, LSR, 31));
  emit(dp_register(AL, ADD, false, PC, PC, R0, LSL, 2));
  emit(target);
  call_runtime(thumb ? exit_on_budget_thumb : exit_on_budget_arm);
  return emit_unaimed_branch(AL);
}

// The five-word test stays where the flags are dead too: the routine finds the target in the
// data word ahead of its call, which a shorter flag-setting test would have to place as well.
std::uint8_t* host_emit_exit_with_dead_flags(std::uint32_t target, bool thumb) {
  return host_emit_exit(target, thumb);
}

std::uint8_t* host_emit_jump() { return emit_unaimed_branch(AL); }

void host_emit_indirect_jump(std::uint32_t target, bool thumb) {
  emit_constant(R0, target);
  jump_runtime(thumb ? jump_indirect_thumb : jump_indirect_arm);
}
