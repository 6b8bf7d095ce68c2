#include "app/ui_run.h"

#include <cstdio>

#include "app/game_driver.h"
#include "app/options.h"
#include "app/window_stats.h"
#include "frontend/globals.h"
#include "frontend/language.h"
#include "frontend/mainform.h"
#include "platform/headless/headless_backend.h"
#include "platform/sdl/sdl_backend.h"
#include "platform/window_system.h"

namespace {

constexpr int EXIT_FAILED = 1;
constexpr int EXIT_BAD_SCRIPT = 2;

ShellPaths shell_paths(const Options& options) {
  return {options.config_path, options.save_dir, help_page_url(), ABOUT_URL};
}

}  // namespace

int run_program(Backend& backend, const Options& options, std::vector<ScriptCommand>* script,
                std::string& error) {
  if (!open_window_system(backend, options.device_width, options.device_height)) {
    error = "cannot open the window system";
    return EXIT_FAILED;
  }
  int status = EXIT_FAILED;
  GlobalsInit();
  CWnd::RegisterWndClass();
  {
    std::unique_ptr<CGameDriver> driver = make_game_driver();
    CMainForm form(*driver, shell_paths(options));
    form.SetTitle(u"window");
    ScriptPlayer player(script != nullptr ? std::move(*script) : std::vector<ScriptCommand>{});
    if (script != nullptr) set_cycle_input(&player);
    if (form.Create()) {
      if (!options.rom_path.empty()) form.LoadRomFile(options.rom_path.c_str());
      RunMessageLoop();
      error = player.failure();
      status = error.empty() ? 0 : EXIT_FAILED;
    } else {
      error = "cannot create the main window";
    }
    set_cycle_input(nullptr);
  }
  GlobalsExit();
  close_window_system();
  return status;
}

int run_ui(const Options& options) {
  SetLanguage(options.language_given ? (options.english ? Language::ENGLISH : Language::CHINESE)
                                     : LanguageFromEnvironment());
  std::vector<ScriptCommand> script;
  std::string error;
  bool scripted = !options.ui_script_path.empty();
  if (scripted && !load_ui_script(options.ui_script_path, options.device_width,
                                  options.device_height, script, error)) {
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
  int status = run_program(*backend, options, scripted ? &script : nullptr, error);
  if (options.stats) print_window_stats(stdout);
  if (status != 0) std::fprintf(stderr, "orvane: %s\n", error.c_str());
  return status;
}
