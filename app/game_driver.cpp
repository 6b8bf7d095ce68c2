#include "app/game_driver.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>

#include "app/screenshot.h"
#include "core/cartridge.h"
#include "core/io_registers.h"
#include "core/memory.h"
#include "core/save_file.h"
#include "core/scheduler.h"
#include "core/snapshot.h"
#include "core/sound.h"
#include "core/state.h"
#include "cpu/arm_translate.h"
#include "cpu/code_memory.h"
#include "cpu/cpu_state.h"
#include "cpu/kest_port.h"
#include "cpu/runtime.h"
#include "cpu/translation_settings.h"
#include "frontend/gbaconfig.h"
#include "frontend/globals.h"
#include "platform/window_system.h"

namespace {

constexpr off_t MAX_CARTRIDGE_BYTES = 32 * 1024 * 1024;
constexpr off_t MIN_CARTRIDGE_BYTES = 0xC0;  // the header
constexpr int FRAME_WIDTH = 240;
constexpr int FRAME_HEIGHT = 160;

// Interim driver over the core's own calls: the picture at its own size in the middle of the
// screen, the keys through the bindings, no sound and no pad. The session and game-screen modules
// take its place as they are joined.
class CoreDriver : public CGameDriver {
 public:
  int PrepareHost(std::string& reason) override {
    if (!alloc_rom_buffer()) return fail(reason, cartridge_error_text(CartridgeError::NO_BUFFER));
    if (!open_code_memory()) return fail(reason, "cannot map memory for translated code");
    if (!icache_is_open() && !icache_open()) return fail(reason, "no instruction cache interface");
    install_translators();
    return 1;
  }

  int CheckCartridge(const char* path, std::string& reason) override {
    struct stat info {};
    int fd = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    const char* why = nullptr;
    if (fd < 0 || fstat(fd, &info) != 0) {
      why = std::strerror(errno);
    } else if (!S_ISREG(info.st_mode)) {
      why = "not a regular file";
    } else if (info.st_size == 0) {
      why = "is empty";
    } else if (info.st_size < MIN_CARTRIDGE_BYTES) {
      why = "too short for a cartridge header";
    } else if (info.st_size > MAX_CARTRIDGE_BYTES) {
      why = "larger than 32 MB";
    }
    if (fd >= 0) close(fd);
    if (why == nullptr) return 1;
    return fail(reason, std::string(path) + ": " + why);
  }

  int StartGame(const char* path, const char* save_path, std::string& reason) override {
    copy_bios_image();
    reset_scheduler();
    reset_translation_settings();
    CartridgeError error{};
    if (!load_cartridge(path, &error)) {
      return fail(reason, std::string(path) + ": " + cartridge_error_text(error));
    }
    if (save_path[0] == '\0' || !load_save_file(save_path)) erase_backup_memory();
    cpu_reset();
    reset_memory_map();
    reset_sound();
    key_state = 0;
    return 1;
  }

  int RunGame() override {
    running = this;
    stop = false;
    scheduler_host.frame_skip = static_cast<std::uint32_t>(UseFrameSkip(g_config.frame_skip));
    scheduler_host.frame_hook = frame_end;
    RuntimeExit exit = run_translated(machine.cycle_budget);
    scheduler_host.frame_hook = nullptr;
    running = nullptr;
    return exit == RuntimeExit::BAD_JUMP ? 0 : 1;
  }

  void RequestStop() override { stop = true; }
  int SaveSnapshot(const char* path) override { return save_snapshot(path); }
  int LoadSnapshot(const char* path) override { return load_snapshot(path); }
  void SetSnapshotLoaded() override { machine.snapshot_loaded = 1; }
  int WriteSave(const char* path) override {
    return save_file_size() == 0 || write_save_file(path) ? 1 : 0;
  }
  unsigned SaveWriteCount() override { return 0; }
  int SaveSequenceInProgress() override { return 0; }
  unsigned FrameNumber() override { return machine.frames_done; }
  int WriteScreenshot(const char* path) override {
    return write_screenshot(path, machine.frame_pixels) ? 1 : 0;
  }
  int EnterScreen(WindowHandle) override { return 1; }
  int LeaveScreen() override {
    redraw_screen();
    return 1;
  }
  int OpenSound() override { return 0; }
  int CloseSound() override { return 1; }
  void SurfaceSize(int& width, int& height) override {
    width = system_metric(Metric::SCREEN_WIDTH);
    height = system_metric(Metric::SCREEN_HEIGHT);
  }

  void PollKeyboard() override {
    const struct {
      std::int32_t CGbaConfig::*binding;
      unsigned mask;
    } keys[] = {
        {&CGbaConfig::vk_a, 0x001},     {&CGbaConfig::vk_b, 0x002},
        {&CGbaConfig::vk_select, 0x004}, {&CGbaConfig::vk_start, 0x008},
        {&CGbaConfig::vk_right, 0x010}, {&CGbaConfig::vk_left, 0x020},
        {&CGbaConfig::vk_up, 0x040},    {&CGbaConfig::vk_down, 0x080},
        {&CGbaConfig::vk_r, 0x100},     {&CGbaConfig::vk_l, 0x200},
    };
    unsigned held = 0;
    for (const auto& key : keys) {
      std::int32_t code = g_config.*key.binding;
      if (code > 0 && code < 256 && async_key_state(static_cast<unsigned>(code)) < 0) {
        held |= key.mask;
      }
    }
    key_state = held;
    check_keypad_irq(held);
    io_store16(IO_KEYINPUT, ~held & 0x3FF);
  }
  void PadTouch(int, int, int) override {}
  int HitsMenuButton(int, int) override { return 0; }
  int ChooseCartridge(WindowHandle, std::string& path) override {
    path.clear();  // the file dialog arrives with the game screen
    return 0;
  }

 private:
  static int fail(std::string& reason, const std::string& text) {
    reason = text;
    return 0;
  }

  static void frame_end() {
    if (running == nullptr) return;
    running->show_frame();
    FrameHook();
    if (running->stop) request_emulation_stop();
  }

  void show_frame() {
    ScreenLock lock = lock_screen();
    if (lock.pixels == nullptr) return;
    // The game screen is the picture on black: nothing of the menu's window shows around it.
    for (int row = 0; row < lock.height; ++row) {
      std::memset(reinterpret_cast<std::uint8_t*>(lock.pixels) + row * lock.pitch_bytes, 0,
                  static_cast<std::size_t>(lock.width) * 2);
    }
    int left = (lock.width - FRAME_WIDTH) / 2;
    int top = (lock.height - FRAME_HEIGHT) / 2;
    for (int y = 0; y < FRAME_HEIGHT; ++y) {
      int row = top + y;
      if (row < 0 || row >= lock.height) continue;
      auto* target = reinterpret_cast<std::uint16_t*>(reinterpret_cast<std::uint8_t*>(lock.pixels) +
                                                      row * lock.pitch_bytes);
      for (int x = 0; x < FRAME_WIDTH; ++x) {
        int column = left + x;
        if (column >= 0 && column < lock.width) target[column] = machine.frame_pixels[y * FRAME_WIDTH + x];
      }
    }
    unlock_screen();
  }

  static CoreDriver* running;
  bool stop = false;
  unsigned key_state = 0;
};

CoreDriver* CoreDriver::running = nullptr;

}  // namespace

std::unique_ptr<CGameDriver> make_game_driver() { return std::make_unique<CoreDriver>(); }

std::string help_page_url() {
  char path[PATH_MAX] = {};
  ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
  std::string folder = length > 0 ? std::string(path, static_cast<std::size_t>(length)) : "";
  folder = folder.substr(0, folder.find_last_of('/') + 1);
  return "file://" + folder + "help.html";
}
