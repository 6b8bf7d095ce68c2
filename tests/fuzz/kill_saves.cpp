// Saves under SIGKILL: the orvane program is killed at random moments of runs that write a
// snapshot (always) or a cartridge's .sav (with a cartridge that writes its save memory). After
// each kill the file must be the old one or the complete new one, byte for byte, with at most the
// killed run's own temporary file beside it (each write removes those of killed writers before
// it starts), and after each run that was not killed nothing at all.
//
//   kill_saves SEED TRIALS ORVANE CARTRIDGE [SAVING_CARTRIDGE]

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "tests/fuzz/child_run.h"
#include "tests/fuzz/mutator.h"

namespace {

struct Trials {
  std::string name;
  std::string folder;  // holds the file and nothing else
  std::string file;
  std::vector<std::string> command;
  Bytes old_content;
  Bytes new_content;
};

unsigned stray_files(const Trials& trials) {
  unsigned count = 0;
  if (DIR* dir = opendir(trials.folder.c_str())) {
    while (dirent* entry = readdir(dir)) {
      std::string name = entry->d_name;
      if (name != "." && name != ".." && trials.folder + "/" + name != trials.file) ++count;
    }
    closedir(dir);
  }
  return count;
}

// Starts the command, kills it after `delay`, and says whether it had ended by itself first.
bool run_and_kill(const std::vector<std::string>& command, std::chrono::microseconds delay) {
  std::fflush(stdout);
  pid_t child = fork();
  if (child == 0) {
    int null = open("/dev/null", O_WRONLY);
    dup2(null, 1);
    dup2(null, 2);
    std::vector<char*> args;
    for (const std::string& arg : command) args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    execv(args[0], args.data());
    _exit(127);
  }
  std::this_thread::sleep_for(delay);
  kill(child, SIGKILL);
  int status = 0;
  waitpid(child, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// The new content from a run that is not killed; false when the program fails.
bool prepare(Trials& trials, double& seconds) {
  write_file(trials.file, trials.old_content);
  ChildResult result = run_child(trials.command, 120);
  seconds = result.seconds;
  if (!result.exited || result.status != 0 || !read_file(trials.file, trials.new_content)) {
    std::printf("%s: the run that is not killed failed: %s %s\n", trials.name.c_str(),
                describe(result).c_str(), result.output.c_str());
    return false;
  }
  if (trials.new_content == trials.old_content) {
    std::printf("%s: the run did not change the file\n", trials.name.c_str());
    return false;
  }
  return true;
}

unsigned run_trials(Trials& trials, unsigned count, std::mt19937_64& random) {
  double seconds = 0;
  if (!prepare(trials, seconds)) return count;
  std::uniform_int_distribution<long> delay(0, static_cast<long>(seconds * 1e6));
  unsigned lost = 0;
  unsigned killed = 0;
  unsigned most_strays = 0;
  for (unsigned trial = 0; trial < count; ++trial) {
    write_file(trials.file, trials.old_content);
    bool finished = run_and_kill(trials.command, std::chrono::microseconds(delay(random)));
    Bytes after;
    bool intact = read_file(trials.file, after) &&
                  (after == trials.old_content || after == trials.new_content);
    unsigned strays = stray_files(trials);
    most_strays = std::max(most_strays, strays);
    if (!finished) ++killed;
    if (!intact) {
      ++lost;
      std::printf("%s: trial %u: the file is neither the old nor the new one (%zu bytes)\n",
                  trials.name.c_str(), trial, after.size());
    }
    if (strays > (finished ? 0u : 1u)) {
      ++lost;
      std::printf("%s: trial %u: %u files beside the file after a %s run\n", trials.name.c_str(),
                  trial, strays, finished ? "complete" : "killed");
    }
  }
  std::printf(
      "%s: %u trials, %u killed before the end, %u lost or piled up, at most %u temporaries\n",
      trials.name.c_str(), count, killed, lost, most_strays);
  return lost;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 5 || argc > 6) {
    std::fprintf(stderr, "usage: %s SEED TRIALS ORVANE CARTRIDGE [SAVING_CARTRIDGE]\n", argv[0]);
    return 2;
  }
  std::mt19937_64 random(std::strtoull(argv[1], nullptr, 0));
  unsigned count = static_cast<unsigned>(std::strtoul(argv[2], nullptr, 0));
  std::string orvane = argv[3];
  const char* tmp = std::getenv("TMPDIR");
  std::string work = std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") +
                     "/orvane-kill-saves-" + std::to_string(getpid());
  std::system(
      ("rm -rf " + work + " && mkdir -p " + work + "/state " + work + "/save " + work + "/rom")
          .c_str());
  unsigned lost = 0;

  Trials snapshot{"snapshot",
                  work + "/state",
                  work + "/state/game.sna",
                  {orvane, "--headless", "--frames", "2", "--save-dir", work + "/rom",
                   "--save-state", work + "/state/game.sna", "--at-frame", "1", argv[4]},
                  Bytes(430147, 0x5A),
                  {}};
  lost += run_trials(snapshot, count, random);

  if (argc == 6) {
    std::string rom = work + "/rom/game.gba";
    std::system(("cp '" + std::string(argv[5]) + "' " + rom).c_str());
    Trials save{"save",
                work + "/save",
                work + "/save/game.sav",
                {orvane, "--headless", "--frames", "30", "--save-dir", work + "/save", rom},
                Bytes(32768, 0xFF),
                {}};  // erased SRAM, which the game then writes
    lost += run_trials(save, count, random);
  }
  std::system(("rm -rf " + work).c_str());
  return lost == 0 ? 0 : 1;
}
