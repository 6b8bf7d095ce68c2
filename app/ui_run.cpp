#include "app/ui_run.h"

#include <cstdio>

#include "app/options.h"
#include "frontend/comnctls.h"
#include "frontend/wnd.h"
#include "platform/headless/headless_backend.h"
#include "platform/sdl/sdl_backend.h"
#include "platform/window_system.h"

namespace {

constexpr int EXIT_FAILED = 1;
constexpr int EXIT_BAD_SCRIPT = 2;
constexpr int DESIGN_SIDE = 240;

// A window titled "Orvane" with a label and a menu bar whose entries write into the label: enough
// for a script to open a popup, choose an entry and photograph the result.
class CStandInForm : public CWnd {
 public:
  LResult OnCreate(WParam, LParam) override {
    st_status.SetParent(hwnd);
    st_status.SetTitle(u"Orvane");
    st_status.AddStyle(style::TEXT_CENTER);
    if (!st_status.CreateControl()) return 0;
    BuildMenus();
    CreateMenuBar(&menu_bar);
    SetDesignSize(DESIGN_SIDE, DESIGN_SIDE);
    OnSize(0, 0);
    return 1;
  }

  LResult OnSize(WParam, LParam) override { return Place(&st_status, 20, 60, 200, 30); }

  LResult OnCommand(WParam wparam, LParam) override {
    for (CMenu* entry : {&mitem_resume, &mitem_kb, &mitem_video, &mitem_sound, &mitem_about}) {
      if (entry->IsMyCommand(wparam)) st_status.SetTitle(entry->text.c_str());
    }
    if (mitem_exit.IsMyCommand(wparam)) Close();
    return 1;
  }

 private:
  void BuildMenus() {
    menu_left.SetText(u"菜单");
    menu_right.SetText(u"帮助");
    menu_setting.SetText(u"设置");
    mitem_resume.SetText(u"继续");
    mitem_kb.SetText(u"按键设置");
    mitem_video.SetText(u"显示设置");
    mitem_sound.SetText(u"声音设置");
    mitem_exit.SetText(u"退出");
    mitem_about.SetText(u"关于");
    menu_bar.Create();
    menu_left.Create();
    menu_right.Create();
    menu_setting.Create();
    menu_left.SetOwner(hwnd);
    menu_right.SetOwner(hwnd);
    for (CMenu* entry : {&mitem_kb, &mitem_video, &mitem_sound}) menu_setting.AppendItem(entry);
    menu_left.AppendItem(&mitem_resume);
    menu_left.AppendSeparator();
    menu_left.AppendSubMenu(&menu_setting);
    menu_left.AppendSeparator();
    menu_left.AppendItem(&mitem_exit);
    menu_right.AppendItem(&mitem_about);
    menu_bar.AppendSubMenu(&menu_left);
    menu_bar.AppendSubMenu(&menu_right);
  }

  CStatic st_status;
  CMenu menu_bar;
  CPopupMenu menu_left, menu_right;
  CPopupMenu menu_setting;
  CMenu mitem_resume, mitem_kb, mitem_video, mitem_sound, mitem_exit, mitem_about;
};

}  // namespace

int run_ui_script(Backend& backend, int width, int height, std::vector<ScriptCommand> script,
                  std::string& error) {
  if (!open_window_system(backend, width, height)) {
    error = "cannot open the window system";
    return EXIT_FAILED;
  }
  int status = EXIT_FAILED;
  {
    CWnd::RegisterWndClass();
    CStandInForm form;
    form.SetTitle(u"Orvane");
    ScriptPlayer player(std::move(script));
    set_cycle_input(&player);
    if (form.Create()) {
      while (!quit_requested()) {
        pump_cycle();
        if (!quit_requested()) backend.idle();
      }
      error = player.failure();
      status = error.empty() ? 0 : EXIT_FAILED;
    } else {
      error = "cannot create the window";
    }
    set_cycle_input(nullptr);
  }
  close_window_system();
  return status;
}

int run_ui(const Options& options) {
  std::vector<ScriptCommand> script;
  std::string error;
  if (!load_ui_script(options.ui_script_path, options.device_width, options.device_height, script,
                      error)) {
    std::fprintf(stderr, "orvane: %s\n", error.c_str());
    return EXIT_BAD_SCRIPT;
  }
  HeadlessBackend headless;
  SdlBackend sdl;
  Backend* backend = &headless;
  if (!options.ui_headless) {
    if (!sdl.open(options.device_width, options.device_height, options.zoom, error)) {
      std::fprintf(stderr, "orvane: %s\n", error.c_str());
      return EXIT_FAILED;
    }
    backend = &sdl;
  }
  int status = run_ui_script(*backend, options.device_width, options.device_height,
                             std::move(script), error);
  if (status != 0) std::fprintf(stderr, "orvane: %s\n", error.c_str());
  return status;
}
