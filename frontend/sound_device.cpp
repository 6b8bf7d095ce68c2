#include "frontend/sound_device.h"

#include <chrono>

#include "core/report.h"
#include "core/sound/sound_output.h"
#include "frontend/gbaconfig.h"
#include "platform/sdl/sdl_audio.h"

namespace {

// About five buffers' playing time: a device that frees nothing for that long has stalled.
constexpr auto STALL_LIMIT = std::chrono::milliseconds(250);

SdlAudioOutput audio;
std::string open_error;
std::uint64_t dropped = 0;
bool fast_forward = false;

void played(int index) { mark_sound_buffer_done(index); }

void hand_back_newest() {
  int index = audio.take_back_newest();
  if (index >= 0) mark_sound_buffer_done(index);
}

// The generator looks for a free buffer before each block and would spin on none: this keeps one
// buffer free after every submission, waiting for the device up to STALL_LIMIT, so the waiting
// that paces the game happens here, with a deadline.
void play(int index, const std::uint8_t* data) {
  static_assert(SOUND_BUFFER_COUNT <= AUDIO_QUEUE_SLOTS);
  if (!audio.queue(index, data, SOUND_BUFFER_BYTES)) {
    mark_sound_buffer_done(index);
    ++dropped;
    return;
  }
  if (audio.queued() < SOUND_BUFFER_COUNT) return;
  if (fast_forward) {
    hand_back_newest();
    return;
  }
  if (audio.wait_until_fewer_than(SOUND_BUFFER_COUNT, STALL_LIMIT)) return;
  hand_back_newest();
  ++dropped;
}

const SoundOutputDevice sdl_device = {play};

}  // namespace

int OpenSound() {
  CloseSound();
  open_error.clear();
  if (!g_config.sound_on) return 0;
  if (!audio.open(played, open_error)) {
    debug_output("sound: no output device (%s); the game runs without sound\n", open_error.c_str());
    return 0;
  }
  open_sound_output(&sdl_device);
  return 1;
}

void CloseSound() {
  close_sound_output();
  audio.close();
}

const std::string& sound_open_error() { return open_error; }
std::uint64_t sound_blocks_dropped() { return dropped; }
void set_sound_fast_forward(bool on) { fast_forward = on; }
