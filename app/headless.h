#pragma once
// Running a cartridge without a window: load it as a game start does, run a number of frames as
// fast as the host allows, report.

#include "app/options.h"

// Returns the program's exit status.
int run_headless(const Options& options);
