#pragma once
// Pieces of text the ARM and Thumb disassemblers and the failure reports have in common.

#include <string>

inline constexpr const char* register_names[16] = {"r0",  "r1", "r2", "r3", "r4",  "r5",
                                                   "r6",  "r7", "r8", "r9", "r10", "r11",
                                                   "r12", "sp", "lr", "pc"};

// printf into a string; instructions render in far less than its buffer.
std::string format(const char* pattern, ...) __attribute__((format(printf, 1, 2)));
