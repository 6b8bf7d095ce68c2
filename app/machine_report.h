#pragma once
// What a headless run prints about the machine afterwards, in forms scripts can read.

#include <cstdint>
#include <cstdio>

// One line: r0=xxxxxxxx ... r15=xxxxxxxx cpsr=xxxxxxxx, registers of the current mode.
void print_registers(std::FILE* out);

// `length` bytes from `address`, 16 a line: "aaaaaaaa: bb bb ...".
void print_memory(std::FILE* out, std::uint32_t address, std::uint32_t length);
