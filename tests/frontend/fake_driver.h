#pragma once
// A game driver that records what the shell asks of it, in order, and plays frames that end as the
// console's do: the shell's checks and the pump cycles after each presented frame.

#include <cerrno>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "frontend/game_driver.h"

class FakeDriver : public CGameDriver {
 public:
  int PrepareHost(std::string&) override { return 1; }
  int CheckCartridge(const char* path, std::string& reason) override;
  int StartGame(const char* path, const char* save_path, std::string& reason) override;
  int RunGame() override;
  void RequestStop() override { stop = true; }
  int SaveSnapshot(const char* path) override { return note("save_snapshot", path); }
  int LoadSnapshot(const char* path) override { return note("load_snapshot", path); }
  void SetSnapshotLoaded() override { note("snapshot_loaded"); }
  int WriteSave(const char* path) override { return note("write_save", path); }
  unsigned SaveWriteCount() override { return save_writes; }
  int SaveSequenceInProgress() override { return sequence_busy; }
  unsigned FrameNumber() override { return frame; }
  int WriteScreenshot(const char* path) override { return note("screenshot", path); }
  int EnterScreen(WindowHandle) override { return note("enter_screen"); }
  int LeaveScreen() override { return note("leave_screen"); }
  int OpenSound() override { return note("open_sound"); }
  int CloseSound() override { return note("close_sound"); }
  void SurfaceSize(int& width, int& height) override {
    width = surface_width;
    height = surface_height;
  }
  void PollKeyboard() override { ++keyboard_polls; }
  void PadTouch(int x, int y, int pressed) override;
  int HitsMenuButton(int x, int y) override {
    return x >= 5 && x <= 41 && y >= 5 && y <= 41;  // the menu button of direction 1 at 240 x 320
  }
  int ChooseCartridge(WindowHandle, std::string& path) override {
    path = next_choice;
    return !path.empty();
  }

  // Only the calls named in `names` (all when empty), in order.
  std::vector<std::string> calls(const std::vector<std::string>& names = {}) const;
  int count(const std::string& name) const;

  std::vector<std::string> log;
  std::map<std::string, std::string> refused;  // path -> reason
  std::set<std::string> failing;               // calls that return 0 (still recorded)
  int failing_errno = EIO;                     // and set errno to this
  std::string next_choice;
  std::vector<std::string> pad_touches;
  std::vector<int> pumps_per_frame;
  unsigned frame = 0;
  unsigned save_writes = 0;
  int sequence_busy = 0;
  int frames_left = 0;  // frames a RunGame plays when nobody asks it to stop
  int keyboard_polls = 0;
  int surface_width = 240;
  int surface_height = 320;
  bool stop = false;

 private:
  int note(const std::string& name, const std::string& argument = "") {
    log.push_back(argument.empty() ? name : name + " " + argument);
    if (failing.count(name) == 0) return 1;
    errno = failing_errno;
    return 0;
  }
};
