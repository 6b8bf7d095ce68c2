#pragma once
// Small helpers of the support library that are not streams.

#include <cstddef>
#include <cstdint>

// A plain forward byte copy: byte 0 first, then 1, ... (overlapping areas copy as such a loop
// does, not as memmove does).
void MemCopy(void* target, const void* source, std::size_t n);

// The millisecond clock (the multimedia timer of the device): milliseconds of a steady clock,
// wrapping at 2^32 like the device's. Readers compare times by unsigned difference.
std::uint32_t GetMilliseconds();

// A clock that can be replaced, as the task manager takes one (tests drive it by hand).
using MillisecondClock = std::uint32_t (*)();
