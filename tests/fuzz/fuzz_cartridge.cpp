// Cartridges: mutated real cartridges run for 30 frames by the orvane program, headless. Each
// must end with status 0 (ran), 1 (refused) or 3 (jumped where no code runs), never by a signal,
// and within a bounded amount of translation work: a frame may cost at most four code cache
// flushes. The slowest input's frame rate is reported; --min-fps N makes a slower one a failure
// (for long runs on a quiet machine: a wall-clock goal does not belong in a loaded test run).
//
//   fuzz_cartridge SEED COUNT [--keep DIR] [--only N] ORVANE CARTRIDGE... [--min-fps N]

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "tests/fuzz/child_run.h"
#include "tests/fuzz/fuzz_driver.h"
#include "tests/fuzz/run_figures.h"

namespace {

constexpr unsigned FRAMES = 30;
constexpr std::size_t CARTRIDGE_HEADER = 0xC0;
constexpr double HANG_SECONDS = 120;
// Work a frame may cost at most, whatever the code. A guest that never runs the same code twice
// (zeros past the image) runs about 100,000 new instructions a frame, a few MB of host code:
// up to a few flushes of the 2 MB cartridge cache. Blocks without a length bound cost dozens.
constexpr double MAX_ROM_FLUSHES_PER_FRAME = 4.0;

struct Slowest {
  double fps = 1e9;
  std::uint64_t index = 0;
};

std::string check_run(const ChildResult& result, const RunFigures& figures, double min_fps) {
  if (result.timed_out || !result.exited) return describe(result);
  if (result.status != 0 && result.status != 1 && result.status != 3) {
    return describe(result) + ": " + result.output.substr(0, 300);
  }
  if (result.status == 1) return "";
  if (!figures.found) return "no --stats figures in the output";
  if (figures.rom_flushes > MAX_ROM_FLUSHES_PER_FRAME * figures.frames + 1) {
    return std::to_string(figures.rom_flushes) + " cartridge cache flushes in " +
           std::to_string(figures.frames) + " frames";
  }
  if (min_fps > 0 && figures.frames_per_second < min_fps) {
    return "only " + std::to_string(figures.frames_per_second) + " frames/s";
  }
  return "";
}

}  // namespace

int main(int argc, char** argv) {
  FuzzOptions options;
  if (!parse_fuzz_options(argc, argv, options)) return 2;
  double min_fps = 0;
  std::vector<std::string> paths;
  for (std::size_t i = 0; i < options.arguments.size(); ++i) {
    if (options.arguments[i] == "--min-fps" && i + 1 < options.arguments.size()) {
      min_fps = std::atof(options.arguments[++i].c_str());
    } else {
      paths.push_back(options.arguments[i]);
    }
  }
  if (paths.size() < 2) {
    std::fprintf(stderr, "%s: needs the orvane program and at least one cartridge\n", argv[0]);
    return 2;
  }
  std::string orvane = paths[0];
  std::vector<Bytes> corpus;
  for (std::size_t i = 1; i < paths.size(); ++i) {
    Bytes bytes;
    if (read_file(paths[i], bytes)) corpus.push_back(std::move(bytes));
  }
  std::string work = options.keep_dir + "/cartridge-" + std::to_string(getpid());
  std::string rom = work + "/game.gba";
  std::system(("mkdir -p '" + work + "'").c_str());
  Slowest slowest;
  int status =
      run_fuzz(options, corpus, CARTRIDGE_HEADER, [&](const Bytes& input, std::uint64_t index) {
        write_file(rom, input);
        ChildResult result = run_child({orvane, "--headless", "--frames", std::to_string(FRAMES),
                                        "--stats", "--save-dir", work, rom},
                                       HANG_SECONDS);
        RunFigures figures = read_run_figures(result.output);
        if (result.exited && result.status == 0 && figures.found &&
            figures.frames_per_second < slowest.fps) {
          slowest = {figures.frames_per_second, index};
        }
        std::string failure = check_run(result, figures, min_fps);
        if (!failure.empty())
          failure += "\n  run: " + orvane + " --headless --frames 30 --stats KEPT";
        return failure;
      });
  std::system(("rm -rf '" + work + "'").c_str());
  if (slowest.fps < 1e9) {
    std::printf("slowest input: %llu, %.1f frames/s\n",
                static_cast<unsigned long long>(slowest.index), slowest.fps);
  }
  return status;
}
