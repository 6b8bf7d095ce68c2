#include "app/game_driver.h"

#include <unistd.h>

#include <cctype>
#include <climits>
#include <cstdio>
#include <string>

#include "app/screenshot.h"
#include "app/window_stats.h"
#include "core/save/backup.h"
#include "core/state.h"
#include "frontend/buttons.h"
#include "frontend/encoder.h"
#include "frontend/filebase.h"
#include "frontend/game_frame.h"
#include "frontend/game_screen.h"
#include "frontend/globals.h"
#include "frontend/mainform.h"
#include "frontend/mem.h"
#include "frontend/present.h"
#include "frontend/screen_display.h"
#include "frontend/screenpad.h"
#include "frontend/sound_device.h"
#include "frontend/winmisc.h"
#include "session/session.h"

namespace {

// The folder part of `path` with its slash; empty for a bare name.
std::string folder_of(const std::string& path) {
  std::size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// The console behind the main window: the session runs the game, the game-screen pieces show it,
// take the buttons and play the sound.
class SessionDriver : public CGameDriver {
 public:
  int PrepareHost(std::string& reason) override {
    SessionHooks hooks;
    hooks.frame_presented = game_frame_presented;
    hooks.frame_ended = frame_ended;
    hooks.notice = notice;
    if (!session_open(hooks)) {
      return fail(reason, last_notice.empty() ? "the host cannot run the console" : last_notice);
    }
    if (!OpenDisplay()) return fail(reason, "no display surface can be created");
    set_frame_message_pump(PumpMessages);
    running = this;
    host_ready = true;
    return 1;
  }

  ~SessionDriver() override {
    if (running == this) running = nullptr;
    CloseDisplay();
    session_close();
  }

  int CheckCartridge(const char* path, std::string& reason) override {
    return session_check_cartridge(path, reason) ? 1 : 0;
  }

  // The shell names the save file; the session builds the same name in the same folder.
  int StartGame(const char* path, const char* save_path, std::string& reason) override {
    // The main window stays usable without a console (it says why at its start); games do not.
    if (!host_ready) return fail(reason, "the console cannot run on this host (see above)");
    std::string rom = path, save = save_path;
    std::string save_dir = folder_of(save) == folder_of(rom) ? std::string() : folder_of(save);
    g_buttons = CConsoleButtons();
    if (!session_start_game(path, save_dir.c_str(), reason)) return 0;
    return 1;
  }

  int RunGame() override {
    stop = false;
    note_game_run_started(machine.frames_done);
    StopReason reason = session_run();
    note_game_run_ended(machine.frames_done);
    return reason == StopReason::BAD_JUMP ? 0 : 1;
  }

  void RequestStop() override { stop = true; }
  int SaveSnapshot(const char* path) override { return session_save_snapshot(path) ? 1 : 0; }
  int LoadSnapshot(const char* path) override { return session_load_snapshot(path) ? 1 : 0; }
  // A load during the run already tells the scheduler to restart from the loaded state.
  void SetSnapshotLoaded() override {}
  // The session writes the save when the game ends; the shell asks for it on its own schedule too.
  int WriteSave(const char*) override { return session_write_save() ? 1 : 0; }
  unsigned SaveWriteCount() override { return save_memory_write_count(); }
  int SaveSequenceInProgress() override { return save_sequence_in_progress() ? 1 : 0; }
  unsigned FrameNumber() override { return machine.frames_done; }
  int WriteScreenshot(const char* path) override {
    return write_screenshot(path, machine.frame_pixels) ? 1 : 0;
  }

  int EnterScreen(WindowHandle window) override {
    install_game_frame_hook();
    return PrepareGameDisplay(window);
  }
  int LeaveScreen() override {
    ReleaseGameDisplay();
    remove_game_frame_hook();
    return 1;
  }
  int OpenSound() override { return ::OpenSound(); }
  int CloseSound() override {
    ::CloseSound();
    return 1;
  }
  void SurfaceSize(int& width, int& height) override {
    width = g_display.Width();
    height = g_display.Height();
  }

  void PollKeyboard() override { g_buttons.PollKeyboard(); }
  void PadTouch(int x, int y, int pressed) override {
    g_buttons.touch_x = pressed ? x : 0;
    g_buttons.touch_y = pressed ? y : 0;
    g_buttons.PadTouch(x, y, pressed);
  }
  int HitsMenuButton(int x, int y) override { return g_screen_pad.HitTest(x, y, SCREEN_BTN_MENU); }

  int ChooseCartridge(WindowHandle owner, std::string& path) override {
    path.clear();
    CMemStack chosen;
    static const char16_t filter[] = u"GBA Rom\0*.gba\0\0";
    std::string last = g_main_form != nullptr ? g_main_form->RomPath() : std::string();
    if (!OpenFileDialog(owner, &chosen, filter, last.empty() ? nullptr : last.c_str())) return 0;
    CMemStack utf8;
    UnicodeToGb(&chosen, &utf8);
    path = utf8.GetP();
    return path.empty() ? 0 : 1;
  }

 private:
  static int fail(std::string& reason, const std::string& text) {
    reason = text;
    return 0;
  }

  static void notice(const char* text) {
    last_notice = text;
    std::fprintf(stderr, "orvane: %s\n", text);
  }

  // After every frame end: the shell's turn (the periodic save), then a stop the shell asked for
  // while the frame was presented.
  static void frame_ended(std::uint32_t) {
    if (running == nullptr) return;
    note_frame_shown();
    if (g_main_form != nullptr) g_main_form->OnFramePresented();
    if (running->stop) session_request_stop();
  }

  static SessionDriver* running;
  static std::string last_notice;
  bool stop = false;
  bool host_ready = false;
};

SessionDriver* SessionDriver::running = nullptr;
std::string SessionDriver::last_notice;

}  // namespace

std::unique_ptr<CGameDriver> make_game_driver() { return std::make_unique<SessionDriver>(); }

std::string file_url(const std::string& path) {
  // Bytes other than unreserved ones and the slash are percent-encoded, so a folder with a space
  // or a non-ASCII name still opens.
  static const char HEX[] = "0123456789ABCDEF";
  std::string url = "file://";
  for (unsigned char c : path) {
    if (std::isalnum(c) || c == '/' || c == '-' || c == '_' || c == '.' || c == '~') {
      url += static_cast<char>(c);
    } else {
      url += '%';
      url += HEX[c >> 4];
      url += HEX[c & 0xF];
    }
  }
  return url;
}

std::string help_page_url() {
  char path[PATH_MAX] = {};
  ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
  std::string folder = length > 0 ? std::string(path, static_cast<std::size_t>(length)) : "";
  folder = folder.substr(0, folder.find_last_of('/') + 1);
  return file_url(folder + "help.html");
}
