#pragma once
// The hand-off between the sound generator and the output device: eight 8192-byte buffers, each
// with a done flag. The generator fills a buffer only after the device has marked it done; the
// device (installed by the front end) plays the buffers in the order submitted and marks each done
// when it has been played. Done flags are atomic because a device may mark them from its own
// thread; nothing else is shared.

#include <atomic>
#include <cstdint>

constexpr int SOUND_BUFFER_COUNT = 8;
constexpr unsigned SOUND_BUFFER_BYTES = 8192;

struct SoundOutputDevice {
  // Queues buffer `index` (SOUND_BUFFER_BYTES of 16-bit stereo at 44100 Hz) for playing.
  void (*play)(int index, const std::uint8_t* data);
};

struct SoundBuffers {
  alignas(64) std::uint8_t area[SOUND_BUFFER_COUNT][SOUND_BUFFER_BYTES];
  std::atomic<bool> done[SOUND_BUFFER_COUNT];
  int current;  // the buffer the generator has just filled
};
extern SoundBuffers sound_buffers;

// The core's sound-enable flag: while 0 the generator does nothing at all.
extern std::uint8_t sound_enabled;

// Installs `device` with every buffer zeroed and free and enables the generator; nullptr closes:
// the generator is disabled, so it never waits for buffers that nothing will play.
void open_sound_output(const SoundOutputDevice* device);
void close_sound_output();
bool sound_output_open();

// Lowest index whose done flag is set, -1 when all eight are queued.
int FindFreeBuffer();

// How long the generator waits for the device to free a buffer before it gives the block up: a
// device that stops playing costs lost sound, never a frozen game. About five buffers' playing.
constexpr std::uint64_t SOUND_WAIT_LIMIT_MS = 250;
// Milliseconds on a steady clock; tests install one that they advance themselves.
using SoundWaitClock = std::uint64_t (*)();
void set_sound_wait_clock(SoundWaitClock clock);  // nullptr: the steady clock
// A free buffer, waited for while a device is open, for at most SOUND_WAIT_LIMIT_MS. -1 when none
// came free: the block is to be dropped; a drop after a wait is counted.
int WaitForFreeBuffer();
// Blocks dropped because no buffer came free in time, since the program started.
std::uint64_t sound_blocks_dropped_waiting();
// Queues the buffer at `sound_buffers.current` on the device.
void SubmitBuffer();
// For devices: buffer `index` has been played.
void mark_sound_buffer_done(int index);
