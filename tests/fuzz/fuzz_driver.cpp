#include "tests/fuzz/fuzz_driver.h"

#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

bool parse_number(const char* text, std::uint64_t& value) {
  char* end = nullptr;
  errno = 0;
  value = std::strtoull(text, &end, 0);
  return errno == 0 && end != text && *end == '\0';
}

void usage(const char* program) {
  std::fprintf(stderr, "usage: %s SEED COUNT [--keep DIR] [--only N] [target options]\n", program);
}

std::string base_name(const char* path) {
  const char* slash = std::strrchr(path, '/');
  return slash ? slash + 1 : path;
}

// Input N is the mutator's Nth draw from a generator seeded with (seed, N).
Bytes make_input(const FuzzOptions& options, const std::vector<Bytes>& corpus,
                 std::size_t header_size, std::uint64_t index, const char** kind) {
  Mutator mutator(options.seed * 0x9E3779B97F4A7C15ull + index, header_size);
  Bytes input = mutator.mutate(corpus);
  *kind = mutator.last_kind();
  return input;
}

}  // namespace

bool parse_fuzz_options(int argc, char** argv, FuzzOptions& options) {
  options.program = argv[0];
  options.target = base_name(argv[0]);
  if (argc < 3 || !parse_number(argv[1], options.seed) || !parse_number(argv[2], options.count)) {
    usage(argv[0]);
    return false;
  }
  for (int i = 3; i < argc; ++i) {
    std::string argument = argv[i];
    std::uint64_t only = 0;
    if (argument == "--keep" && i + 1 < argc) {
      options.keep_dir = argv[++i];
    } else if (argument == "--only" && i + 1 < argc && parse_number(argv[i + 1], only)) {
      options.only = static_cast<long>(only);
      ++i;
    } else {
      options.arguments.push_back(argument);
    }
  }
  return true;
}

int run_fuzz(const FuzzOptions& options, const std::vector<Bytes>& corpus, std::size_t header_size,
             const FuzzCheck& check) {
  if (corpus.empty()) {
    std::fprintf(stderr, "%s: no corpus to mutate\n", options.target.c_str());
    return 1;
  }
  mkdir(options.keep_dir.c_str(), 0755);
  std::string current = options.keep_dir + "/" + options.target + "-current.bin";
  std::uint64_t first = options.only >= 0 ? static_cast<std::uint64_t>(options.only) : 0;
  std::uint64_t end = options.only >= 0 ? first + 1 : options.count;
  unsigned failures = 0;
  for (std::uint64_t index = first; index < end; ++index) {
    const char* kind = "";
    Bytes input = make_input(options, corpus, header_size, index, &kind);
    write_file(current, input);
    std::string failure = check(input, index);
    if (failure.empty()) continue;
    ++failures;
    std::string kept = options.keep_dir + "/" + options.target + "-" +
                       std::to_string(options.seed) + "-" + std::to_string(index) + ".bin";
    write_file(kept, input);
    std::string again =
        options.program + " " + std::to_string(options.seed) + " 1 --only " + std::to_string(index);
    for (const std::string& argument : options.arguments) again += " " + argument;
    std::printf("FAIL input %llu (%s, %zu bytes): %s\n  kept as %s\n  again: %s\n",
                static_cast<unsigned long long>(index), kind, input.size(), failure.c_str(),
                kept.c_str(), again.c_str());
    std::fflush(stdout);
  }
  std::remove(current.c_str());
  std::printf("%s: seed %llu, %llu inputs, %u failures\n", options.target.c_str(),
              static_cast<unsigned long long>(options.seed),
              static_cast<unsigned long long>(end - first), failures);
  return failures == 0 ? 0 : 1;
}
