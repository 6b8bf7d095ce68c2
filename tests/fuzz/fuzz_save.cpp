// Save files: a mutated .sav of every save type and size (EEPROM 512 B and 8 KB, SRAM 32 KB,
// flash 64 KB and 128 KB, and whatever sizes the mutations make) beside a cartridge that never
// writes its save memory. The game must start and run (status 0), and the file must stay byte
// for byte as it was, with nothing left beside it: only a game that writes may replace it.
//
//   fuzz_save SEED COUNT [--keep DIR] [--only N] ORVANE CARTRIDGE

#include <dirent.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "tests/fuzz/child_run.h"
#include "tests/fuzz/fuzz_driver.h"

namespace {

constexpr double HANG_SECONDS = 120;

// Erased memory (0xFF) with a little of a game's data written into it.
std::vector<Bytes> save_corpus() {
  std::vector<Bytes> corpus;
  for (std::size_t size : {512u, 8192u, 32768u, 65536u, 131072u}) {
    Bytes save(size, 0xFF);
    for (std::size_t i = 0; i < size / 8; ++i) save[i] = static_cast<std::uint8_t>(i * 7 + size);
    corpus.push_back(save);
  }
  return corpus;
}

std::vector<std::string> folder_entries(const std::string& path) {
  std::vector<std::string> names;
  if (DIR* dir = opendir(path.c_str())) {
    while (dirent* entry = readdir(dir)) {
      std::string name = entry->d_name;
      if (name != "." && name != "..") names.push_back(name);
    }
    closedir(dir);
  }
  return names;
}

}  // namespace

int main(int argc, char** argv) {
  FuzzOptions options;
  if (!parse_fuzz_options(argc, argv, options)) return 2;
  if (options.arguments.size() != 2) {
    std::fprintf(stderr, "%s: needs the orvane program and a cartridge\n", argv[0]);
    return 2;
  }
  const std::string& orvane = options.arguments[0];
  std::string work = options.keep_dir + "/save-" + std::to_string(getpid());
  std::string rom = work + "/game.gba";
  std::string save = work + "/game.sav";
  std::system(
      ("mkdir -p '" + work + "' && cp '" + options.arguments[1] + "' '" + rom + "'").c_str());
  int status = run_fuzz(options, save_corpus(), 16, [&](const Bytes& input, std::uint64_t) {
    write_file(save, input);
    ChildResult result = run_child({orvane, "--headless", "--frames", "30", rom}, HANG_SECONDS);
    std::string failure;
    Bytes after;
    if (!result.exited || result.status != 0) {
      failure = describe(result) + ": " + result.output.substr(0, 300);
    } else if (!read_file(save, after) || after != input) {
      failure = "the save file changed";
    } else if (folder_entries(work).size() != 2) {
      failure = "files were left beside the save";
    }
    if (!failure.empty())
      failure += "\n  run: cp KEPT game.sav; " + orvane + " --headless --frames 30 game.gba";
    return failure;
  });
  std::system(("rm -rf '" + work + "'").c_str());
  return status;
}
