#pragma once
// What a host back end supplies to the translators. Everything else (scan, records, exits,
// condition runs, pending cycles, linking, the caches, decoding and the guest's rules) is
// written once, above this line: instruction emitters receive decoded operands.

#include <cstdint>

#include "cpu/arm_operands.h"
#include "cpu/block_plan.h"

// Starts emitting at `start`; nothing may be written at or beyond `end`.
void host_begin_block(std::uint8_t* start, std::uint8_t* end);
// Emits the block's entry, after host_begin_block and before the first instruction, where
// internal branches never come back to: a host may choose here, from the plan, where guest
// registers live for the whole block. A host with nothing to do emits nothing.
void host_emit_block_entry(const BlockPlan& plan);
// True once an emission ran out of room (the block must be thrown away).
bool host_block_overflowed();
std::uint8_t* host_position();

// Adds guest cycles to the budget counter without touching the guest flags.
void host_add_cycles(std::uint32_t cycles);

// A jump over the code that follows, taken when `condition` (an ARM condition field) fails.
// Returns the field that host_patch aims.
std::uint8_t* host_emit_condition_skip(unsigned condition);

// Aims the jump whose patch site is `field` at `target`; works on committed code too.
void host_patch(std::uint8_t* field, const std::uint8_t* target);

// The budget test and a jump to be patched to the target's block; a target that is the idle
// loop calls the scheduler unconditionally. Returns the jump's field.
std::uint8_t* host_emit_exit(std::uint32_t target, bool thumb);

// The same for a target where no guest flag is live, so that the budget test may use the host
// flags. A host may simply call host_emit_exit.
std::uint8_t* host_emit_exit_with_dead_flags(std::uint32_t target, bool thumb);

// A plain jump to be patched; returns its field.
std::uint8_t* host_emit_jump();

// A jump to a constant guest address through the lookup.
void host_emit_indirect_jump(std::uint32_t target, bool thumb);

// The instruction being emitted. Thumb instructions with an ARM equivalent are emitted as that
// equivalent with the Thumb PC, return address and register map.
struct ArmInstruction {
  BlockPlan& plan;
  std::uint32_t opcode;  // only to hand on to runtime routines that take the instruction
  std::uint32_t address;
  std::uint8_t live;   // flags a later instruction may read (FlagBit)
  std::uint32_t pc;    // what reading r15 gives: address + 8 in ARM state, + 4 in Thumb
  std::uint32_t next;  // the next instruction's address
  bool thumb;
};

void host_store_guest_constant(unsigned n, std::uint32_t value);

void host_emit_data_processing(const ArmInstruction& in, const DataProcessing& d);
void host_emit_multiply(const ArmInstruction& in, const Multiply& m);
void host_emit_multiply_long(const ArmInstruction& in, const MultiplyLong& m);
void host_emit_transfer(const ArmInstruction& in, const Transfer& t);
void host_emit_swap(const ArmInstruction& in, const Swap& s);
void host_emit_block_transfer(const ArmInstruction& in, const BlockTransfer& b);
void host_emit_mrs(const ArmInstruction& in, const PsrRead& r);
void host_emit_msr(const ArmInstruction& in, const PsrWrite& w);

// BX: leaves for the address in guest register rm, whose bit 0 selects the state.
void host_emit_branch_exchange(const ArmInstruction& in, unsigned rm);
// The division the runtime carries out in place of the BIOS call.
void host_emit_inline_divide(bool thumb);
// Enters the BIOS's SWI handler with `return_address` in the Supervisor LR; the caller then
// places the exit to the vector.
void host_emit_swi_entry(bool thumb, std::uint32_t return_address);
// The second half of a Thumb long branch without its first half in the block: jumps to
// LR + offset after LR becomes `return_address`.
void host_emit_long_branch_from_lr(BlockPlan& plan, std::uint32_t offset,
                                   std::uint32_t return_address);
