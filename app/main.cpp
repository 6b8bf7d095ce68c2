// The orvane program: the main window, a headless run of a cartridge, or what a cartridge is.

#include <cstdio>
#include <string>

#include "app/headless.h"
#include "app/options.h"
#include "app/ui_run.h"
#include "app/window_stats.h"
#include "core/cartridge/cartridge.h"
#include "core/state.h"

namespace {

constexpr int EXIT_BAD_COMMAND_LINE = 2;

int show_info(const char* path) {
  if (!alloc_rom_buffer()) {
    std::fprintf(stderr, "orvane: %s\n", cartridge_error_text(CartridgeError::NO_BUFFER));
    return 1;
  }
  CartridgeError error{};
  if (!load_cartridge(path, &error)) {
    std::fprintf(stderr, "orvane: %s: %s\n", path, cartridge_error_text(error));
    return 1;
  }
  std::printf("title \"%s\", game code \"%s\", maker \"%s\", %u KB, %s\n", machine.rom_title,
              machine.rom_game_code, machine.rom_maker_code, machine.rom_size / 1024,
              rom_is_paged() ? "paged" : "loaded whole");
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  note_program_start();
  Options options;
  std::string error;
  if (!parse_options(argc, argv, options, error)) {
    std::fprintf(stderr, "orvane: %s\n", error.c_str());
    print_usage(stderr);
    return EXIT_BAD_COMMAND_LINE;
  }
  switch (options.command) {
    case Command::HELP: print_usage(stdout); return 0;
    case Command::INFO: return show_info(options.rom_path.c_str());
    case Command::HEADLESS: return run_headless(options);
    case Command::UI: return run_ui(options);
  }
  return EXIT_BAD_COMMAND_LINE;
}
