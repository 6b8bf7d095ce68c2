#pragma once
// What shared code must know of the 32-bit ARM host.

#include <cstdint>

// Generated code reaches the runtime routines and other blocks with B/BL: a signed 24-bit word
// offset, 32 MB either way. The code areas are placed so that the whole span from them to the
// program stays below this.
constexpr std::uintptr_t HOST_CODE_REACH = 0x02000000 - 8;
