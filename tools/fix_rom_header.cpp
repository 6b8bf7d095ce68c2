// Build-time tool: gives a cartridge image the header bytes the console checks, in place.
//   usage: fix_rom_header FILE.gba

#include <cstdio>
#include <fstream>
#include <iterator>

#include "tools/rom_header.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: fix_rom_header FILE.gba\n");
    return 2;
  }
  std::ifstream in(argv[1], std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "fix_rom_header: %s: cannot be read\n", argv[1]);
    return 1;
  }
  std::vector<std::uint8_t> rom((std::istreambuf_iterator<char>(in)),
                                std::istreambuf_iterator<char>());
  in.close();
  std::string error;
  if (!fix_rom_header(rom, error)) {
    std::fprintf(stderr, "fix_rom_header: %s: %s\n", argv[1], error.c_str());
    return 1;
  }
  std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(rom.data()), static_cast<std::streamsize>(rom.size()));
  if (!out.flush()) {
    std::fprintf(stderr, "fix_rom_header: %s: cannot be written\n", argv[1]);
    return 1;
  }
  return 0;
}
