#pragma once
// Runs a program as a child process with a time limit, for the fuzz targets that judge the
// orvane program from outside: its exit status, the signal that ended it, what it printed.

#include <string>
#include <vector>

struct ChildResult {
  bool exited = false;  // false: ended by a signal (or could not be started)
  int status = 0;       // exit status, or the signal's number
  bool timed_out = false;
  double seconds = 0;
  std::string output;  // standard output and standard error together
};

// Runs `argv[0]` with `argv`; after `limit_seconds` the child is killed (SIGKILL).
ChildResult run_child(const std::vector<std::string>& argv, double limit_seconds);

// "exit 3", "signal 11 (Segmentation fault)", "killed after 60 s".
std::string describe(const ChildResult& result);
