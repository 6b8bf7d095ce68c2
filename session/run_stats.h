#pragma once
// Where a headless run's time went: the translators and the scheduler are timed through the
// pointers they are called by; what remains of the run is generated code.

#include <cstdint>

// Wraps the installed translators and scheduler with timed versions. Call after both are in place.
void start_run_stats();
void stop_run_stats();

void print_run_stats(std::uint32_t frames);
