#pragma once
// A machine as a game start leaves it, for driving the scheduler, timers and registers directly:
// no cartridge, the CPU in System mode with interrupts masked so that raised interrupts only set
// IF unless a test unmasks them.

#include <gtest/gtest.h>

#include <cstdint>

#include "core/io/io_registers.h"
#include "core/memory/memory.h"
#include "core/state.h"
#include "core/timing/scheduler.h"
#include "cpu/code_memory.h"
#include "cpu/cpu_state.h"
#include "cpu/kest_port.h"

class HardwareTest : public ::testing::Test {
 protected:
  static constexpr std::uint32_t CPSR_SYSTEM_MASKED = 0x9F;

  void SetUp() override {
    clear_machine_state();
    ASSERT_TRUE(open_code_memory());
    if (!icache_is_open()) icache_open();
    reset_scheduler();
    reset_memory_map();
    reg[SLOT_PC] = 0x08000100;
    reg[SLOT_CPSR] = CPSR_SYSTEM_MASKED;
    reg[SLOT_MODE_INDEX] = MODE_USER_SYSTEM;
    scheduler_host = {0, nullptr};
  }

  void TearDown() override { scheduler_host = {0, nullptr}; }

  static std::uint32_t io16(std::uint32_t offset) { return io_read16(offset); }

  // One scheduler step with the budget it asked for last time; returns the next budget.
  static std::uint32_t step() { return advance_hardware(); }

  // Steps until `cycles` have passed in total since reset.
  static void run_until(std::int64_t cycles) {
    while (machine.elapsed_cycles < cycles) {
      std::int64_t left = cycles - machine.elapsed_cycles;
      if (machine.cycle_budget > left) machine.cycle_budget = static_cast<std::uint32_t>(left);
      step();
    }
  }

  // Steps to the start of the drawing part of `line` in the current frame or the next.
  static void run_to_line_start(std::uint32_t line) {
    do {
      step();
    } while (!(io16(IO_VCOUNT) == line && (io16(IO_DISPSTAT) & 2) == 0));
  }
};
