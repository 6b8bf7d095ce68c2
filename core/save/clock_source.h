#pragma once
// Where the cartridge clock reads the time: the host's local time unless a test installs another
// source. Host-side, so not part of the machine state.

#include <ctime>

using ClockSource = std::tm (*)();

// nullptr puts the host's local time back.
void set_clock_source(ClockSource source);

std::tm clock_now();
