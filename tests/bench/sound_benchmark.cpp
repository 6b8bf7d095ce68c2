// What one frame of sound costs with all six sources playing: both tones (one sweeping), the
// wave channel, noise, and both FIFOs at 32768 samples a second refilled by sound DMA from EWRAM,
// rendered, mixed and handed off to a device that frees each block at once.
//   sound_benchmark    Google Benchmark report (time per emulated frame)

#include <benchmark/benchmark.h>

#include <cstdint>

#include "core/io/io_registers.h"
#include "core/memory/memory.h"
#include "core/sound/sound.h"
#include "core/sound/sound_output.h"
#include "core/state.h"
#include "core/timing/scheduler.h"

namespace {

constexpr std::int32_t CYCLES_PER_FRAME = 228 * 1232;
constexpr std::uint32_t FIFO_PERIOD = 512;  // cycles per FIFO sample: 32768 Hz
constexpr std::uint32_t FIFO_STEP =
    static_cast<std::uint32_t>((std::uint64_t{1} << 40) / (FIFO_PERIOD * 44100ull));

void drop_block(int index, const std::uint8_t*) { mark_sound_buffer_done(index); }
const SoundOutputDevice dropping_device = {drop_block};

void arm_sound_dma(unsigned channel, std::uint32_t fifo_offset) {
  std::uint32_t base = 0x0B0 + 12 * channel;
  io_write32(base, 0x02000000);
  io_write32(base + 4, 0x04000000 + fifo_offset);
  io_write16(base + 10, 0xB640);  // enable, sound start, words, repeat, fixed destination
}

void start_all_sources() {
  clear_machine_state();
  reset_scheduler();
  reset_memory_map();
  reset_sound();
  open_sound_output(&dropping_device);
  for (std::uint32_t i = 0; i < 0x40000; ++i) {
    machine.ewram[i >> 15].data[i & 0x7FFF] = static_cast<std::uint8_t>(i * 37 + 11);
  }
  io_write16(IO_SOUNDCNT_X, 0x0080);
  io_write16(IO_SOUNDCNT_L, 0xFF77);
  io_write16(IO_SOUNDCNT_H, 0x770E);  // PSG 100 %, both FIFOs 100 % on both sides, timer 0
  io_write16(0x060, 0x0077);          // slow downward sweep
  io_write16(0x062, 0xF780);
  io_write16(0x064, 0x8000 | 1500);
  io_write16(0x068, 0xC740);
  io_write16(0x06C, 0x8000 | 1750);
  for (std::uint32_t i = 0; i < 8; ++i) io_write16(IO_WAVE_RAM + 2 * i, 0x1F2E + 0x1111 * i);
  io_write16(0x070, 0x0080);
  io_write16(0x072, 0x2000);
  io_write16(0x074, 0x8000 | 1900);
  io_write16(0x078, 0xF700);
  io_write16(0x07C, 0x8023);
  arm_sound_dma(1, IO_FIFO_A);
  arm_sound_dma(2, IO_FIFO_B);
}

// The scheduler's share of a frame: every FIFO overflow of the frame, then the frame-end update.
void one_frame_all_sources(benchmark::State& state) {
  start_all_sources();
  std::int32_t now = 0;
  for (auto _ : state) {
    for (std::int32_t t = 0; t < CYCLES_PER_FRAME; t += FIFO_PERIOD) {
      fifo_consume(FIFO_STEP, FIFO_A);
      fifo_consume(FIFO_STEP, FIFO_B);
    }
    now += CYCLES_PER_FRAME;
    sound_update(now);
    // The sources stay on: a length or an envelope must not make later frames cheaper.
    if (machine.sound.channels[0].active == 0) io_write16(0x064, 0x8000 | 1500);
    if (machine.dma_channels[1].source > 0x0203F000) arm_sound_dma(1, IO_FIFO_A);
    if (machine.dma_channels[2].source > 0x0203F000) arm_sound_dma(2, IO_FIFO_B);
  }
  for (const GeneratedChannel& ch : machine.sound.channels) {
    if (ch.active == 0) state.SkipWithError("a generated channel fell silent");
  }
  if (machine.dma_channels[1].source == 0x02000000) state.SkipWithError("sound DMA never ran");
  state.counters["frames_per_second"] =
      benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(one_frame_all_sources);

}  // namespace

BENCHMARK_MAIN();
