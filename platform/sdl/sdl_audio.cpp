#include "platform/sdl/sdl_audio.h"

#include <SDL.h>

#include <algorithm>
#include <cstring>
#include <thread>

namespace {

constexpr int CHANNELS = 2;
constexpr Uint16 DEVICE_SAMPLES = 1024;  // frames per callback: about 23 ms
constexpr auto POLL_INTERVAL = std::chrono::milliseconds(1);

}  // namespace

SdlAudioOutput::~SdlAudioOutput() { close(); }

bool SdlAudioOutput::open(PlayedCallback played, std::string& error) {
  if (device_ != 0) return true;
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
    error = SDL_GetError();
    return false;
  }
  SDL_AudioSpec wanted{};
  wanted.freq = AUDIO_RATE;
  wanted.format = AUDIO_S16LSB;
  wanted.channels = CHANNELS;
  wanted.samples = DEVICE_SAMPLES;
  wanted.callback = fill;
  wanted.userdata = this;
  SDL_AudioSpec obtained{};
  // No changes allowed: SDL converts whatever the hardware wants from exactly this format.
  device_ = SDL_OpenAudioDevice(nullptr, 0, &wanted, &obtained, 0);
  if (device_ == 0) {
    error = SDL_GetError();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return false;
  }
  played_ = played;
  started_ = false;
  head_ = 0;
  offset_ = 0;
  count_.store(0);
  return true;
}

void SdlAudioOutput::close() {
  if (device_ == 0) return;
  SDL_CloseAudioDevice(device_);  // waits for the audio thread to end
  device_ = 0;
  count_.store(0);
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

bool SdlAudioOutput::queue(int tag, const std::uint8_t* data, std::size_t bytes) {
  if (device_ == 0) return false;
  SDL_LockAudioDevice(device_);
  int count = count_.load(std::memory_order_relaxed);
  bool room = count < AUDIO_QUEUE_SLOTS;
  if (room) {
    slots_[(head_ + count) % AUDIO_QUEUE_SLOTS] = {tag, data, bytes};
    count_.store(count + 1, std::memory_order_release);
  }
  SDL_UnlockAudioDevice(device_);
  if (room && !started_) {
    started_ = true;
    SDL_PauseAudioDevice(device_, 0);
  }
  return room;
}

bool SdlAudioOutput::wait_until_fewer_than(int limit, std::chrono::milliseconds timeout) const {
  auto deadline = std::chrono::steady_clock::now() + timeout;
  while (queued() >= limit) {
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(POLL_INTERVAL);
  }
  return true;
}

int SdlAudioOutput::take_back_newest() {
  if (device_ == 0) return -1;
  SDL_LockAudioDevice(device_);
  int count = count_.load(std::memory_order_relaxed);
  int tag = -1;
  // The head buffer may be half played: it stays.
  if (count > 1 || (count == 1 && offset_ == 0)) {
    tag = slots_[(head_ + count - 1) % AUDIO_QUEUE_SLOTS].tag;
    count_.store(count - 1, std::memory_order_release);
  }
  SDL_UnlockAudioDevice(device_);
  return tag;
}

void SdlAudioOutput::fill(void* self, std::uint8_t* stream, int length) {
  static_cast<SdlAudioOutput*>(self)->fill_stream(stream, static_cast<std::size_t>(length));
}

void SdlAudioOutput::fill_stream(std::uint8_t* stream, std::size_t length) {
  while (length > 0 && count_.load(std::memory_order_acquire) > 0) {
    const Slot& slot = slots_[head_];
    std::size_t n = std::min(length, slot.bytes - offset_);
    std::memcpy(stream, slot.data + offset_, n);
    stream += n;
    length -= n;
    offset_ += n;
    if (offset_ < slot.bytes) break;
    int tag = slot.tag;
    head_ = (head_ + 1) % AUDIO_QUEUE_SLOTS;
    offset_ = 0;
    count_.fetch_sub(1, std::memory_order_acq_rel);
    played_(tag);
  }
  std::memset(stream, 0, length);  // nothing queued: silence
}
