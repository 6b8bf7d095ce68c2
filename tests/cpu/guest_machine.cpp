#include "tests/cpu/guest_machine.h"

#include <cstring>

#include "core/cartridge/cartridge.h"
#include "core/memory/memory.h"
#include "core/state.h"
#include "cpu/arm_translate.h"
#include "cpu/code_memory.h"
#include "cpu/cpu_state.h"
#include "cpu/kest_port.h"
#include "cpu/runtime.h"
#include "cpu/translation_cache.h"
#include "cpu/translation_settings.h"

namespace {

constexpr std::size_t TEST_ROM_SIZE = 1 << 20;
constexpr std::uint32_t SLICE = 2000;  // cycles between two looks at the stop address

struct DriverState {
  std::uint32_t stop_address;
  std::uint64_t cycles_left;
  bool out_of_time;
};
DriverState driver;
void (*scheduler_hook)() = nullptr;

std::uint8_t* guest_pointer(std::uint32_t address) {
  std::uint32_t region = address >> 24;
  if (region == 0x08) return rom_buffer + (address & (TEST_ROM_SIZE - 1));
  if (region == 0x02) return machine.ewram[(address >> 15) & 7].data + (address & 0x7FFF);
  if (region == 0x03) return machine.iwram.data + (address & 0x7FFF);
  return nullptr;
}

void plant_stop(std::uint32_t address, bool thumb) {
  if (thumb) {
    write_guest_halfwords(address, {0xE7FE});  // B .
  } else {
    write_guest_words(address, {0xEAFFFFFE});  // B .
  }
}

}  // namespace

// The scheduler stand-in: a fixed slice each time, and a stop once the guest is at the stop
// address or has used its allowance.
static std::uint32_t stand_in_scheduler() {
  reg[SLOT_REDISPATCH] = 0;
  if (scheduler_hook != nullptr) scheduler_hook();
  if (reg[SLOT_PC] == driver.stop_address) {
    request_emulation_stop();
  } else if (driver.cycles_left <= SLICE) {
    driver.out_of_time = true;
    request_emulation_stop();
  } else {
    driver.cycles_left -= SLICE;
  }
  return SLICE;
}

void reset_guest_machine() {
  clear_machine_state();
  if (rom_buffer == nullptr) alloc_rom_buffer_of_size(TEST_ROM_SIZE);
  std::memset(rom_buffer, 0, TEST_ROM_SIZE);
  machine.rom_size = TEST_ROM_SIZE;
  copy_bios_image();
  reset_memory_map();
  cpu_reset();  // the banked stack pointers the BIOS relies on
  open_code_memory();
  if (!icache_is_open()) icache_open();
  flush_rom_cache();
  flush_ram_cache();
  flush_bios_cache();
  reset_translation_settings();
  install_translators();
  scheduler_hook = nullptr;
  runtime_scheduler = stand_in_scheduler;
}

void write_bios_words(std::uint32_t address, const std::vector<std::uint32_t>& words) {
  std::memcpy(machine.bios_area.image + address, words.data(), words.size() * 4);
}

void set_scheduler_hook(void (*hook)()) { scheduler_hook = hook; }

void write_guest_bytes(std::uint32_t address, const void* bytes, std::size_t count) {
  std::memcpy(guest_pointer(address), bytes, count);
}

void write_guest_words(std::uint32_t address, const std::vector<std::uint32_t>& words) {
  write_guest_bytes(address, words.data(), words.size() * 4);
}

void write_guest_halfwords(std::uint32_t address, const std::vector<std::uint16_t>& halfwords) {
  write_guest_bytes(address, halfwords.data(), halfwords.size() * 2);
}

std::uint32_t read_guest_word(std::uint32_t address) {
  std::uint32_t value;
  std::memcpy(&value, guest_pointer(address), 4);
  return value;
}

RunResult run_guest(const GuestState& start, std::uint32_t stop_address, GuestState& state,
                    std::uint64_t max_cycles) {
  bool thumb = start.cpsr & CPSR_THUMB;
  plant_stop(stop_address, thumb);
  // The stop is an idle loop unless the test chose one of its own: then the stop is noticed at
  // the next budget exit instead.
  if (translation_settings.idle_loop_address == NO_IDLE_LOOP) {
    translation_settings.idle_loop_address = stop_address;
  }
  translation_settings.gates[0] = stop_address;
  translation_settings.gate_count = 1;
  driver = {stop_address, max_cycles, false};

  reg = machine.registers;
  for (unsigned n = 0; n < 16; ++n) reg[n] = start.r[n];
  reg[SLOT_CPSR] = start.cpsr;
  reg[SLOT_MODE_INDEX] = mode_of_psr[start.cpsr & CPSR_MODE_MASK];
  reg[SLOT_HALT_STATE] = 0;
  reg[SLOT_REDISPATCH] = 0;

  RuntimeExit exit = run_translated(SLICE);
  for (unsigned n = 0; n < 16; ++n) state.r[n] = reg[n];
  state.cpsr = reg[SLOT_CPSR];
  if (exit == RuntimeExit::BAD_JUMP) return RunResult::BAD_JUMP;
  return driver.out_of_time ? RunResult::OUT_OF_TIME : RunResult::STOPPED;
}
