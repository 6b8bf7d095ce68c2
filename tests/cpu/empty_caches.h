#pragma once
// The machine as an emulation start leaves the translation caches: code memory and the
// instruction-cache interface open, the machine record cleared, ROM, RAM and BIOS flushed.

#include <gtest/gtest.h>

#include "core/state.h"
#include "cpu/code_memory.h"
#include "cpu/kest_port.h"
#include "cpu/translation_cache.h"

inline void start_with_empty_caches() {
  ASSERT_TRUE(open_code_memory());
  if (!icache_is_open()) {
    ASSERT_EQ(icache_open(), 1);
  }
  clear_machine_state();
  flush_rom_cache();
  flush_ram_cache();
  flush_bios_cache();
}
