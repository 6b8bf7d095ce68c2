#include "frontend/mainform.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "frontend/assertion.h"
#include "frontend/config_path.h"
#include "frontend/game_files.h"
#include "frontend/gbaconfig.h"
#include "frontend/globals.h"
#include "frontend/keygrab.h"
#include "frontend/language.h"
#include "frontend/open_url.h"
#include "frontend/owned.h"
#include "platform/keys.h"
#include "platform/menus.h"
#include "platform/messages.h"

namespace {

// The information panel's texts that are ours to choose.
constexpr char16_t VERSION_TEXT[] = u"Orvane 2.4.2";
constexpr char16_t AUTHOR_TEXT[] = u"Orvane team";
constexpr char16_t STUDIO_TEXT[] = u"Orvane Studio";
constexpr char16_t WEB_TEXT[] = u"orvane.example.org";
constexpr char16_t MAIL_TEXT[] = u"orvane@example.org";

constexpr int SCREEN_DIR_3 = 4;  // the third direction's value
constexpr unsigned FOCUS_LOSS_PAUSE_MS = 100;
constexpr LParam KEY_REPEAT_BIT = 1 << 30;

bool key_held(std::int32_t code) {
  return code >= 0 && code < static_cast<std::int32_t>(vk::COUNT) &&
         async_key_state(static_cast<unsigned>(code)) < 0;
}

void report(const char* condition, const char* file, int line) {
  report_assertion(condition, file, line);
}

}  // namespace

CMainForm::CMainForm(CGameDriver& game_driver, ShellPaths shell_paths)
    : driver(game_driver), paths(std::move(shell_paths)) {
  g_main_form = this;
}

CMainForm::~CMainForm() {
  ReleaseAll();
  Release();
  if (g_main_form == this) g_main_form = nullptr;
  StopMessageLoop();
}

// ---- Creation --------------------------------------------------------------------------------

int CMainForm::CreateLabels() {
  const struct {
    std::unique_ptr<CStatic>* field;
    const char16_t* text;
    std::uint32_t alignment;
    const char* name;
  } labels[] = {
      {&st_1, VERSION_TEXT, style::TEXT_CENTER, "this->st_1"},
      {&st_2, AUTHOR_TEXT, style::TEXT_CENTER, "this->st_2"},
      {&st_3, STUDIO_TEXT, style::TEXT_CENTER, "this->st_3"},
      {&st_5, MAIL_TEXT, style::TEXT_RIGHT, "this->st_5"},
      {&st_4, WEB_TEXT, style::TEXT_CENTER, "this->st_4"},
  };
  for (const auto& label : labels) {
    *label.field = ORVANE_NEW(CStatic);
    CStatic& control = **label.field;
    control.SetParent(hwnd);
    control.SetTitle(label.text);
    control.AddStyle(label.alignment);
    if (!control.CreateControl()) {
      report(label.name, __FILE__, __LINE__);
      return 0;
    }
    control.SetSystemFont();
  }
  return 1;
}

int CMainForm::BuildMenus() {
  menu_bar = ORVANE_NEW(CMenu);
  menu_left = ORVANE_NEW(CPopupMenu);
  menu_right = ORVANE_NEW(CPopupMenu);
  const struct {
    std::unique_ptr<CMenu>* entry;
    UiText text;
  } entries[] = {
      {&mitem_loadrom, UiText::LOAD_ROM},
      {&mitem_resume, UiText::RESUME},
      {&mitem_exit, UiText::EXIT},
      {&mitem_help, UiText::HELP},
      {&mitem_about, UiText::ABOUT},
      {&mitem_dir1, UiText::DIR_1},
      {&mitem_dir2, UiText::DIR_2},
      {&mitem_dir3, UiText::DIR_3},
      {&mitem_save1, UiText::SAVE_1},
      {&mitem_save2, UiText::SAVE_2},
      {&mitem_save3, UiText::SAVE_3},
      {&mitem_load1, UiText::LOAD_1},
      {&mitem_load2, UiText::LOAD_2},
      {&mitem_load3, UiText::LOAD_3},
      {&mitem_kb_setting, UiText::KEY_SETUP},
      {&mitem_video_setting, UiText::VIDEO_SETUP},
      {&mitem_sound_setting, UiText::SOUND_SETUP},
  };
  for (const auto& e : entries) {
    *e.entry = ORVANE_NEW(CMenu);
    (*e.entry)->SetText(Text(e.text));
  }
  const struct {
    std::unique_ptr<CPopupMenu>* submenu;
    UiText text;
    CMenu* items[3];
  } submenus[] = {
      {&menu_setting,
       UiText::SETTINGS,
       {mitem_kb_setting.get(), mitem_video_setting.get(), mitem_sound_setting.get()}},
      {&menu_loadstate,
       UiText::LOAD_STATE,
       {mitem_load1.get(), mitem_load2.get(), mitem_load3.get()}},
      {&menu_savestate,
       UiText::SAVE_STATE,
       {mitem_save1.get(), mitem_save2.get(), mitem_save3.get()}},
      {&menu_dir, UiText::SCREEN_DIR, {mitem_dir1.get(), mitem_dir2.get(), mitem_dir3.get()}},
  };
  menu_left->SetText(Text(UiText::MENU));
  menu_right->SetText(Text(UiText::HELP));
  ORVANE_CHECK(this->menu_bar->Create(), 0);
  ORVANE_CHECK(this->menu_left->Create(), 0);
  ORVANE_CHECK(this->menu_right->Create(), 0);
  menu_left->SetOwner(hwnd);
  menu_right->SetOwner(hwnd);
  for (const auto& s : submenus) {
    *s.submenu = ORVANE_NEW(CPopupMenu);
    (*s.submenu)->SetText(Text(s.text));
    ORVANE_CHECK((*s.submenu)->Create(), 0);
    for (CMenu* item : s.items) (*s.submenu)->AppendItem(item);
  }
  menu_left->AppendItem(mitem_loadrom.get());
  menu_left->AppendSeparator();
  for (const auto& s : submenus) menu_left->AppendSubMenu(s.submenu->get());
  menu_left->AppendSeparator();
  menu_left->AppendItem(mitem_resume.get());
  menu_left->AppendSeparator();
  menu_left->AppendItem(mitem_exit.get());
  menu_right->AppendItem(mitem_help.get());
  menu_right->AppendItem(mitem_about.get());
  menu_bar->AppendSubMenu(menu_left.get());
  menu_bar->AppendSubMenu(menu_right.get());
  return 1;
}

LResult CMainForm::OnCreate(WParam, LParam) {
  if (!CreateLabels()) return 0;
  mem_rom_file_name = ORVANE_NEW(CMem);
  ORVANE_CHECK(this->mem_rom_file_name->Malloc(ROM_NAME_CAPACITY), 0);
  if (!BuildMenus()) return 0;
  CreateMenuBar(menu_bar.get());
  wnd_kb_setup = ORVANE_NEW(CWndKbSetup);
  wnd_video_setting = ORVANE_NEW(CWndVideoSetting);
  wnd_sound_setting = ORVANE_NEW(CWndSoundSetting);
  LoadConfig();
  std::string reason;
  if (!driver.PrepareHost(reason)) ShowProblem(reason);
  SetDesignSize(MAIN_DESIGN_SIDE, MAIN_DESIGN_SIDE);
  OnSize(0, 0);
  return 1;
}

LResult CMainForm::OnSize(WParam, LParam) {
  if (!st_4) return 1;
  Place(st_1.get(), 45, 20, 161, 31);
  Place(st_2.get(), 45, 60, 161, 36);
  Place(st_3.get(), 45, 105, 161, 26);
  Place(st_4.get(), 5, 140, 271, 31);
  Place(st_5.get(), 5, 250, 271, 26);
  return 1;
}

void CMainForm::ReleaseAll() {
  for (auto* label : {&st_1, &st_2, &st_3, &st_5, &st_4}) ORVANE_FREE(*label);
  ORVANE_FREE(menu_bar);
  ORVANE_FREE(menu_left);
  for (auto* entry : {&mitem_loadrom, &mitem_resume, &mitem_exit}) ORVANE_FREE(*entry);
  ORVANE_FREE(menu_right);
  for (auto* entry : {&mitem_help, &mitem_about}) ORVANE_FREE(*entry);
  ORVANE_FREE(menu_dir);
  for (auto* entry : {&mitem_dir1, &mitem_dir2, &mitem_dir3}) ORVANE_FREE(*entry);
  ORVANE_FREE(menu_savestate);
  for (auto* entry : {&mitem_save1, &mitem_save2, &mitem_save3}) ORVANE_FREE(*entry);
  ORVANE_FREE(menu_loadstate);
  for (auto* entry : {&mitem_load1, &mitem_load2, &mitem_load3}) ORVANE_FREE(*entry);
  ORVANE_FREE(menu_setting);
  for (auto* entry : {&mitem_kb_setting, &mitem_video_setting, &mitem_sound_setting}) {
    ORVANE_FREE(*entry);
  }
  ORVANE_FREE(wnd_kb_setup);
  ORVANE_FREE(wnd_video_setting);
  ORVANE_FREE(wnd_sound_setting);
  ORVANE_FREE(mem_rom_file_name);
  menu_bar_window = NO_WINDOW;
  is_rom_loaded = 0;
  touch_x = touch_y = 0;
}

// ---- Messages --------------------------------------------------------------------------------

LResult CMainForm::WindowProc(unsigned message, WParam wparam, LParam lparam) {
  bool focus_lost = message == msg::ACTIVATE && wparam == INACTIVE;
  if (focus_lost && is_game_screen) {
    ShellSleep(FOCUS_LOSS_PAUSE_MS);
    PauseToMenu();
  }
  return CWnd::WindowProc(message, wparam, lparam);
}

int CMainForm::PreTranslateMessage(const Message& message) {
  for (CSettingsDialog* dialog : {static_cast<CSettingsDialog*>(wnd_kb_setup.get()),
                                  static_cast<CSettingsDialog*>(wnd_video_setting.get()),
                                  static_cast<CSettingsDialog*>(wnd_sound_setting.get())}) {
    if (dialog != nullptr && dialog->IsOpen()) return dialog->PreTranslate(message);
  }
  if (message.message == msg::KEY_DOWN) {
    OnKeyDown(message.wparam, message.lparam);
    return 1;
  }
  if (message.message == msg::KEY_UP) {
    OnKeyUp(message.wparam, message.lparam);
    return 1;
  }
  return 0;
}

LResult CMainForm::OnCommand(WParam wparam, LParam) {
  RunCommand(wparam);
  return 1;
}

void CMainForm::RunCommand(WParam wparam) {
  auto is = [wparam](const std::unique_ptr<CMenu>& entry) {
    return entry && entry->IsMyCommand(wparam);
  };
  if (is(mitem_loadrom)) LoadRom();
  if (is(mitem_exit)) OnClose(0, 0);
  if (is(mitem_kb_setting)) wnd_kb_setup->Open(hwnd);
  if (is(mitem_video_setting)) wnd_video_setting->Open(hwnd);
  if (is(mitem_sound_setting)) wnd_sound_setting->Open(hwnd);
  if (is(mitem_resume)) Resume();
  if (is(mitem_dir1)) SetScreenDir(1);
  if (is(mitem_dir2)) SetScreenDir(2);
  if (is(mitem_dir3)) SetScreenDir(SCREEN_DIR_3);
  if (is(mitem_save1)) SaveState(1);
  if (is(mitem_load1)) LoadState(1);
  if (is(mitem_save2)) SaveState(2);
  if (is(mitem_load2)) LoadState(2);
  if (is(mitem_save3)) SaveState(3);
  if (is(mitem_load3)) LoadState(3);
  if (is(mitem_about)) OpenUrl(paths.about_url.c_str());
  if (is(mitem_help)) OpenUrl(paths.help_url.c_str());
}

void CMainForm::SetScreenDir(int dir) {
  g_config.screen_dir = dir;
  Resume();
}

LResult CMainForm::OnLButtonDown(WParam, LParam lparam) {
  if (!is_rom_loaded) return 0;
  if (!is_game_screen) {
    EnterGameScreen();  // the outermost loop runs the game again
    return 1;
  }
  Point p = point_from_param(lparam);
  int surface_width = 0, surface_height = 0;
  driver.SurfaceSize(surface_width, surface_height);
  int screen_width = system_metric(Metric::SCREEN_WIDTH);
  int screen_height = system_metric(Metric::SCREEN_HEIGHT);
  if (surface_width > 0 && surface_height > 0 && screen_width > 0 && screen_height > 0) {
    p.x = p.x * surface_width / screen_width;
    p.y = p.y * surface_height / screen_height;
  }
  if (driver.HitsMenuButton(p.x, p.y)) {
    PauseToMenu();
    return 1;
  }
  driver.PadTouch(p.x, p.y, 1);
  touch_x = p.x;
  touch_y = p.y;
  return 1;
}

LResult CMainForm::OnLButtonUp(WParam, LParam) {
  if (!is_rom_loaded) return 0;  // no pad and no console buttons yet: a tap does nothing
  driver.PadTouch(touch_x, touch_y, 0);
  touch_x = touch_y = -1;
  return 1;
}

LResult CMainForm::OnKeyDown(WParam wparam, LParam lparam) {
  auto key = static_cast<std::int32_t>(wparam);
  if (key_held(g_config.vk_switch)) {
    // A held switch key repeats; only a key that really went down switches.
    if ((lparam & KEY_REPEAT_BIT) == 0) is_game_screen ? PauseToMenu() : Resume();
  } else if (KeyMatches(g_config.vk_save1, key)) {
    SaveState(1);
  } else if (KeyMatches(g_config.vk_load1, key)) {
    LoadState(1);
  } else {
    if (key == static_cast<std::int32_t>(vk::F12) && is_game_screen) TakeScreenshot();
    driver.PollKeyboard();
  }
  return 1;
}

LResult CMainForm::OnKeyUp(WParam, LParam) {
  driver.PollKeyboard();
  return 1;
}

LResult CMainForm::OnClose(WParam, LParam) { return ExitSequence(); }

// ---- The game --------------------------------------------------------------------------------

std::string CMainForm::RomPath() const {
  return mem_rom_file_name ? std::string(mem_rom_file_name->CStr()) : std::string();
}

int CMainForm::MakeStateFileName(int n, std::string& out) const {
  out.clear();
  ORVANE_CHECK(this->is_rom_loaded, 0);
  char suffix[16];
  std::snprintf(suffix, sizeof suffix, "_%d.sna", n);
  return MakeGameFileName(RomPath(), paths.save_dir, suffix, out) ? 1 : 0;
}

int CMainForm::MakeBackupFileName(std::string& out) const {
  out.clear();
  ORVANE_CHECK(this->is_rom_loaded, 0);
  return MakeGameFileName(RomPath(), paths.save_dir, ".sav", out) ? 1 : 0;
}

int CMainForm::LoadRom() {
  std::string chosen;
  driver.ChooseCartridge(hwnd, chosen);
  if (chosen.empty()) {
    report("mem.StrLenW() > 0", __FILE__, __LINE__);
    return 0;
  }
  return LoadRomFile(chosen.c_str());
}

int CMainForm::LoadRomFile(const char* path) {
  ORVANE_CHECK(path && path[0] != '\0', 0);
  std::string reason;
  if (std::strlen(path) >= ROM_NAME_CAPACITY) {
    ShowProblem(std::string(path) + ": the path is longer than 1023 bytes");
    return 0;
  }
  // Checked before anything is reset: a file that cannot be loaded leaves the game paused.
  if (!driver.CheckCartridge(path, reason)) {
    ShowProblem(reason);
    return 0;
  }
  if (in_game_run) {
    // Chosen while the game's frame is still on the stack: the run ends first, the outermost
    // loop starts the new game (RunGameIfRunning).
    pending_rom = path;
    driver.RequestStop();
    return 1;
  }
  if (!SaveBeforeAnotherGame(path)) return 0;
  std::string save_path;
  std::string rom = path;
  is_rom_loaded = 1;
  mem_rom_file_name->SetSize(0);
  mem_rom_file_name->Write(rom.c_str(), static_cast<fsize_t>(rom.size() + 1));
  if (!MakeBackupFileName(save_path)) {
    debug_output("%s: no save file name can be built; this game's save is not kept\r\n", path);
  }
  if (!driver.StartGame(path, save_path.c_str(), reason)) {
    is_rom_loaded = 0;
    mem_rom_file_name->SetSize(0);
    LeaveGameScreen();
    ShowProblem(reason);
    return 0;
  }
  periodic_save.Reset(driver.SaveWriteCount());
  save_failure_shown = 0;
  return EnterGameScreen();
}

int CMainForm::RunGameIfRunning() {
  if (!pending_rom.empty()) {
    std::string path = std::move(pending_rom);
    pending_rom.clear();
    LoadRomFile(path.c_str());
    return 1;
  }
  if (!is_rom_loaded || !is_game_screen || exiting) return 0;
  in_game_run = 1;
  int ran = driver.RunGame();
  in_game_run = 0;
  if (!ran && is_game_screen) {
    LeaveGameScreen();
    ShowProblem(
        "The game jumped to code that cannot run. Load one of its snapshots, or another "
        "cartridge.",
        UiText::GAME_STOPPED);
  }
  return 1;
}

int CMainForm::EnterGameScreen() {
  if (hwnd == NO_WINDOW) {
    report("g_main_form.hwnd", __FILE__, __LINE__);
    return 0;
  }
  RemoveKbHook();
  InstallKbHook();
  driver.OpenSound();
  int width = system_metric(Metric::SCREEN_WIDTH);
  int height = system_metric(Metric::SCREEN_HEIGHT);
  show_task_bar(false);
  menu_bar_window = menu_bar_of(hwnd);
  if (menu_bar_window != NO_WINDOW) show_window(menu_bar_window, false);
  close_menus();
  move_window(hwnd, 0, 0, width, height, true);
  show_window(hwnd, true);
  set_active_window(hwnd);
  is_game_screen = 1;
  driver.EnterScreen(hwnd);
  return 1;
}

int CMainForm::LeaveGameScreen() {
  if (hwnd == NO_WINDOW) {
    report("g_main_form.hwnd", __FILE__, __LINE__);
    return 0;
  }
  if (!is_game_screen) return 1;
  driver.CloseSound();
  RemoveKbHook();
  driver.LeaveScreen();
  is_game_screen = 0;
  show_task_bar(true);
  if (menu_bar_window == NO_WINDOW || !is_window(menu_bar_window)) {
    CreateMenuBar(menu_bar.get());
  } else {
    int caption = system_metric(Metric::CAPTION_HEIGHT);
    move_window(
        hwnd, 0, caption, system_metric(Metric::SCREEN_WIDTH),
        system_metric(Metric::SCREEN_HEIGHT) - system_metric(Metric::MENU_BAR_HEIGHT) - caption,
        true);
    show_window(menu_bar_window, true);
  }
  invalidate_window(hwnd);
  return 1;
}

int CMainForm::PauseToMenu() {
  LeaveGameScreen();
  if (in_game_run) driver.RequestStop();
  return 1;
}

int CMainForm::Resume() { return static_cast<int>(OnLButtonDown(0, 0)); }

int CMainForm::SaveState(int n) {
  if (!is_rom_loaded) return 1;
  std::string name;
  if (MakeStateFileName(n, name) && !driver.SaveSnapshot(name.c_str())) {
    // Playing on would let the person believe the game is kept: the menu, and why.
    int why = errno;
    PauseToMenu();
    ShowProblem(name + ": " + std::strerror(why), UiText::SNAPSHOT_FAILED);
    return 1;
  }
  Resume();
  return 1;
}

int CMainForm::LoadState(int n) {
  if (!is_rom_loaded) return 1;
  std::string name;
  if (MakeStateFileName(n, name) && !driver.LoadSnapshot(name.c_str()) && errno != ENOENT) {
    // An empty slot just resumes; a file that is there but is no snapshot of ours is named, and
    // the game stays as it was.
    int why = errno;
    PauseToMenu();
    ShowProblem(name + ": " + (why == EINVAL ? "not a snapshot" : std::strerror(why)),
                UiText::SNAPSHOT_NOT_LOADED);
    return 1;
  }
  Resume();
  driver.SetSnapshotLoaded();
  return 1;
}

int CMainForm::SaveBackup() {
  if (!is_rom_loaded) return 1;
  std::string name;
  if (!MakeBackupFileName(name)) return 0;
  int written = driver.WriteSave(name.c_str());
  periodic_save.Written();
  return written;
}

// A save that cannot be written pauses the game once, with the reason, so that the person can
// make room before more is lost; it is tried again after the game's next write.
void CMainForm::OnFramePresented() {
  if (!is_rom_loaded) return;
  if (!periodic_save.WriteDue(driver.FrameNumber(), driver.SaveWriteCount(),
                              driver.SaveSequenceInProgress())) {
    return;
  }
  if (SaveBackup()) {
    save_failure_shown = 0;
    return;
  }
  if (save_failure_shown) return;
  save_failure_shown = 1;
  std::string name;
  MakeBackupFileName(name);
  PauseToMenu();
  ShowProblem(name +
                  ": the save could not be written; the previous file is unchanged. Make room "
                  "or choose another folder with --save-dir.",
              UiText::SAVE_FAILED);
}

// The running game's save is written before another game replaces it; when that fails, the other
// game is not loaded unless the person chooses it again, knowing the save is lost.
int CMainForm::SaveBeforeAnotherGame(const char* next_path) {
  bool insisted = refused_for_save == next_path;
  refused_for_save.clear();
  if (SaveBackup() || insisted) return 1;
  refused_for_save = next_path;
  std::string name;
  MakeBackupFileName(name);
  ShowProblem(name + ": the save could not be written, so " + next_path +
                  " was not loaded. Make room and load it again, or choose it again to load it "
                  "without keeping this save.",
              UiText::SAVE_FAILED);
  return 0;
}

int CMainForm::TakeScreenshot() {
  if (!is_rom_loaded) return 0;
  std::string name;
  if (!MakeGameFileName(RomPath(), paths.save_dir, ScreenshotSuffix(std::time(nullptr)), name)) {
    return 0;
  }
  if (!driver.WriteScreenshot(name.c_str())) {
    std::fprintf(stderr, "orvane: %s: the screenshot could not be written\n", name.c_str());
    return 0;
  }
  std::printf("orvane: screenshot written to %s\n", name.c_str());
  std::fflush(stdout);
  return 1;
}

int CMainForm::LoadConfig() { return LoadConfiguration(paths.config_option.c_str()); }

int CMainForm::SaveConfigIfChanged() {
  return SaveConfigurationIfChanged(paths.config_option.c_str());
}

int CMainForm::ExitSequence() {
  if (exiting) return 1;
  exiting = 1;
  RemoveKbHook();
  SaveConfigIfChanged();
  SaveBackup();
  driver.CloseSound();  // the device plays nothing more once the program has gone
  if (in_game_run) driver.RequestStop();
  StopMessageLoop();
  request_quit();
  return 1;
}

void CMainForm::ShowProblem(const std::string& text, UiText title) {
  std::fprintf(stderr, "orvane: %s\n", text.c_str());
  message_box.Show(Text(title), text);
}
