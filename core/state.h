#pragma once
// The one record that holds every piece of emulated-machine state. It is statically allocated and
// never moves, so generated code and the page tables can hold raw pointers into it.

#include <cstddef>
#include <cstdint>

#include "core/dma/dma_state.h"
#include "core/save/backup_state.h"
#include "core/sound/direct_sound_state.h"
#include "core/sound/sound_state.h"
#include "core/timing/timer_state.h"

// Register-area slots with a role outside the guest register file.
enum RegisterSlot : unsigned {
  SLOT_SP = 13,
  SLOT_LR = 14,
  SLOT_PC = 15,
  SLOT_CPSR = 20,
  SLOT_BLOCK_BACKUP_VALUE = 21,
  SLOT_BLOCK_OPEN_BUS = 22,
  SLOT_MODE_INDEX = 29,
  SLOT_HALT_STATE = 30,
  SLOT_REDISPATCH = 31,
};
constexpr unsigned REGISTER_SLOTS = 64;

// What slot 30 holds. Halted waits for IE & IF; stopped waits for a keypad, serial or cartridge
// interrupt.
enum HaltState : std::uint32_t { CPU_RUNNING = 0, CPU_HALTED = 1, CPU_STOPPED = 2 };
constexpr std::uint32_t CPSR_THUMB = 1u << 5;

// Work RAM is stored as [32 KB code tags][32 KB data] per 32 KB console page, so that a store can
// find the tag of the byte it writes at a fixed distance below it, whatever the page.
struct RamPage {
  std::uint16_t tags[0x4000];
  std::uint8_t data[0x8000];
};
constexpr std::size_t RAM_TAG_DISTANCE = 0x8000;
static_assert(sizeof(RamPage) == 0x10000);
static_assert(offsetof(RamPage, data) - offsetof(RamPage, tags) == RAM_TAG_DISTANCE);

// The BIOS keeps its tags after the image instead: [16 KB image][16 KB tags].
struct BiosArea {
  std::uint8_t image[0x4000];
  std::uint16_t tags[0x2000];
};
static_assert(sizeof(BiosArea) == 0x8000);
static_assert(offsetof(BiosArea, tags) == 0x4000);

constexpr unsigned EWRAM_PAGES = 8;
constexpr std::size_t PAGE_SIZE = 0x8000;
constexpr unsigned MAP_ENTRIES = 8192;  // 32 KB pages below 0x10000000

struct MachineState {
  // CPU: the static home of the register area, the saved PSRs and the banked registers.
  std::uint32_t registers[REGISTER_SLOTS];
  std::uint32_t saved_psr[6];
  std::uint32_t banked[7][7];

  // Memory regions.
  alignas(64) BiosArea bios_area;
  RamPage ewram[EWRAM_PAGES];
  RamPage iwram;
  std::uint8_t io_regs[0x8000];
  std::uint8_t palette_data[0x400];
  std::uint16_t native_palette[512];
  std::uint8_t vram_data[0x18000];
  std::uint8_t oam_data[0x400];
  std::uint8_t backup_buffer[0x20000];

  // Page tables: a host pointer per 32 KB console page, or null for the slow path.
  std::uint8_t* read_map[MAP_ENTRIES];
  std::uint8_t* write_map[MAP_ENTRIES];

  std::uint32_t bios_protect_word;
  std::uint8_t oam_dirty;
  std::uint8_t gpio_shadow[3];

  // Cartridge: what the loaded image is, and the use stamp of the paged window.
  std::uint32_t rom_size;
  std::uint32_t rom_stamp;
  char rom_title[13];
  char rom_game_code[5];
  char rom_maker_code[3];

  BackupState backup;
  // The type the game's .sav file showed by its size. Every backup reset puts it back, so the game
  // keeps the save it had (both flash banks, say) until its own accesses show another type.
  SaveFileType save_file_type;

  // Scheduler. `cycle_budget` holds the cycles just run on entry to the scheduler and the next
  // budget on its return.
  std::uint32_t cycle_budget;
  std::int32_t line_countdown;  // cycles to the end of the drawing part or of the line
  std::int32_t elapsed_cycles;  // since the game started; wraps after about two minutes
  std::uint32_t frames_done;
  std::uint32_t skip_counter;
  std::uint8_t skip_frame;  // the frame being run is not drawn
  std::uint8_t sound_registers_written;
  TimerRecord timers[4];
  DmaChannel dma_channels[4];

  // Running reference points of BG2 (index 0) and BG3 (index 1), 20.8 fixed point.
  std::int32_t affine_ref_x[2];
  std::int32_t affine_ref_y[2];

  DirectSoundChannel direct_sound[2];  // FIFO A, FIFO B

  // Renderer: the finished picture (5-6-5, rows of 240), the per-line object lists (lists 0-3 by
  // priority, 4 the OBJ window) rebuilt only when OAM changes, and the current line's layers.
  std::uint16_t frame_pixels[160 * 240];
  std::uint32_t object_line_count[5][160];
  std::uint8_t object_line_list[5][160][128];
  std::uint32_t semi_transparent_count[160];
  std::uint8_t layer_order[8];
  std::uint32_t layer_count;

  SoundState sound;  // mixing ring and generated channels
};

extern MachineState machine;

// The register-file pointer: the one way ordinary code reaches guest registers, wherever the
// register area currently lives.
extern std::uint32_t* reg;

// The CPU's section of a snapshot: the 64 register slots, the 6 saved PSRs and the 7 banked
// records, as little-endian words in that order.
constexpr std::size_t CPU_STATE_BYTES =
    sizeof MachineState::registers + sizeof MachineState::saved_psr + sizeof MachineState::banked;
static_assert(CPU_STATE_BYTES == 476);

// Puts every byte of the record back to zero and the register area back home. For tests and for
// a clean start; the cartridge buffer, which is not machine state, is kept.
void clear_machine_state();
