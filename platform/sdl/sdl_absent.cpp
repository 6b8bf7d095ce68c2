// The SDL classes in a build without SDL2 (ORVANE_SDL off, as in the armhf cross build): nothing
// opens, so the program runs headless, without sound and without gamepads.

#include "platform/sdl/sdl_audio.h"
#include "platform/sdl/sdl_backend.h"
#include "platform/sdl/sdl_gamepad.h"

namespace {

const char* const NO_SDL = "this program was built without SDL2 (run it with --headless)";

}  // namespace

SdlBackend::~SdlBackend() = default;

bool SdlBackend::open(int, int, int, std::string& error) {
  error = NO_SDL;
  return false;
}

void SdlBackend::poll_input() {}
void SdlBackend::present(const Surface&, bool) {}
void SdlBackend::idle() {}
void SdlBackend::set_keyboard_grab(bool) {}
void SdlBackend::feed_stylus_down(int, int) {}
void SdlBackend::feed_stylus_up(int, int) {}
void SdlBackend::feed_key_down(unsigned) {}
void SdlBackend::feed_key_up(unsigned) {}

SdlAudioOutput::~SdlAudioOutput() = default;

bool SdlAudioOutput::open(PlayedCallback, std::string& error) {
  error = NO_SDL;
  return false;
}

void SdlAudioOutput::close() {}
bool SdlAudioOutput::queue(int, const std::uint8_t*, std::size_t) { return false; }
bool SdlAudioOutput::wait_until_fewer_than(int, std::chrono::milliseconds) const { return true; }
int SdlAudioOutput::take_back_newest() { return -1; }

SdlGamepads::~SdlGamepads() = default;
bool SdlGamepads::open() { return false; }
void SdlGamepads::close() {}
std::uint32_t SdlGamepads::poll() { return 0; }
