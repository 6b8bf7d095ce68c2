#pragma once
// What the core needs of the CPU and of the renderer, declared here so that the core never
// names them: whoever assembles a machine (the session, a test) installs the parts. Until then
// every call does nothing and the CPU reads as running.

#include <cstdint>

struct MachineLink {
  // CPU. `raise_interrupts` requests the interrupts in `bits` (IF |= bits) and enters the
  // handler when the CPU accepts one; `set_halt_state` and `halt_state` take a HaltState;
  // `request_redispatch` keeps the running block from carrying on after the current call.
  void (*raise_interrupts)(std::uint32_t bits);
  void (*set_halt_state)(std::uint32_t state);
  std::uint32_t (*halt_state)();
  void (*request_redispatch)();
  bool (*stop_requested)();

  // Translated code: RAM code that a store or a DMA overwrote, or everything.
  void (*flush_ram_code)();
  void (*flush_all_code)();

  // The CPU's section of a snapshot (see core/snapshot/snapshot.h): writes it at `out` or reads
  // it from `in`, returning the byte after it.
  std::uint8_t* (*store_cpu_state)(std::uint8_t* out);
  const std::uint8_t* (*load_cpu_state)(const std::uint8_t* in);

  // Renderer: draw line VCOUNT; the frame is complete.
  void (*draw_line)();
  void (*frame_end)();
};

extern MachineLink machine_link;

// Puts the do-nothing parts back.
void disconnect_machine_link();
