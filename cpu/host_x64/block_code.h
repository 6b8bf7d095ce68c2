#pragma once
// The x86-64 code emitter of the block being translated, and the helpers every instruction
// emitter shares: guest register access and keeping the guest flags across host operations.
//
// Conventions inside generated code and the runtime routines (runtime.S):
//   eax, edx, ecx   argument and scratch registers: address or jump target, value or mask, scratch
//   r11d            the guest address a routine needs (what follows a call as a data word on
//                   hosts that have one): the load's PC, the store's next instruction, the MSR
//   r10d            NOT remaining cycle budget: negative while the budget lasts
//   rbx rbp r12-r15 the cached guest registers: each block chooses its own (the most used), loads
//                   them at its entry and writes them back before it leaves; the runtime finds
//                   the running block's choice in runtime_register_map
//   r9              scratch that routines preserve (block-transfer base)
//   host SF ZF OF   guest N Z V; host CF holds NOT C, the borrow convention of x86 subtraction,
//                   so that every guest condition is a single host condition
// The register area stays in its static home, which generated code reaches RIP-relative.

#include <cstdint>

#ifndef XBYAK_NO_EXCEPTION
#define XBYAK_NO_EXCEPTION
#endif
#include <xbyak/xbyak.h>

// Where the running block keeps guest registers in host registers (the encoding is runtime.S's),
// for the routines that write them back and reload them; the 32-bit ARM host keeps its own in
// the register area instead.
extern "C" std::uint32_t runtime_register_map;

namespace x64 {

// Writes into the translation cache at its write pointer; never grows or reallocates.
class BlockCode : public Xbyak::CodeGenerator {
 public:
  BlockCode(std::uint8_t* start, std::size_t size) : Xbyak::CodeGenerator(size, start) {}
};

BlockCode& code();

// Host registers with a fixed role (see above).
inline const Xbyak::Reg32& cycle_counter() { return Xbyak::util::r10d; }
inline const Xbyak::Reg32& data_word() { return Xbyak::util::r11d; }

constexpr unsigned CACHED_REGISTERS = 6;

// The host register that caches guest register n in this block, or null.
const Xbyak::Reg32* cached_register(unsigned n);
// Stores every cached register to its slot, before the block leaves.
void write_back_registers();

// Guest register n into `dst`; r15 reads as the constant `pc_value`.
void load_guest(const Xbyak::Reg32& dst, unsigned n, std::uint32_t pc_value);
// `src` into guest register n (never r15: callers handle jumps).
void store_guest(unsigned n, const Xbyak::Reg32& src);
void store_guest_constant(unsigned n, std::uint32_t value);

// The guest flags into ah (SF ZF CF) and al (OF) and back: four instructions around host
// operations that would otherwise clobber them. eax is not available in between.
void save_flags();
void restore_flags();

// Calls a runtime routine with the guest address it needs in the data-word register.
void call_runtime(void (*routine)(), std::uint32_t word);
void call_runtime(void (*routine)());
void jump_runtime(void (*routine)());
// Leaves the block for a runtime routine, the cached registers written back first.
void leave_for_runtime(void (*routine)());

}  // namespace x64
