#pragma once
// Test driver for the translators: places guest code and data in the machine, runs it as
// translated host code until it reaches a stop address, and reads the state back.

#include <cstddef>
#include <cstdint>
#include <vector>

struct GuestState {
  std::uint32_t r[16];  // on entry r[15] is where execution starts; on return, where it stopped
  std::uint32_t cpsr;   // NZCV, I, F, T and mode bits as the console's CPSR
};

enum class RunResult {
  STOPPED,      // reached the stop address
  BAD_JUMP,     // jumped somewhere no code can run from
  OUT_OF_TIME,  // the cycle allowance ran out first
};

// A fresh machine: memory map reset, all translation caches flushed, a 1 MB cartridge of zeros.
void reset_guest_machine();

// Copies guest bytes into ROM (0x08000000 + offset below 1 MB), EWRAM or IWRAM.
void write_guest_bytes(std::uint32_t address, const void* bytes, std::size_t count);
void write_guest_words(std::uint32_t address, const std::vector<std::uint32_t>& words);
void write_guest_halfwords(std::uint32_t address, const std::vector<std::uint16_t>& halfwords);
std::uint32_t read_guest_word(std::uint32_t address);

// Replaces BIOS words in the machine's copy of the image (for vectors of a test's own).
void write_bios_words(std::uint32_t address, const std::vector<std::uint32_t>& words);

// Called from the scheduler stand-in each time generated code hands over, before the stop
// check; a test raises interrupts or looks at the machine from here. Null removes it.
void set_scheduler_hook(void (*hook)());

// Runs from `start` until the guest's next block would begin at `stop_address` (the stop is
// checked whenever generated code hands control to the scheduler, and every branch does), or
// until `max_cycles` guest cycles have passed. `state` receives the registers and CPSR.
RunResult run_guest(const GuestState& start, std::uint32_t stop_address, GuestState& state,
                    std::uint64_t max_cycles = 1'000'000);
