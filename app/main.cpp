// The orvane program. For now it opens a cartridge and reports what it is; running it comes with
// the emulation driver.

#include <cstdio>
#include <cstring>

#include "core/cartridge.h"
#include "core/state.h"

namespace {

void print_usage(std::FILE* out) {
  std::fputs("usage: orvane --info ROM    show the cartridge's header and how it would be loaded\n"
             "       orvane --help\n",
             out);
}

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
  if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
    print_usage(stdout);
    return 0;
  }
  if (argc == 3 && std::strcmp(argv[1], "--info") == 0) return show_info(argv[2]);
  print_usage(stderr);
  return 2;
}
