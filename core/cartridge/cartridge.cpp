#include "core/cartridge/cartridge.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "core/cartridge/game_settings.h"
#include "core/cartridge/rom_mapping.h"
#include "core/memory/memory.h"
#include "core/regular_file.h"
#include "core/save/gpio.h"
#include "core/state.h"

std::uint8_t* rom_buffer = nullptr;
std::size_t rom_buffer_size = 0;
RomSlot* rom_slots = nullptr;
std::uint32_t rom_slot_count = 0;
std::FILE* rom_file = nullptr;
std::uint8_t* rom_mapped_image = nullptr;
bool rom_mapping_enabled = true;

namespace {

constexpr unsigned ROM_MIRROR_BASES[] = {0x08000000 >> 15, 0x0A000000 >> 15, 0x0C000000 >> 15};
constexpr std::size_t PAGED_HEADER_READ = 256;

// Size of the mapping behind rom_mapped_image, kept apart from rom_size which a snapshot may
// replace.
std::size_t rom_image_size = 0;

// Where a cartridge that is not paged lives: its file's mapping, or the buffer it was read into.
std::uint8_t* whole_image() { return rom_mapped_image != nullptr ? rom_mapped_image : rom_buffer; }

void replace_rom_image(std::uint8_t* image, std::size_t size) {
  unmap_rom_image(rom_mapped_image, rom_image_size);
  rom_mapped_image = image;
  rom_image_size = image != nullptr ? size : 0;
}

void* default_allocate(std::size_t size) { return std::malloc(size); }

// Whole-page reads; whatever the file cannot supply reads as zeros.
void read_page_from_file(std::uint8_t* slot, std::uint32_t page) {
  std::size_t got = 0;
  if (rom_file != nullptr &&
      fseeko(rom_file, static_cast<off_t>(page) * static_cast<off_t>(PAGE_SIZE), SEEK_SET) == 0) {
    got = std::fread(slot, 1, PAGE_SIZE, rom_file);
  }
  if (got < PAGE_SIZE) {
    std::memset(slot + got, 0, PAGE_SIZE - got);
    if (rom_file != nullptr) std::clearerr(rom_file);
  }
}

void copy_header_string(char* out, std::size_t offset, std::size_t length) {
  std::memcpy(out, whole_image() + offset, length);
  out[length] = '\0';
}

void map_rom_page(std::uint32_t page, std::uint8_t* storage) {
  for (unsigned base : ROM_MIRROR_BASES) machine.read_map[base + page] = storage;
}

// Only the entries that still point at the victim's storage are its own; an empty slot claims
// page 0 and must not unmap a page 0 that lives in another slot.
void unmap_slot(std::uint32_t page, const std::uint8_t* storage) {
  for (unsigned base : ROM_MIRROR_BASES) {
    if (machine.read_map[base + page] == storage) machine.read_map[base + page] = nullptr;
  }
}

std::uint32_t choose_victim_slot() {
  std::uint32_t victim = 0;
  for (std::uint32_t i = 1; i < rom_slot_count; ++i) {
    if (rom_slots[i].stamp <= rom_slots[victim].stamp) victim = i;
  }
  return victim;
}

void write_back_clock_port(std::uint8_t* page0) {
  page0[GPIO_DATA] = machine.gpio_shadow[0];
  page0[GPIO_DIRECTION] = machine.gpio_shadow[1];
  page0[GPIO_CONTROL] = machine.gpio_shadow[2];
}

int refuse(CartridgeError* out, CartridgeError why, std::FILE* file) {
  if (file != nullptr) std::fclose(file);
  if (out != nullptr) *out = why;
  return 0;
}

}  // namespace

bool alloc_rom_buffer_of_size(std::size_t size, Allocator allocate) {
  if (allocate == nullptr) allocate = default_allocate;
  std::uint32_t slots = static_cast<std::uint32_t>(size / PAGE_SIZE);
  if (slots == 0) return false;
  auto* buffer = static_cast<std::uint8_t*>(allocate(slots * PAGE_SIZE));
  if (buffer == nullptr) return false;
  auto* slot_table = static_cast<RomSlot*>(allocate(slots * sizeof(RomSlot)));
  if (slot_table == nullptr) {
    std::free(buffer);
    return false;
  }
  release_rom_buffer();
  rom_buffer = buffer;
  rom_buffer_size = slots * PAGE_SIZE;
  rom_slots = slot_table;
  rom_slot_count = slots;
  std::memset(rom_slots, 0, slots * sizeof(RomSlot));
  return true;
}

bool alloc_rom_buffer(Allocator allocate) {
  if (alloc_rom_buffer_of_size(ROM_BUFFER_MAX, allocate)) return true;
  for (std::size_t megabytes = 16; megabytes >= 2; megabytes -= 2) {
    if (alloc_rom_buffer_of_size(megabytes << 20, allocate)) return true;
  }
  return false;
}

void release_rom_buffer() {
  replace_rom_image(nullptr, 0);
  std::free(rom_buffer);
  std::free(rom_slots);
  rom_buffer = nullptr;
  rom_slots = nullptr;
  rom_buffer_size = 0;
  rom_slot_count = 0;
}

const char* cartridge_error_text(CartridgeError error) {
  switch (error) {
    case CartridgeError::NONE: return "no error";
    case CartridgeError::NO_BUFFER: return "no cartridge buffer could be allocated";
    case CartridgeError::CANNOT_OPEN: return "the file cannot be opened";
    case CartridgeError::NOT_A_FILE: return "not a regular file";
    case CartridgeError::EMPTY: return "the file is empty";
    case CartridgeError::TOO_SMALL: return "the file is too short to hold a cartridge header";
    case CartridgeError::TOO_LARGE: return "the file is larger than 32 MB, the largest cartridge";
    case CartridgeError::READ_FAILED: return "the file could not be read";
  }
  return "unknown error";
}

bool rom_is_paged() { return machine.rom_size > rom_buffer_size; }

namespace {

// Opens the image and checks what can be checked without reading it; null with `error` set when
// it is refused, else the open file and its size.
std::FILE* open_cartridge(const char* path, std::size_t& size, CartridgeError* error) {
  if (error != nullptr) *error = CartridgeError::NONE;
  if (rom_buffer == nullptr) {
    refuse(error, CartridgeError::NO_BUFFER, nullptr);
    return nullptr;
  }
  std::FILE* file = open_regular_file(path);
  if (file == nullptr) {
    bool other_kind = errno == EISDIR || errno == EINVAL;
    refuse(error, other_kind ? CartridgeError::NOT_A_FILE : CartridgeError::CANNOT_OPEN, nullptr);
    return nullptr;
  }
  struct stat info {};
  CartridgeError why = CartridgeError::NONE;
  if (fstat(fileno(file), &info) != 0) {
    why = CartridgeError::NOT_A_FILE;
  } else if (info.st_size == 0) {
    why = CartridgeError::EMPTY;
  } else if (static_cast<std::size_t>(info.st_size) < ROM_HEADER_SIZE) {
    why = CartridgeError::TOO_SMALL;
  } else if (static_cast<std::size_t>(info.st_size) > ROM_BUFFER_MAX) {
    why = CartridgeError::TOO_LARGE;
  }
  if (why != CartridgeError::NONE) {
    refuse(error, why, file);
    return nullptr;
  }
  size = static_cast<std::size_t>(info.st_size);
  return file;
}

}  // namespace

int check_cartridge(const char* path, CartridgeError* error) {
  std::size_t size = 0;
  std::FILE* file = open_cartridge(path, size, error);
  if (file == nullptr) return 0;
  std::fclose(file);
  return 1;
}

namespace {

// Clears the ROM mirrors' entries, which may still point into the previous game's image.
void unmap_rom_mirrors() {
  for (unsigned base : ROM_MIRROR_BASES) {
    std::memset(&machine.read_map[base], 0, ROM_PAGES * sizeof machine.read_map[0]);
  }
}

}  // namespace

int load_cartridge(const char* path, CartridgeError* error) {
  std::size_t size = 0;
  std::FILE* file = open_cartridge(path, size, error);
  if (file == nullptr) return 0;

  std::uint32_t rounded_size =
      static_cast<std::uint32_t>((size + PAGE_SIZE - 1) & ~(PAGE_SIZE - 1));
  bool paged = rounded_size > rom_buffer_size;
  std::uint8_t* mapped = nullptr;
  if (!paged && rom_mapping_enabled) mapped = map_rom_image(fileno(file), size, rounded_size);
  if (mapped == nullptr) {
    std::size_t wanted = paged ? PAGED_HEADER_READ : size;
    if (std::fread(rom_buffer, 1, wanted, file) != wanted) {
      return refuse(error, CartridgeError::READ_FAILED, file);
    }
    if (!paged) std::memset(rom_buffer + size, 0, rounded_size - size);
  }
  if (!paged) {
    std::fclose(file);
    file = nullptr;
  }

  unmap_rom_mirrors();
  replace_rom_image(mapped, rounded_size);
  if (rom_file != nullptr) std::fclose(rom_file);
  rom_file = file;
  machine.rom_size = rounded_size;
  copy_header_string(machine.rom_title, 0xA0, 12);
  copy_header_string(machine.rom_game_code, 0xAC, 4);
  copy_header_string(machine.rom_maker_code, 0xB0, 2);
  apply_game_settings(machine.rom_title, machine.rom_game_code, machine.rom_maker_code);
  return 1;
}

void init_rom_pages() {
  unmap_rom_mirrors();
  if (rom_is_paged()) {
    std::memset(rom_slots, 0, rom_slot_count * sizeof(RomSlot));
    // Loaded pages are stamped from 1 so that an empty slot always goes before any loaded one.
    machine.rom_stamp = 1;
    return;
  }
  std::size_t image_size = rom_mapped_image != nullptr ? rom_image_size : rom_buffer_size;
  auto pages =
      static_cast<std::uint32_t>(std::min<std::size_t>(machine.rom_size, image_size) / PAGE_SIZE);
  for (std::uint32_t page = 0; page < pages; ++page) {
    map_rom_page(page, whole_image() + (page % ROM_PAGES) * PAGE_SIZE);
  }
}

std::uint8_t* load_rom_page(std::uint32_t page) {
  if (page >= machine.rom_size / PAGE_SIZE) return rom_buffer;
  std::uint32_t victim = choose_victim_slot();
  std::uint8_t* storage = rom_buffer + victim * PAGE_SIZE;
  unmap_slot(rom_slots[victim].page, storage);
  rom_slots[victim] = {machine.rom_stamp++, page};
  read_page_from_file(storage, page);
  map_rom_page(page, storage);
  if (machine.backup.clock_state != 0 && page == 0) write_back_clock_port(storage);
  return storage;
}
