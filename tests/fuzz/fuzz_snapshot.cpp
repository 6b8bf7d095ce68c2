// Snapshots: a real snapshot of a running game, mutated, handed to session_load_snapshot. A
// refused one must leave the machine record byte for byte as it was; an accepted one must run 30
// frames without a crash (ending as asked, or at a jump where no code runs).
//
//   fuzz_snapshot SEED COUNT [--keep DIR] [--only N] CARTRIDGE

#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "core/state.h"
#include "session/session.h"
#include "tests/fuzz/fuzz_driver.h"

namespace {

constexpr unsigned FRAMES_BEFORE = 3;
constexpr unsigned FRAMES_AFTER = 30;

unsigned frames_left;
void count_down(std::uint32_t) {
  if (frames_left == 0 || --frames_left == 0) session_request_stop();
}
void quiet(const char*) {}

bool run_frames(unsigned frames) {
  frames_left = frames;
  StopReason reason = session_run();
  return reason == StopReason::STOP_REQUESTED || reason == StopReason::BAD_JUMP;
}

bool start(const std::string& cartridge, const std::string& save_dir) {
  std::string error;
  if (session_start_game(cartridge.c_str(), save_dir.c_str(), error))
    return run_frames(FRAMES_BEFORE);
  std::fprintf(stderr, "fuzz_snapshot: %s\n", error.c_str());
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  FuzzOptions options;
  if (!parse_fuzz_options(argc, argv, options)) return 2;
  if (options.arguments.size() != 1) {
    std::fprintf(stderr, "%s: needs one cartridge\n", argv[0]);
    return 2;
  }
  SessionHooks hooks;
  hooks.frame_ended = count_down;
  hooks.notice = quiet;
  hooks.debug_sink = quiet;
  if (!session_open(hooks)) return 1;
  std::string work = options.keep_dir + "/snapshot-" + std::to_string(getpid());
  std::system(("mkdir -p '" + work + "'").c_str());
  std::string cartridge = options.arguments[0];
  std::string snapshot = work + "/game.sna";
  Bytes real;
  if (!start(cartridge, work) || !session_save_snapshot(snapshot.c_str()) ||
      !read_file(snapshot, real)) {
    std::fprintf(stderr, "%s: no snapshot of %s to start from\n", argv[0], cartridge.c_str());
    return 1;
  }
  auto before = std::make_unique<MachineState>();
  int status = run_fuzz(options, {real}, 64, [&](const Bytes& input, std::uint64_t) -> std::string {
    if (!start(cartridge, work)) return "the cartridge no longer starts";
    write_file(snapshot, input);
    std::memcpy(before.get(), &machine, sizeof machine);
    if (!session_load_snapshot(snapshot.c_str())) {
      if (std::memcmp(before.get(), &machine, sizeof machine) != 0) {
        return "refused, but the machine record changed";
      }
      return "";
    }
    if (!run_frames(FRAMES_AFTER)) return "accepted, then the run did not end as asked";
    return "";
  });
  session_close();
  std::system(("rm -rf '" + work + "'").c_str());
  return status;
}
