#pragma once
// Sound through SDL2: 44100 Hz signed 16-bit stereo, played from a queue of the caller's buffers
// in the order queued. SDL's audio thread copies from the buffers and reports each one played
// through a callback; it touches nothing else. The queue holds at most AUDIO_QUEUE_SLOTS buffers.

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>

constexpr int AUDIO_RATE = 44100;
constexpr int AUDIO_QUEUE_SLOTS = 8;

class SdlAudioOutput {
 public:
  // Called on SDL's audio thread when the buffer queued with `tag` has been played.
  using PlayedCallback = void (*)(int tag);

  SdlAudioOutput() = default;
  ~SdlAudioOutput();
  SdlAudioOutput(const SdlAudioOutput&) = delete;
  SdlAudioOutput& operator=(const SdlAudioOutput&) = delete;

  // Opens the default output device, paused until the first buffer is queued. False with SDL's
  // reason in `error` when there is none.
  bool open(PlayedCallback played, std::string& error);
  // Stops the device; buffers still queued are dropped without being reported.
  void close();
  bool is_open() const { return device_ != 0; }

  // Queues `bytes` at `data`, which must stay untouched until reported played. False when the
  // device is closed or the queue is full.
  bool queue(int tag, const std::uint8_t* data, std::size_t bytes);
  int queued() const { return count_.load(std::memory_order_acquire); }
  // Waits until fewer than `limit` buffers are queued; false when that did not happen in time.
  bool wait_until_fewer_than(int limit, std::chrono::milliseconds timeout) const;
  // Takes back the most recently queued buffer if playing has not started on it; its tag, or -1.
  int take_back_newest();

 private:
  struct Slot {
    int tag;
    const std::uint8_t* data;
    std::size_t bytes;
  };
  static void fill(void* self, std::uint8_t* stream, int length);
  void fill_stream(std::uint8_t* stream, std::size_t length);

  std::uint32_t device_ = 0;
  PlayedCallback played_ = nullptr;
  bool started_ = false;
  // A ring of queued buffers; the audio thread advances `head_` and `offset_`, the main thread
  // appends, each side under SDL's device lock.
  Slot slots_[AUDIO_QUEUE_SLOTS] = {};
  int head_ = 0;
  std::size_t offset_ = 0;  // bytes of the head buffer already played
  std::atomic<int> count_{0};
};
