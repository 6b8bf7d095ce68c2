#include "cpu/code_memory.h"

#include <sys/mman.h>

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstring>

#include "core/report.h"
#include "core/state.h"
#include "cpu/host_facts.h"

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/asan_interface.h>
#define ORVANE_POISON(address, size) ASAN_POISON_MEMORY_REGION(address, size)
#else
#define ORVANE_POISON(address, size) ((void)(address), (void)(size))
#endif

#ifndef MAP_FIXED_NOREPLACE
#define MAP_FIXED_NOREPLACE 0x100000
#endif

// First byte of the program image, provided by the linker.
extern "C" char __executable_start;

namespace {

constexpr std::size_t area_size[CODE_REGIONS] = {RAM_CODE_SIZE, ROM_CODE_SIZE, BIOS_CODE_SIZE};

constexpr std::size_t mapping_size() {
  std::size_t total = 0;
  for (std::size_t size : area_size) total += size + CODE_AREA_GUARD;
  return total;
}

// Keeping the whole span (mapping and target) within the host's reach leaves every byte of the
// mapping in reach of the target and back.
// Steps of 64 MB, or an eighth of a shorter reach (32 MB on ARM, where B/BL reach that far).
constexpr std::uintptr_t PLACEMENT_STEP =
    std::min(std::uintptr_t{64} << 20, std::bit_floor(HOST_CODE_REACH / 8));
constexpr unsigned PLACEMENT_TRIES = 32;  // 32 steps of 64 MB: all of a 2 GB reach on one side
// Below this the kernel refuses mappings (vm.mmap_min_addr), so there is no point asking.
constexpr std::uintptr_t LOWEST_CANDIDATE = std::uintptr_t{1} << 20;
// What may land in a guard: a ROM node with its alignment, and what a flush hands to the
// instruction cache. Under AddressSanitizer the rest of each guard is poisoned, so that our own
// writes (the emitter's, the lookup's) that run past an area are reported where they happen.
constexpr std::size_t GUARD_IN_USE = 512;
static_assert(GUARD_IN_USE < CODE_AREA_GUARD);

std::uint8_t* area_start[CODE_REGIONS];
bool is_open = false;

std::uintptr_t address_of(const void* pointer) { return reinterpret_cast<std::uintptr_t>(pointer); }

bool spans_within_reach(std::uintptr_t begin, std::uintptr_t end, std::uintptr_t target) {
  return std::max(end, target) - std::min(begin, target) < HOST_CODE_REACH;
}

// The runtime routines live in the program's code and the machine record in its static data;
// one function of ours and both ends of the record stand for them.
bool reaches_the_program(std::uintptr_t begin, std::uintptr_t end) {
  std::uintptr_t code = reinterpret_cast<std::uintptr_t>(&open_code_memory);
  std::uintptr_t data = address_of(&machine);
  return spans_within_reach(begin, end, code) && spans_within_reach(begin, end, data) &&
         spans_within_reach(begin, end, data + sizeof machine);
}

// Returns the mapping made at `candidate`, or null when the spot is taken or out of reach.
std::uint8_t* map_at(std::uintptr_t candidate, int* error) {
  void* wanted = reinterpret_cast<void*>(candidate);
  void* mapped = mmap(wanted, mapping_size(), PROT_READ | PROT_WRITE | PROT_EXEC,
                      MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED_NOREPLACE, -1, 0);
  if (mapped == MAP_FAILED) {
    *error = errno;
    return nullptr;
  }
  // Kernels older than MAP_FIXED_NOREPLACE take the address as a hint and may map elsewhere.
  std::uintptr_t begin = address_of(mapped);
  if (!reaches_the_program(begin, begin + mapping_size())) {
    munmap(mapped, mapping_size());
    return nullptr;
  }
  return static_cast<std::uint8_t*>(mapped);
}

// Below the image first: above it the heap grows. Then above the static data, for programs
// loaded so low that there is no room below.
std::uint8_t* find_and_map(int* error) {
  std::uintptr_t image_start = address_of(&__executable_start) & ~(PLACEMENT_STEP - 1);
  for (unsigned step = 1; step <= PLACEMENT_TRIES; ++step) {
    std::uintptr_t distance = step * PLACEMENT_STEP;
    if (image_start < LOWEST_CANDIDATE + distance) break;
    if (std::uint8_t* mapping = map_at(image_start - distance, error)) return mapping;
  }
  std::uintptr_t data_end = (address_of(&machine) + sizeof machine) & ~(PLACEMENT_STEP - 1);
  for (unsigned step = 1; step <= PLACEMENT_TRIES; ++step) {
    if (std::uint8_t* mapping = map_at(data_end + step * PLACEMENT_STEP, error)) return mapping;
  }
  return nullptr;
}

}  // namespace

bool open_code_memory() {
  if (is_open) return true;
  int error = 0;
  std::uint8_t* mapping = find_and_map(&error);
  if (mapping == nullptr) {
    debug_output(
        "code memory: no room for %zu bytes of executable memory within %zu MB of the "
        "program (last error: %s)\n",
        mapping_size(), static_cast<std::size_t>(HOST_CODE_REACH >> 20) + 1,
        error != 0 ? std::strerror(error) : "out of reach");
    return false;
  }
  for (int region = 0; region < CODE_REGIONS; ++region) {
    area_start[region] = mapping;
    mapping += area_size[region] + CODE_AREA_GUARD;
    ORVANE_POISON(mapping - CODE_AREA_GUARD + GUARD_IN_USE, CODE_AREA_GUARD - GUARD_IN_USE);
  }
  is_open = true;
  return true;
}

bool code_memory_is_open() { return is_open; }

std::uint8_t* code_area_start(int region) { return area_start[region]; }

std::size_t code_area_size(int region) { return area_size[region]; }

std::uint8_t* code_area_limit(int region) {
  return area_start[region] + area_size[region] - MAX_CODE_PER_INSTRUCTION;
}
