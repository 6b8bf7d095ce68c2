#include "app/machine_report.h"

#include "core/memory/memory.h"
#include "core/state.h"

void print_registers(std::FILE* out) {
  for (unsigned n = 0; n < 16; ++n) std::fprintf(out, "r%u=%08x ", n, reg[n]);
  std::fprintf(out, "cpsr=%08x\n", reg[SLOT_CPSR]);
}

// Reads go through the slow path, which sees every region as the CPU does.
void print_memory(std::FILE* out, std::uint32_t address, std::uint32_t length) {
  constexpr std::uint32_t PER_LINE = 16;
  for (std::uint32_t done = 0; done < length; done += PER_LINE) {
    std::uint32_t line = address + done;
    std::fprintf(out, "%08x:", line);
    for (std::uint32_t i = 0; i < PER_LINE && done + i < length; ++i) {
      std::fprintf(out, " %02x", mem_read8(line + i));
    }
    std::fputc('\n', out);
  }
}
