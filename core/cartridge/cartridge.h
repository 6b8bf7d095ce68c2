#pragma once
// The cartridge ROM: whole when it fits the buffer (mapped from its file, or read into the buffer
// where the file cannot be mapped), otherwise paged in 32 KB at a time from its file into a
// least-recently-loaded set of slots.

#include <cstddef>
#include <cstdint>
#include <cstdio>

constexpr std::size_t ROM_BUFFER_MAX = 32u << 20;  // also the largest cartridge there is
constexpr std::size_t ROM_HEADER_SIZE = 0xC0;
constexpr unsigned ROM_PAGES = 1024;  // 32 MB of 32 KB pages per mirror

struct RomSlot {
  std::uint32_t stamp;  // 0: never loaded
  std::uint32_t page;
};

// Host resources behind the cartridge; allocated once per process, not part of machine state.
extern std::uint8_t* rom_buffer;
extern std::size_t rom_buffer_size;
extern RomSlot* rom_slots;
extern std::uint32_t rom_slot_count;
extern std::FILE* rom_file;
// The whole image mapped from its file; null when the cartridge lives in rom_buffer.
extern std::uint8_t* rom_mapped_image;
// Tests turn mapping off to take the path that reads the file into rom_buffer.
extern bool rom_mapping_enabled;

// Must return memory that std::free releases; tests inject one that fails above a size.
using Allocator = void* (*)(std::size_t);

// Asks for 32 MB, then 16, 14, 12 ... 2 MB. Returns false when even 2 MB cannot be had.
bool alloc_rom_buffer(Allocator allocate = nullptr);
// Exactly `size` bytes (rounded down to whole slots); for tests that page small buffers.
bool alloc_rom_buffer_of_size(std::size_t size, Allocator allocate = nullptr);
void release_rom_buffer();

enum class CartridgeError {
  NONE,
  NO_BUFFER,
  CANNOT_OPEN,
  NOT_A_FILE,
  EMPTY,
  TOO_SMALL,
  TOO_LARGE,
  READ_FAILED,
};
const char* cartridge_error_text(CartridgeError error);

// Returns 1 on success. On failure returns 0, says why through `error`, and leaves the loaded
// cartridge's state as it was (only a failed read of the whole image touches rom_buffer). A file
// that shrinks while it is mapped reads as zeros where its data is gone, as a paged one does.
int load_cartridge(const char* path, CartridgeError* error = nullptr);

// What load_cartridge checks before it reads anything (buffer, file kind, size), with nothing
// changed: 1 when the file would be taken, else 0 and why.
int check_cartridge(const char* path, CartridgeError* error = nullptr);

// Maps the whole image into the three ROM mirrors, or in paged mode empties every slot.
void init_rom_pages();

// Makes ROM page `page` resident and returns its 32 KB. A page past the end returns slot 0 and
// changes nothing. A file that has shrunk or fails to read leaves zeros where data is missing.
std::uint8_t* load_rom_page(std::uint32_t page);

bool rom_is_paged();
