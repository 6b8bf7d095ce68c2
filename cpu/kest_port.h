#pragma once
// The host instruction-cache interface. Generated code is written as data; before the processor
// runs it, the range must be made coherent with the instruction cache. x86-64 keeps the caches
// coherent by itself, so there the flush only checks its arguments; an ARM host cleans and
// invalidates the range.
//
// Each function returns 1 on success and 0 on failure, after reporting the failed condition
// through report_assertion().

#include <cstddef>
#include <cstdint>

// Opens the interface; once per program, at start-up.
int icache_open();
// Closes it; once, at program end.
int icache_close();
bool icache_is_open();

// Makes `length` bytes from `begin` coherent. Needs an open interface.
int icache_flush_length(std::uint8_t* begin, std::size_t length);
// The same for [begin, end); an empty or reversed range is a caller's error.
int icache_flush_range(std::uint8_t* begin, std::uint8_t* end);

// Tests watch which ranges are flushed through this (null: nobody watches). A missed flush is
// invisible where the instruction cache is coherent or emulated (x86-64, qemu-user).
using IcacheFlushObserver = void (*)(const std::uint8_t* begin, std::size_t length);
void icache_observe_flushes(IcacheFlushObserver observer);
