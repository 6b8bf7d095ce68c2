#include "core/sound/sound_output.h"

#include <chrono>
#include <cstring>
#include <thread>

SoundBuffers sound_buffers;
std::uint8_t sound_enabled = 0;

namespace {

const SoundOutputDevice* output_device = nullptr;

std::uint64_t steady_milliseconds() {
  auto since_start = std::chrono::steady_clock::now().time_since_epoch();
  return static_cast<std::uint64_t>(
      std::chrono::duration_cast<std::chrono::milliseconds>(since_start).count());
}

SoundWaitClock wait_clock = steady_milliseconds;
std::uint64_t dropped_waiting = 0;

}  // namespace

void open_sound_output(const SoundOutputDevice* device) {
  output_device = device;
  std::memset(sound_buffers.area, 0, sizeof sound_buffers.area);
  for (std::atomic<bool>& flag : sound_buffers.done) flag.store(true);
  sound_buffers.current = 0;
  sound_enabled = device != nullptr ? 1 : 0;
}

void close_sound_output() {
  output_device = nullptr;
  sound_enabled = 0;
}

bool sound_output_open() { return output_device != nullptr; }

int FindFreeBuffer() {
  for (int i = 0; i < SOUND_BUFFER_COUNT; ++i) {
    if (sound_buffers.done[i].load(std::memory_order_acquire)) return i;
  }
  return -1;
}

void set_sound_wait_clock(SoundWaitClock clock) {
  wait_clock = clock != nullptr ? clock : steady_milliseconds;
}

int WaitForFreeBuffer() {
  int index = FindFreeBuffer();
  if (index >= 0 || !sound_output_open()) return index;
  std::uint64_t deadline = wait_clock() + SOUND_WAIT_LIMIT_MS;
  while (index < 0 && sound_output_open()) {
    if (wait_clock() >= deadline) {
      ++dropped_waiting;
      return -1;
    }
    std::this_thread::yield();
    index = FindFreeBuffer();
  }
  return index;
}

std::uint64_t sound_blocks_dropped_waiting() { return dropped_waiting; }

void SubmitBuffer() {
  int index = sound_buffers.current;
  sound_buffers.done[index].store(false, std::memory_order_release);
  if (output_device == nullptr) {
    // Nothing will ever play it: handing it straight back keeps the generator from waiting.
    mark_sound_buffer_done(index);
    return;
  }
  output_device->play(index, sound_buffers.area[index]);
}

void mark_sound_buffer_done(int index) {
  sound_buffers.done[index].store(true, std::memory_order_release);
}
