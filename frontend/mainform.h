#pragma once
// The main window: the information panel, the menus, and the driver that starts, pauses, resumes
// and stops the game. A game runs from the outermost message loop (see globals.h); pausing asks
// the run to stop at the end of the frame and shows the menu, resuming runs the game again.

#include <cstdint>
#include <memory>
#include <string>

#include "frontend/comnctls.h"
#include "frontend/game_driver.h"
#include "frontend/language.h"
#include "frontend/mem.h"
#include "frontend/msgbox.h"
#include "frontend/periodic_save.h"
#include "frontend/wndkbsetup.h"
#include "frontend/wndsoundsetting.h"
#include "frontend/wndvideosetting.h"

constexpr int MAIN_DESIGN_SIDE = 280;
constexpr int ROM_NAME_CAPACITY = 1024;
constexpr int SNAPSHOT_SLOTS = 3;

// Where the shell keeps what a person saves, and where its settings file is.
struct ShellPaths {
  std::string config_option;  // --config FILE, or empty for the usual place
  std::string save_dir;       // --save-dir DIR, or empty for beside the cartridge
  std::string help_url;       // the help page that ships with the program
  std::string about_url;
};

class CMainForm : public CWnd {
 public:
  CMainForm(CGameDriver& driver, ShellPaths paths);
  ~CMainForm() override;

  // Handlers.
  LResult WindowProc(unsigned message, WParam wparam, LParam lparam) override;
  LResult OnCreate(WParam wparam, LParam lparam) override;
  LResult OnSize(WParam wparam, LParam lparam) override;
  LResult OnCommand(WParam wparam, LParam lparam) override;
  LResult OnLButtonDown(WParam wparam, LParam lparam) override;
  LResult OnLButtonUp(WParam wparam, LParam lparam) override;
  LResult OnKeyDown(WParam wparam, LParam lparam) override;
  LResult OnKeyUp(WParam wparam, LParam lparam) override;
  LResult OnClose(WParam wparam, LParam lparam) override;

  // Key messages before translation: the open dialog's, else the form's key handlers. 1: taken.
  int PreTranslateMessage(const Message& message);

  // The game.
  int LoadRom();                      // chosen from the menu: the file dialog first
  int LoadRomFile(const char* path);  // a path already chosen (the command line, the dialog)
  int EnterGameScreen();
  int LeaveGameScreen();
  int PauseToMenu();
  int Resume();
  int SaveState(int n);
  int LoadState(int n);
  int SaveBackup();
  int LoadConfig();
  int SaveConfigIfChanged();
  // The exit sequence: settings, save memory, sound; then the outermost loop ends.
  int ExitSequence();
  // Runs the game when it should run; returns at once otherwise (the outermost loop's step).
  int RunGameIfRunning();
  // After every presented frame, before the messages are pumped.
  void OnFramePresented();
  // F12: the current frame beside the cartridge.
  int TakeScreenshot();

  int MakeStateFileName(int n, std::string& out) const;
  int MakeBackupFileName(std::string& out) const;
  int IsGameScreen() const { return is_game_screen; }
  CGameDriver& Driver() { return driver; }
  CMessageBox& MessageBox() { return message_box; }

  // The menus, in field order.
  std::unique_ptr<CMenu> menu_bar;
  std::unique_ptr<CPopupMenu> menu_left;
  std::unique_ptr<CMenu> mitem_loadrom, mitem_resume, mitem_exit;
  std::unique_ptr<CPopupMenu> menu_right;
  std::unique_ptr<CMenu> mitem_help, mitem_about;
  std::unique_ptr<CPopupMenu> menu_dir;
  std::unique_ptr<CMenu> mitem_dir1, mitem_dir2, mitem_dir3;
  std::unique_ptr<CPopupMenu> menu_savestate;
  std::unique_ptr<CMenu> mitem_save1, mitem_save2, mitem_save3;
  std::unique_ptr<CPopupMenu> menu_loadstate;
  std::unique_ptr<CMenu> mitem_load1, mitem_load2, mitem_load3;
  std::unique_ptr<CPopupMenu> menu_setting;
  std::unique_ptr<CMenu> mitem_kb_setting, mitem_video_setting, mitem_sound_setting;
  std::unique_ptr<CStatic> st_1, st_2, st_3, st_5, st_4;
  WindowHandle menu_bar_window = NO_WINDOW;
  std::unique_ptr<CWndKbSetup> wnd_kb_setup;
  std::unique_ptr<CWndVideoSetting> wnd_video_setting;
  std::unique_ptr<CWndSoundSetting> wnd_sound_setting;
  int is_rom_loaded = 0;
  std::unique_ptr<CMem> mem_rom_file_name;
  int touch_x = 0;
  int touch_y = 0;
  // The loaded cartridge's path (UTF-8); empty before one is loaded.
  std::string RomPath() const;

 private:
  int CreateLabels();
  int BuildMenus();
  void ReleaseAll();
  void RunCommand(WParam wparam);
  void SetScreenDir(int dir);
  void ShowProblem(const std::string& text, UiText title = UiText::CANNOT_LOAD_ROM);
  int SaveBeforeAnotherGame(const char* next_path);

  CGameDriver& driver;
  ShellPaths paths;
  CMessageBox message_box;
  CPeriodicSave periodic_save;
  int is_game_screen = 0;
  int in_game_run = 0;
  std::string pending_rom;  // chosen while a frame was on the stack
  // A cartridge not loaded because the running game's save could not be written: chosen again,
  // it is loaded all the same.
  std::string refused_for_save;
  int save_failure_shown = 0;  // the running game's save failed and the person was told
  int exiting = 0;
};
