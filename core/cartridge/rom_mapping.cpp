#include "core/cartridge/rom_mapping.h"

#include <signal.h>
#include <sys/mman.h>
#include <unistd.h>

#include <atomic>

namespace {

// A file that shrinks while it is mapped makes every access past its new end a bus error. The
// guard turns such a page into zeros instead, as the paged reader does for data that is gone,
// so one truncated file cannot stop the emulator. Only one image is mapped at a time.
std::atomic<std::uintptr_t> guarded_start{0};
std::atomic<std::uintptr_t> guarded_length{0};
std::size_t host_page_size = 0;
struct sigaction previous_bus_action {};
bool guard_installed = false;

bool zero_fill_page(std::uintptr_t address) {
  void* page = reinterpret_cast<void*>(address & ~(host_page_size - 1));
  return mmap(page, host_page_size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED,
              -1, 0) != MAP_FAILED;
}

void pass_on_bus_error(int signal, siginfo_t* info, void* context) {
  if ((previous_bus_action.sa_flags & SA_SIGINFO) != 0 && previous_bus_action.sa_sigaction) {
    previous_bus_action.sa_sigaction(signal, info, context);
  } else if (previous_bus_action.sa_handler != SIG_DFL &&
             previous_bus_action.sa_handler != SIG_IGN) {
    previous_bus_action.sa_handler(signal);
  } else {
    // Nothing else wants it: the default action ends the program once this handler returns.
    sigaction(SIGBUS, &previous_bus_action, nullptr);
    raise(SIGBUS);
  }
}

void on_bus_error(int signal, siginfo_t* info, void* context) {
  auto address = reinterpret_cast<std::uintptr_t>(info->si_addr);
  std::uintptr_t start = guarded_start.load(std::memory_order_relaxed);
  if (address - start < guarded_length.load(std::memory_order_relaxed) && zero_fill_page(address)) {
    return;  // the faulting access runs again and reads zeros
  }
  pass_on_bus_error(signal, info, context);
}

bool install_guard() {
  if (guard_installed) return true;
  struct sigaction action {};
  action.sa_sigaction = on_bus_error;
  action.sa_flags = SA_SIGINFO | SA_RESTART;
  sigemptyset(&action.sa_mask);
  if (sigaction(SIGBUS, &action, &previous_bus_action) != 0) return false;
  guard_installed = true;
  return true;
}

std::size_t round_to_host_pages(std::size_t size) {
  return (size + host_page_size - 1) & ~(host_page_size - 1);
}

}  // namespace

std::uint8_t* map_rom_image(int fd, std::size_t file_size, std::size_t image_size) {
  if (host_page_size == 0) host_page_size = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
  if (!install_guard()) return nullptr;
  // Zeros first over the whole image, then the file over its start: the part past the file's
  // last host page stays anonymous, where the file's own mapping would be a bus error.
  std::size_t reserved = round_to_host_pages(image_size);
  void* image = mmap(nullptr, reserved, PROT_READ | PROT_WRITE,
                     MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
  if (image == MAP_FAILED) return nullptr;
  if (mmap(image, round_to_host_pages(file_size), PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_FIXED,
           fd, 0) == MAP_FAILED) {
    munmap(image, reserved);
    return nullptr;
  }
  guarded_length.store(0, std::memory_order_relaxed);
  guarded_start.store(reinterpret_cast<std::uintptr_t>(image), std::memory_order_relaxed);
  guarded_length.store(reserved, std::memory_order_relaxed);
  return static_cast<std::uint8_t*>(image);
}

void unmap_rom_image(std::uint8_t* image, std::size_t image_size) {
  if (image == nullptr) return;
  if (reinterpret_cast<std::uintptr_t>(image) == guarded_start.load(std::memory_order_relaxed)) {
    guarded_length.store(0, std::memory_order_relaxed);
  }
  munmap(image, round_to_host_pages(image_size));
}
