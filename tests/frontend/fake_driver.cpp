#include "tests/frontend/fake_driver.h"

#include "frontend/gbaconfig.h"
#include "frontend/globals.h"
#include "frontend/mainform.h"
#include "platform/window_system.h"

int FakeDriver::CheckCartridge(const char* path, std::string& reason) {
  auto it = refused.find(path);
  if (it == refused.end()) return 1;
  reason = it->second;
  return 0;
}

int FakeDriver::StartGame(const char* path, const char* save_path, std::string&) {
  frame = 0;
  return note("start_game", std::string(path) + " " + save_path);
}

namespace {

// What the real game does around a presented frame: the shell's checks, then the frame's pump
// cycles.
void frame_presented() {
  if (g_main_form != nullptr) g_main_form->OnFramePresented();
  int pumps = UseDelayPerFrame(g_config.delay_per_frame);
  for (int i = 0; i < pumps; ++i) PumpMessages();
}

}  // namespace

int FakeDriver::RunGame() {
  note("run");
  stop = false;
  while (!stop && frames_left > 0) {
    --frames_left;
    ++frame;
    std::uint64_t before = pump_cycles_done();
    frame_presented();
    pumps_per_frame.push_back(static_cast<int>(pump_cycles_done() - before));
  }
  note("run_end");
  return 1;
}

void FakeDriver::PadTouch(int x, int y, int pressed) {
  pad_touches.push_back(std::to_string(x) + "," + std::to_string(y) + (pressed ? " down" : " up"));
}

std::vector<std::string> FakeDriver::calls(const std::vector<std::string>& names) const {
  std::vector<std::string> out;
  for (const std::string& entry : log) {
    std::string name = entry.substr(0, entry.find(' '));
    bool wanted = names.empty();
    for (const std::string& n : names) wanted = wanted || n == name;
    if (wanted) out.push_back(entry);
  }
  return out;
}

int FakeDriver::count(const std::string& name) const {
  return static_cast<int>(calls({name}).size());
}
