// Writes the header of machine-record offsets that the hand-written runtime assembly uses. It
// runs at build time on the target (through the cross-compiling emulator when there is one),
// so the offsets are the target's own whatever its pointer size.

#include <cstddef>
#include <cstdio>

#include "core/state.h"
#include "cpu/translation_cache.h"

namespace {

void define(std::FILE* out, const char* name, std::size_t value) {
  std::fprintf(out, "#define %s %zu\n", name, value);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTPUT.h\n", argv[0]);
    return 2;
  }
  std::FILE* out = std::fopen(argv[1], "w");
  if (out == nullptr) {
    std::perror(argv[1]);
    return 1;
  }
  std::fprintf(out,
               "/* Byte offsets into the machine record for the hand-written runtime, which "
               "cannot use\n   offsetof. Generated at build time; do not edit. */\n"
               "#pragma once\n\n");
  define(out, "STATE_REGISTERS", offsetof(MachineState, registers));
  define(out, "STATE_SAVED_PSR", offsetof(MachineState, saved_psr));
  define(out, "STATE_BANKED", offsetof(MachineState, banked));
  define(out, "STATE_BANKED_MODE_SIZE", sizeof(MachineState::banked[0]));
  define(out, "STATE_BIOS_AREA", offsetof(MachineState, bios_area));
  define(out, "STATE_READ_MAP", offsetof(MachineState, read_map));
  define(out, "STATE_WRITE_MAP", offsetof(MachineState, write_map));
  define(out, "STATE_MAP_ENTRY_SIZE", sizeof(MachineState::read_map[0]));
  define(out, "STATE_MAP_ENTRIES", MAP_ENTRIES);
  define(out, "INDIRECT_CACHE_BITS", INDIRECT_CACHE_BITS);
  define(out, "INDIRECT_ENTRY_CODE", offsetof(IndirectJumpEntry, code));
  std::fprintf(out,
               "\n#define SLOT_OFFSET(n) (STATE_REGISTERS + 4 * (n))\n"
               "#define BANKED_OFFSET(mode, word) "
               "(STATE_BANKED + STATE_BANKED_MODE_SIZE * (mode) + 4 * (word))\n"
               "#define SAVED_PSR_OFFSET(mode) (STATE_SAVED_PSR + 4 * (mode))\n");
  bool written = std::ferror(out) == 0;
  if (std::fclose(out) != 0 || !written) {
    std::perror(argv[1]);
    return 1;
  }
  return 0;
}
