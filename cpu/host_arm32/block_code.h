#pragma once
// The 32-bit ARM code emitter of the block being translated, and the helpers every instruction
// emitter shares: guest register access through the register map and the register area.
//
// Conventions inside generated code and the runtime routines (runtime.S):
//   r0, r1, r2  argument and scratch registers: address or jump target, value or mask, scratch
//   r3-r8       the cached guest registers: each block chooses its own (the most used), loads
//               them at its entry and writes back what it may have changed before it leaves;
//               the runtime finds the running block's set in slot SLOT_CACHED_SET
//   r9          scratch that the runtime routines preserve: a written-back base, a block
//               transfer's address
//   r10         scratch that the routines may clobber; generated code keeps nothing in it (it
//               addresses the slots of a block transfer of cached registers)
//   r11         the host flags saved by a routine on entry
//   r12         NOT remaining cycle budget: negative while the budget lasts
//   sp          the block-transfer room; the register area starts 1024 bytes above it, so guest
//               slot n is at [sp, #1024 + 4n]
//   host NZCV   the guest's N Z C V, as they are
// Routines are called with BL; many take the guest address they need as the data word that
// follows the BL and return past it.

#include <cstdint>

#include "cpu/host_arm32/arm_encoder.h"

namespace arm32 {

constexpr unsigned REGISTER_AREA_OFFSET = 1024;

// Appends one instruction word; past the block's room it only records the overflow.
void emit(std::uint32_t word);
std::uint32_t* emit_position();

// How many guest registers a block may keep in host registers: r3-r8.
constexpr unsigned CACHED_REGISTERS = 6;
// The register-area slot where the running block's entry leaves the set it caches (bit n for
// guest rn), for the runtime routines that write them back and reload them. Slots from 32 up
// have no other role while generated code runs.
constexpr unsigned SLOT_CACHED_SET = 32;

// The host register that caches guest register n in this block, or -1.
int cached_register(unsigned n);

// The host register holding guest register n: its cached register, or `scratch` after loading
// it there. r15 reads as the constant `pc_value`.
unsigned read_guest(unsigned n, unsigned scratch, std::uint32_t pc_value);
// Guest register n into exactly `dst`.
void load_guest(unsigned dst, unsigned n, std::uint32_t pc_value);
// The host register an instruction should write guest register n through: its cached register,
// or `scratch`, which store_guest then puts into the slot.
unsigned destination(unsigned n, unsigned scratch);
// `src` into guest register n (never r15: callers handle jumps).
void store_guest(unsigned n, unsigned src);
void store_guest_constant(unsigned n, std::uint32_t value);

void emit_constant(unsigned rd, std::uint32_t value);
// rd = rn + value (value may be negative) without touching the flags.
void emit_add_constant(unsigned rd, unsigned rn, std::int32_t value);

// B or BL to a runtime routine; BL with a data word after it for the routines that read one.
void jump_runtime(void (*routine)());
void call_runtime(void (*routine)());
void call_runtime(void (*routine)(), std::uint32_t word);

}  // namespace arm32
