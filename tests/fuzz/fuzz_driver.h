#pragma once
// The loop every fuzz target shares: `TARGET SEED COUNT [--keep DIR] [--only N] [extra options]`.
// Input N of a run is made from the seed and N alone, so `--only N` makes a failure again. Before
// each input runs it is written to DIR/TARGET-current.bin, so even an input that kills the fuzzer
// is kept; a failing input stays as DIR/TARGET-SEED-N.bin beside its reproduction line.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "tests/fuzz/mutator.h"

struct FuzzOptions {
  std::string program;  // as it was called
  std::string target;   // names kept files and the summary
  std::uint64_t seed = 0;
  std::uint64_t count = 0;
  std::string keep_dir = "fuzz-failures";
  long only = -1;                      // run just this input
  std::vector<std::string> arguments;  // what the target itself takes, in order
};

// Reads the command line; prints the usage and returns false on a bad one.
bool parse_fuzz_options(int argc, char** argv, FuzzOptions& options);

// Checks one input: an empty text when every invariant held, otherwise what went wrong.
using FuzzCheck = std::function<std::string(const Bytes& input, std::uint64_t index)>;

// Mutates `corpus` `count` times and checks each input; prints one line per failure and a
// summary ("TARGET: N inputs, N failures"). Returns the process exit status (0: no failure).
int run_fuzz(const FuzzOptions& options, const std::vector<Bytes>& corpus, std::size_t header_size,
             const FuzzCheck& check);
