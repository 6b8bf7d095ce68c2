// The file is a fixed sequence of slices of the machine record. Loading decodes the whole file
// into a staging copy and checks every value that has a fixed range before anything is applied,
// so that a foreign or damaged file can never leave a half-loaded machine behind.

#include "core/snapshot/snapshot.h"

#include <bit>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iterator>

#include "core/file_replace.h"
#include "core/machine_link.h"
#include "core/memory/palette.h"
#include "core/regular_file.h"
#include "core/save/backup.h"
#include "core/save/gpio.h"
#include "core/save/save_file.h"
#include "core/state.h"

static_assert(std::endian::native == std::endian::little, "the file's words are the host's words");

namespace {

constexpr std::size_t EEPROM_SHIFT_BYTES = 8;  // the file's width; the controller keeps 2
constexpr std::size_t RESERVED_BYTES = 512;
constexpr std::uint32_t DUTY_HALF = 2;  // the tone channels' 50 % pattern
constexpr std::uint32_t TIMER_FULL_PERIOD = 0x10000;

struct Writer {
  std::uint8_t* at;
  void word(std::uint32_t value) {
    std::memcpy(at, &value, 4);
    at += 4;
  }
  void bytes(const void* from, std::size_t count) {
    std::memcpy(at, from, count);
    at += count;
  }
  void skip(std::size_t count) { at += count; }
};

struct Reader {
  const std::uint8_t* at;
  std::uint32_t word() {
    std::uint32_t value = 0;
    std::memcpy(&value, at, 4);
    at += 4;
    return value;
  }
  void bytes(void* to, std::size_t count) {
    std::memcpy(to, at, count);
    at += count;
  }
  void skip(std::size_t count) { at += count; }
};

// Everything the file holds apart from the CPU section and the memory images, which are applied
// straight from the file's bytes.
struct Staged {
  std::int32_t elapsed_cycles;
  std::uint32_t cycle_budget;
  std::int32_t line_countdown;
  TimerRecord timers[4];
  BackupState backup;
  std::uint8_t gpio_shadow[3];
  DmaChannel dma_channels[4];
  std::int32_t affine_ref_x[2];
  std::int32_t affine_ref_y[2];
  const std::uint8_t* cpu;
  const std::uint8_t* memory;  // IWRAM, EWRAM pages, VRAM, OAM, palette, I/O, back to back
  bool in_range;
};

// A word the controller keeps in a byte, or as a flag: anything wider is foreign.
std::uint8_t small_field(Reader& in, std::uint32_t max, bool& in_range) {
  std::uint32_t value = in.word();
  if (value > max) in_range = false;
  return static_cast<std::uint8_t>(value);
}

// --- saving ---------------------------------------------------------------------------------

void put_timers(Writer& out) {
  for (const TimerRecord& t : machine.timers) {
    out.word(static_cast<std::uint32_t>(t.remaining));
    out.word(t.period);
    out.word(t.prescale_shift);
    out.word(static_cast<std::uint32_t>(t.stopped_at_cycles));
    out.word(t.fifo_step);
    out.word(t.fifo_channels);
    out.word(t.irq_enable);
    out.word(t.run_state);
  }
}

void put_flash_and_eeprom(Writer& out, const BackupState& s) {
  out.word(s.save_kind);
  out.word(s.sram_64k);
  out.word(s.flash_state);
  out.word(s.flash_step);
  out.word(s.flash_bank_offset);
  out.word(s.flash_chip_id);
  out.word(s.flash_maker_id);
  out.word(s.flash_128k);
  out.word(s.eeprom_8k);
  out.word(s.eeprom_phase);
  out.word(s.eeprom_addr_width);
  out.word(s.eeprom_block_offset);
  out.word(s.eeprom_bits_seen);
}

void put_clock(Writer& out, const BackupState& s) {
  out.word(s.clock_state);
  out.word(s.clock_input_target);
  out.bytes(machine.gpio_shadow, 3);
  out.word(s.clock_command);
  for (std::uint32_t byte : s.clock_bytes) out.word(byte);
  out.word(s.clock_status);
  out.word(s.clock_length);
  out.word(s.clock_bit);
  out.bytes(s.eeprom_shift, sizeof s.eeprom_shift);
  out.skip(EEPROM_SHIFT_BYTES - sizeof s.eeprom_shift);
}

void put_dma(Writer& out) {
  for (const DmaChannel& c : machine.dma_channels) {
    out.word(c.channel);
    out.word(c.source);
    out.word(c.dest);
    out.word(c.unit_count);
    out.word(c.repeat);
    out.word(c.sound_link);
    out.word(c.source_step);
    out.word(c.dest_step);
    out.word(c.word_size);
    out.word(c.start_mode);
    out.word(c.irq_enable);
  }
}

void put_memory(Writer& out) {
  out.bytes(machine.iwram.data, sizeof machine.iwram.data);
  for (const RamPage& page : machine.ewram) out.bytes(page.data, sizeof page.data);
  out.bytes(machine.vram_data, sizeof machine.vram_data);
  out.bytes(machine.oam_data, sizeof machine.oam_data);
  out.bytes(machine.palette_data, sizeof machine.palette_data);
  out.bytes(machine.io_regs, sizeof machine.io_regs);
}

bool flash_bank_valid(std::uint32_t offset) { return offset == 0 || offset == FLASH_BANK_SIZE; }

// --- loading --------------------------------------------------------------------------------

bool timer_valid(const TimerRecord& t) {
  bool shift_ok = t.prescale_shift == 0 || t.prescale_shift == 6 || t.prescale_shift == 8 ||
                  t.prescale_shift == 10;
  return shift_ok && t.run_state <= TIMER_CASCADED && t.period >= 1 &&
         t.period <= TIMER_FULL_PERIOD && t.fifo_channels <= 3 && t.irq_enable <= 1;
}

void get_timers(Reader& in, Staged& s) {
  for (TimerRecord& t : s.timers) {
    t.remaining = static_cast<std::int32_t>(in.word());
    t.period = in.word();
    t.prescale_shift = in.word();
    t.stopped_at_cycles = static_cast<std::int32_t>(in.word());
    t.fifo_step = in.word();
    t.fifo_channels = in.word();
    t.irq_enable = in.word();
    t.run_state = in.word();
    if (!timer_valid(t)) s.in_range = false;
  }
}

void get_flash_and_eeprom(Reader& in, Staged& staged) {
  BackupState& s = staged.backup;
  bool& ok = staged.in_range;
  s.save_kind = small_field(in, SAVE_UNKNOWN, ok);
  s.sram_64k = small_field(in, 1, ok);
  s.flash_state = small_field(in, FLASH_SELECT_BANK, ok);
  s.flash_step = small_field(in, 2, ok);
  s.flash_bank_offset = in.word();
  if (!flash_bank_valid(s.flash_bank_offset)) ok = false;
  s.flash_chip_id = small_field(in, 0xFF, ok);
  s.flash_maker_id = small_field(in, 0xFF, ok);
  s.flash_128k = small_field(in, 1, ok);
  s.eeprom_8k = small_field(in, 1, ok);
  s.eeprom_phase = in.word();
  s.eeprom_addr_width = in.word();
  s.eeprom_block_offset = in.word();
  s.eeprom_bits_seen = in.word();
}

void get_clock(Reader& in, Staged& staged) {
  BackupState& s = staged.backup;
  s.clock_state = small_field(in, 0xFF, staged.in_range);
  s.clock_input_target = in.word();
  in.bytes(staged.gpio_shadow, 3);
  s.clock_command = small_field(in, 0xFF, staged.in_range);
  for (std::uint32_t& byte : s.clock_bytes) byte = in.word();
  s.clock_status = in.word();
  s.clock_length = in.word();
  s.clock_bit = in.word();
  in.bytes(s.eeprom_shift, sizeof s.eeprom_shift);
  in.skip(EEPROM_SHIFT_BYTES - sizeof s.eeprom_shift);
  if (!eeprom_state_valid(s) || !clock_state_valid(s)) staged.in_range = false;
}

bool dma_valid(const DmaChannel& c, unsigned index) {
  return c.channel == index && c.repeat <= 1 && c.sound_link <= DMA_LINK_NONE &&
         c.source_step <= 3 && c.dest_step <= 3 && c.word_size <= 1 &&
         c.start_mode <= DMA_INACTIVE && c.irq_enable <= 1;
}

void get_dma(Reader& in, Staged& s) {
  for (unsigned n = 0; n < 4; ++n) {
    DmaChannel& c = s.dma_channels[n];
    c.channel = in.word();
    c.source = in.word();
    c.dest = in.word();
    c.unit_count = in.word();
    c.repeat = in.word();
    c.sound_link = in.word();
    c.source_step = in.word();
    c.dest_step = in.word();
    c.word_size = in.word();
    c.start_mode = in.word();
    c.irq_enable = in.word();
    if (!dma_valid(c, n)) s.in_range = false;
  }
}

constexpr std::size_t MEMORY_BYTES = sizeof(RamPage::data) * (1 + EWRAM_PAGES) +
                                     sizeof machine.vram_data + sizeof machine.oam_data +
                                     sizeof machine.palette_data + sizeof machine.io_regs;

Staged decode(const std::uint8_t* image) {
  Staged s{};
  s.in_range = true;
  s.cpu = image;
  std::uint32_t mode_index = 0;
  std::memcpy(&mode_index, image + 4 * SLOT_MODE_INDEX, 4);
  if (mode_index >= std::size(machine.banked)) s.in_range = false;
  Reader in{image + CPU_STATE_BYTES};
  s.elapsed_cycles = static_cast<std::int32_t>(in.word());
  s.cycle_budget = in.word();
  s.line_countdown = static_cast<std::int32_t>(in.word());
  get_timers(in, s);
  get_flash_and_eeprom(in, s);
  get_clock(in, s);
  in.skip(RESERVED_BYTES);
  get_dma(in, s);
  s.memory = in.at;
  in.skip(MEMORY_BYTES);
  for (std::int32_t& x : s.affine_ref_x) x = static_cast<std::int32_t>(in.word());
  for (std::int32_t& y : s.affine_ref_y) y = static_cast<std::int32_t>(in.word());
  return s;
}

void apply_memory(Reader in) {
  in.bytes(machine.iwram.data, sizeof machine.iwram.data);
  for (RamPage& page : machine.ewram) in.bytes(page.data, sizeof page.data);
  in.bytes(machine.vram_data, sizeof machine.vram_data);
  in.bytes(machine.oam_data, sizeof machine.oam_data);
  in.bytes(machine.palette_data, sizeof machine.palette_data);
  in.bytes(machine.io_regs, sizeof machine.io_regs);
}

// The save memory's contents and the flag that a game stored plain bytes in it are not in the
// file: they stay as the running game left them.
void apply_backup(const BackupState& loaded) {
  std::uint8_t sram_written = machine.backup.sram_written;
  machine.backup = loaded;
  machine.backup.sram_written = sram_written;
}

void apply(const Staged& s) {
  machine_link.load_cpu_state(s.cpu);
  machine.elapsed_cycles = s.elapsed_cycles;
  machine.cycle_budget = s.cycle_budget;
  machine.line_countdown = s.line_countdown;
  std::memcpy(machine.timers, s.timers, sizeof machine.timers);
  apply_backup(s.backup);
  std::memcpy(machine.gpio_shadow, s.gpio_shadow, sizeof machine.gpio_shadow);
  std::memcpy(machine.dma_channels, s.dma_channels, sizeof machine.dma_channels);
  apply_memory(Reader{s.memory});
  std::memcpy(machine.affine_ref_x, s.affine_ref_x, sizeof machine.affine_ref_x);
  std::memcpy(machine.affine_ref_y, s.affine_ref_y, sizeof machine.affine_ref_y);
}

void rebuild_native_palette() {
  for (unsigned n = 0; n < 512; ++n) {
    std::uint32_t colour = machine.palette_data[2 * n] | (machine.palette_data[2 * n + 1] << 8);
    machine.native_palette[n] = native_colour(colour);
  }
}

// What depends on the loaded state and is kept nowhere in the file.
void repair_after_load() {
  machine_link.flush_all_code();
  machine.oam_dirty = 1;
  // The sound renders from where the loaded clock stands, not across the jump back or ahead.
  machine.sound.last_sound_cycles = machine.elapsed_cycles;
  machine.sound_registers_written = 1;
  rebuild_native_palette();
  machine.sound.channels[0].duty_pattern = DUTY_HALF;
  machine.sound.channels[1].duty_pattern = DUTY_HALF;
  machine_link.request_redispatch();
}

// Reads exactly SNAPSHOT_BYTES; anything shorter or longer is not a snapshot.
bool read_whole_file(std::FILE* file, std::uint8_t* image) {
  if (std::fread(image, 1, SNAPSHOT_BYTES, file) != SNAPSHOT_BYTES) {
    if (!std::ferror(file)) errno = EINVAL;
    return false;
  }
  if (std::fgetc(file) != EOF) {
    errno = EINVAL;
    return false;
  }
  return true;
}

std::uint8_t file_image[SNAPSHOT_BYTES];

}  // namespace

void build_snapshot_image(std::uint8_t* image) {
  if (!flash_bank_valid(machine.backup.flash_bank_offset)) machine.backup.flash_bank_offset = 0;
  std::memset(image, 0, SNAPSHOT_BYTES);
  Writer out{machine_link.store_cpu_state(image)};
  out.word(static_cast<std::uint32_t>(machine.elapsed_cycles));
  out.word(machine.cycle_budget);
  out.word(static_cast<std::uint32_t>(machine.line_countdown));
  put_timers(out);
  put_flash_and_eeprom(out, machine.backup);
  put_clock(out, machine.backup);
  out.skip(RESERVED_BYTES);
  put_dma(out);
  put_memory(out);
  for (std::int32_t x : machine.affine_ref_x) out.word(static_cast<std::uint32_t>(x));
  for (std::int32_t y : machine.affine_ref_y) out.word(static_cast<std::uint32_t>(y));
}

bool apply_snapshot_image(const std::uint8_t* image) {
  Staged staged = decode(image);
  if (!staged.in_range) return false;
  apply(staged);
  repair_after_load();
  return true;
}

int save_snapshot(const char* path) {
  build_snapshot_image(file_image);
  return replace_file_contents(path, file_image, SNAPSHOT_BYTES);
}

int load_snapshot(const char* path) {
  std::FILE* file = open_regular_file(path);
  if (file == nullptr) return 0;
  bool whole = read_whole_file(file, file_image);
  int saved = errno;
  std::fclose(file);
  errno = saved;
  if (!whole) return 0;
  if (!apply_snapshot_image(file_image)) {
    errno = EINVAL;
    return 0;
  }
  return 1;
}
