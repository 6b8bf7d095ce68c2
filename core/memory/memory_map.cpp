// The page tables and the reset of every region when a game is loaded.

#include <cstring>

#include "core/cartridge/cartridge.h"
#include "core/io/io_registers.h"
#include "core/memory/bios_image.h"
#include "core/memory/memory.h"
#include "core/save/backup.h"
#include "core/state.h"

namespace {

constexpr unsigned PAGES_PER_REGION = 512;  // 16 MB / 32 KB

unsigned first_entry(std::uint32_t region) { return region * PAGES_PER_REGION; }

// Mirrors are many entries pointing at the same storage, so generated code never masks.
void fill_page_tables() {
  std::memset(machine.read_map, 0, sizeof machine.read_map);
  std::memset(machine.write_map, 0, sizeof machine.write_map);

  for (unsigned i = 1; i < PAGES_PER_REGION; ++i) {
    machine.read_map[first_entry(REGION_BIOS) + i] = machine.bios_area.image;
  }
  for (unsigned i = 0; i < PAGES_PER_REGION; ++i) {
    std::uint8_t* ewram = machine.ewram[i % EWRAM_PAGES].data;
    machine.read_map[first_entry(REGION_EWRAM) + i] = ewram;
    machine.write_map[first_entry(REGION_EWRAM) + i] = ewram;
    machine.read_map[first_entry(REGION_IWRAM) + i] = machine.iwram.data;
    machine.write_map[first_entry(REGION_IWRAM) + i] = machine.iwram.data;
    machine.read_map[first_entry(REGION_IO) + i] = machine.io_regs;
    // Every 128 KB: 64 KB of backgrounds, then the 32 KB object-tile area seen twice.
    static constexpr std::uint32_t vram_page_offset[4] = {0x0000, 0x8000, 0x10000, 0x10000};
    machine.read_map[first_entry(REGION_VRAM) + i] = machine.vram_data + vram_page_offset[i % 4];
  }
}

void clear_regions() {
  std::memset(machine.io_regs, 0, sizeof machine.io_regs);
  std::memset(machine.oam_data, 0, sizeof machine.oam_data);
  std::memset(machine.palette_data, 0, sizeof machine.palette_data);
  std::memset(machine.native_palette, 0, sizeof machine.native_palette);
  std::memset(&machine.iwram, 0, sizeof machine.iwram);
  std::memset(machine.ewram, 0, sizeof machine.ewram);
  std::memset(machine.vram_data, 0, sizeof machine.vram_data);
}

void set_register_defaults() {
  io_store16(IO_DISPCNT, 0x0080);   // forced blank until the game sets a mode
  io_store16(IO_KEYINPUT, 0x03FF);  // no key pressed
  io_store16(IO_BG2PA, 0x0100);
  io_store16(IO_BG2PD, 0x0100);
  io_store16(IO_BG3PA, 0x0100);
  io_store16(IO_BG3PD, 0x0100);
  io_store16(IO_RCNT, 0x8000);
}

}  // namespace

void make_bios_readable() { machine.read_map[0] = machine.bios_area.image; }

void copy_bios_image() { std::memcpy(machine.bios_area.image, bios_image, BIOS_SIZE); }

void reset_memory_map() {
  fill_page_tables();
  init_rom_pages();
  clear_regions();
  set_register_defaults();
  reset_backup_state();
  machine.oam_dirty = 1;
  machine.bios_protect_word = BIOS_PROTECT_AFTER_RESET;
}
