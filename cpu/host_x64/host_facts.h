#pragma once
// What shared code must know of the x86-64 host.

#include <cstdint>

// Generated code reaches the runtime routines with rel32 call/jmp and the machine record
// RIP-relative: 2 GB either way. The code areas are placed so that the whole span from them to
// both stays below this.
constexpr std::uintptr_t HOST_CODE_REACH = 0x7FFFFFFF;
