#pragma once
// The templates that generate the transfer loops of core/dma_loops.h. Only dma_loops16.cpp and
// dma_loops32.cpp include this: each instantiates the whole table for its unit size, so the two
// halves compile in parallel.

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <utility>

#include "core/alerts.h"
#include "core/cartridge/cartridge.h"
#include "core/dma/dma_loops.h"
#include "core/io/io_registers.h"
#include "core/memory/memory.h"
#include "core/memory/palette.h"
#include "core/state.h"

namespace dma_loops {

template <typename Unit>
Unit load(const std::uint8_t* bytes) {
  Unit value;
  std::memcpy(&value, bytes, sizeof value);
  return value;
}

template <typename Unit>
void store(std::uint8_t* bytes, Unit value) {
  std::memcpy(bytes, &value, sizeof value);
}

inline std::uint8_t* iwram_byte(std::uint32_t address) {
  return machine.iwram.data + (address & 0x7FFF);
}

// Each 32 KB page of work RAM sits behind its own tags, so the page is picked by index rather
// than by offset.
inline std::uint8_t* ewram_byte(std::uint32_t address) {
  return machine.ewram[(address >> 15) & (EWRAM_PAGES - 1)].data + (address & 0x7FFF);
}

template <typename Unit>
Unit slow_read(std::uint32_t address) {
  if constexpr (sizeof(Unit) == 2) return static_cast<Unit>(mem_read16(address));
  return static_cast<Unit>(mem_read32(address));
}

template <typename Unit>
std::uint32_t slow_write(std::uint32_t address, Unit value) {
  if constexpr (sizeof(Unit) == 2) return mem_write16(address, value);
  return mem_write32(address, value);
}

template <typename Unit>
std::uint32_t io_write(std::uint32_t offset, Unit value) {
  if constexpr (sizeof(Unit) == 2) return io_write16(offset, value);
  return io_write32(offset, value);
}

// ---- sources: read(address) gives one unit; present(address) is false where there is none.

struct EverywherePresent {
  static bool present(std::uint32_t) { return true; }
};

template <unsigned Class, typename Unit>
struct Source;

// Internal regions re-mask every unit, so a run past the end wraps inside its region.
template <typename Unit>
struct Source<DMA_CLASS_IWRAM, Unit> : EverywherePresent {
  Unit read(std::uint32_t address) { return load<Unit>(iwram_byte(address)); }
};

template <typename Unit>
struct Source<DMA_CLASS_EWRAM, Unit> : EverywherePresent {
  Unit read(std::uint32_t address) { return load<Unit>(ewram_byte(address)); }
};

template <typename Unit>
struct Source<DMA_CLASS_VRAM, Unit> : EverywherePresent {
  Unit read(std::uint32_t address) { return load<Unit>(machine.vram_data + vram_offset(address)); }
};

template <typename Unit>
struct Source<DMA_CLASS_PALETTE, Unit> : EverywherePresent {
  Unit read(std::uint32_t address) { return load<Unit>(machine.palette_data + (address & 0x3FF)); }
};

template <typename Unit>
struct Source<DMA_CLASS_OAM, Unit> : EverywherePresent {
  Unit read(std::uint32_t address) { return load<Unit>(machine.oam_data + (address & 0x3FF)); }
};

template <typename Unit>
struct Source<DMA_CLASS_IO, Unit> : EverywherePresent {
  Unit read(std::uint32_t address) { return load<Unit>(machine.io_regs + (address & 0x7FFF)); }
};

// A paged cartridge may have any page absent: the page pointer is fetched again only when the
// run enters another page, and an absent one is loaded then.
template <typename Unit>
struct Source<DMA_CLASS_ROM, Unit> {
  std::uint32_t page_number = ~0u;
  const std::uint8_t* page = nullptr;

  static bool present(std::uint32_t address) { return (address & 0x1FFFFFF) < machine.rom_size; }

  Unit read(std::uint32_t address) {
    if ((address >> 15) != page_number) {
      page_number = address >> 15;
      page = machine.read_map[page_number];
      if (page == nullptr) page = load_rom_page(page_number & (ROM_PAGES - 1));
    }
    return load<Unit>(page + (address & 0x7FFF));
  }
};

// Past the image, region 0x0D is the EEPROM's serial line: only the slow path knows.
template <typename Unit>
struct Source<DMA_CLASS_BACKUP, Unit> : EverywherePresent {
  Unit read(std::uint32_t address) { return slow_read<Unit>(address); }
};

// The BIOS is shut to DMA whatever the CPU is running; zero stands in for what the bus shows.
template <typename Unit>
struct Source<DMA_CLASS_BIOS, Unit> : EverywherePresent {
  static Unit read(std::uint32_t) { return 0; }
};

// ---- destinations: write(address, unit) stores one unit; finish() gives the run's Alert.

struct SilentDest {
  static std::uint32_t finish() { return ALERT_NONE; }
};

// The tag of each stored byte lies a fixed distance below it; the tags of the whole run are
// gathered and judged once at the end, as the run is never cut short.
template <typename Unit>
struct RamDest {
  Unit tags = 0;
  void put(std::uint8_t* data, Unit value) {
    store<Unit>(data, value);
    tags = static_cast<Unit>(tags | load<Unit>(data - RAM_TAG_DISTANCE));
  }
  std::uint32_t finish() const { return tags != 0 ? ALERT_CODE_OVERWRITTEN : ALERT_NONE; }
};

template <unsigned Class, typename Unit>
struct Dest;

template <typename Unit>
struct Dest<DMA_CLASS_IWRAM, Unit> : RamDest<Unit> {
  void write(std::uint32_t address, Unit value) { this->put(iwram_byte(address), value); }
};

template <typename Unit>
struct Dest<DMA_CLASS_EWRAM, Unit> : RamDest<Unit> {
  void write(std::uint32_t address, Unit value) { this->put(ewram_byte(address), value); }
};

template <typename Unit>
struct Dest<DMA_CLASS_VRAM, Unit> : SilentDest {
  static void write(std::uint32_t address, Unit value) {
    store<Unit>(machine.vram_data + vram_offset(address), value);
  }
};

// The renderer reads the device-format copy, which every palette store must keep in step.
template <typename Unit>
struct Dest<DMA_CLASS_PALETTE, Unit> : SilentDest {
  static void write(std::uint32_t address, Unit value) {
    store_palette16(address & 0x3FF, value & 0xFFFFu);
    if constexpr (sizeof(Unit) == 4) store_palette16((address & 0x3FF) + 2, value >> 16);
  }
};

template <typename Unit>
struct Dest<DMA_CLASS_OAM, Unit> {
  static void write(std::uint32_t address, Unit value) {
    store<Unit>(machine.oam_data + (address & 0x3FF), value);
  }
  static std::uint32_t finish() {
    machine.oam_dirty = 1;
    return ALERT_NONE;
  }
};

// Registers with side effects (the FIFOs, DMA and timer control) must see each unit as a CPU
// store of that width.
template <typename Unit>
struct Dest<DMA_CLASS_IO, Unit> {
  std::uint32_t alert = ALERT_NONE;
  void write(std::uint32_t address, Unit value) {
    alert = combine_alerts(alert, io_write<Unit>(address & 0x3FF, value));
  }
  std::uint32_t finish() const { return alert; }
};

// Each unit is one bit of the EEPROM's serial protocol, or a store the bus drops.
template <typename Unit>
struct Dest<DMA_CLASS_BACKUP, Unit> {
  std::uint32_t alert = ALERT_NONE;
  void write(std::uint32_t address, Unit value) {
    alert = combine_alerts(alert, slow_write<Unit>(address, value));
  }
  std::uint32_t finish() const { return alert; }
};

// ---- the loops and their table.

template <typename Unit, unsigned Step>
constexpr std::uint32_t step_bytes() {
  if constexpr (Step == DMA_STEP_UP) return sizeof(Unit);
  if constexpr (Step == DMA_STEP_DOWN) return 0u - static_cast<std::uint32_t>(sizeof(Unit));
  return 0;
}

template <typename Unit, unsigned SourceStep, unsigned DestStep, unsigned SourceClass,
          unsigned DestClass>
std::uint32_t move_units(std::uint32_t source, std::uint32_t dest, std::uint32_t count) {
  Source<SourceClass, Unit> from;
  Dest<DestClass, Unit> to;
  for (; count != 0; --count) {
    if (from.present(source)) to.write(dest, from.read(source));
    source += step_bytes<Unit, SourceStep>();
    dest += step_bytes<Unit, DestStep>();
  }
  return to.finish();
}

constexpr bool moves_data(unsigned source, unsigned dest) {
  return source != DMA_CLASS_NULL && dest != DMA_CLASS_ROM && dest != DMA_CLASS_BIOS &&
         dest != DMA_CLASS_NULL;
}

constexpr std::size_t LOOPS_PER_STEP_PAIR = DMA_CLASSES * DMA_CLASSES;
constexpr std::size_t LOOPS_PER_UNIT = DMA_MOVING_STEPS * DMA_MOVING_STEPS * LOOPS_PER_STEP_PAIR;

constexpr std::size_t loop_index(unsigned source_step, unsigned dest_step, unsigned source,
                                 unsigned dest) {
  return (source_step * DMA_MOVING_STEPS + dest_step) * LOOPS_PER_STEP_PAIR + source * DMA_CLASSES +
         dest;
}

template <typename Unit, std::size_t Index>
constexpr DmaLoop loop_at() {
  constexpr unsigned dest = Index % DMA_CLASSES;
  constexpr unsigned source = Index / DMA_CLASSES % DMA_CLASSES;
  constexpr unsigned dest_step = Index / LOOPS_PER_STEP_PAIR % DMA_MOVING_STEPS;
  constexpr unsigned source_step = Index / LOOPS_PER_STEP_PAIR / DMA_MOVING_STEPS;
  static_assert(loop_index(source_step, dest_step, source, dest) == Index);
  if constexpr (moves_data(source, dest)) {
    return &move_units<Unit, source_step, dest_step, source, dest>;
  } else {
    return nullptr;
  }
}

template <typename Unit, std::size_t... Index>
constexpr std::array<DmaLoop, sizeof...(Index)> make_loop_table(std::index_sequence<Index...>) {
  return {loop_at<Unit, Index>()...};
}

template <typename Unit>
DmaLoop select_loop(unsigned source_step, unsigned dest_step, DmaClass source, DmaClass dest) {
  static constexpr auto table = make_loop_table<Unit>(std::make_index_sequence<LOOPS_PER_UNIT>{});
  if (source_step >= DMA_MOVING_STEPS || dest_step >= DMA_MOVING_STEPS) return nullptr;
  return table[loop_index(source_step, dest_step, source, dest)];
}

}  // namespace dma_loops
