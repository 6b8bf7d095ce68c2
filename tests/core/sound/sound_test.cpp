// The sound generator against the hardware reference's rules: register fields, the tone, wave and
// noise channels with the 256 Hz sequencer, FIFO mixing, and the hand-off of 8192-byte blocks.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "core/dma/dma.h"
#include "core/io/io_registers.h"
#include "core/sound/sound.h"
#include "core/sound/sound_fifo.h"
#include "core/sound/sound_internal.h"
#include "core/sound/sound_output.h"
#include "core/state.h"
#include "tests/core/hardware_fixture.h"

namespace {

constexpr double CLOCK = 16777216.0;
constexpr double RATE = 44100.0;
constexpr std::uint32_t CYCLES_PER_FRAME = 228 * 1232;

// A device that keeps every block it is given and frees it at once.
std::vector<std::vector<std::uint8_t>> played;
void keep_block(int index, const std::uint8_t* data) {
  played.emplace_back(data, data + SOUND_BUFFER_BYTES);
  mark_sound_buffer_done(index);
}
const SoundOutputDevice keeping_device = {keep_block};

class SoundTest : public HardwareTest {
 protected:
  void SetUp() override {
    HardwareTest::SetUp();
    reset_sound();
    played.clear();
    open_sound_output(&keeping_device);
    io_write16(IO_SOUNDCNT_X, 0x0080);
    io_write16(IO_SOUNDCNT_L, 0xFF77);  // every channel on both sides, full side volume
    io_write16(IO_SOUNDCNT_H, 0x0002);  // generated channels at 100 %
  }
  void TearDown() override {
    close_sound_output();
    HardwareTest::TearDown();
  }

  static GeneratedChannel& ch(unsigned n) { return machine.sound.channels[n]; }
  static std::int16_t entry(std::uint32_t i) { return machine.sound.mix_ring[i & MIX_RING_MASK]; }
  static void render(std::uint32_t samples) { render_generated_channels(0, samples); }
  // Output samples before the sequencer's `ticks`-th tick, from a fresh sequencer.
  static std::uint32_t samples_for_ticks(std::uint32_t ticks) {
    return (ticks * FIXED_ONE + SEQUENCER_STEP - 1) / SEQUENCER_STEP;
  }
  // What one output sample moves a pattern of `positions_per_second`, in 16.16.
  static std::uint32_t step_of(double positions_per_second) {
    return static_cast<std::uint32_t>(positions_per_second / RATE * 65536.0);
  }
};

struct RegisterCase {
  std::uint32_t offset;
  std::uint32_t value;
  unsigned channel;
  std::uint32_t GeneratedChannel::*field;
  std::uint32_t expected;
};

TEST_F(SoundTest, RegisterFieldsDecodeAsTheReferenceLaysThemOut) {
  using G = GeneratedChannel;
  const RegisterCase cases[] = {
      {0x060, 0x0035, 0, &G::sweep_amount, 5},
      {0x060, 0x0035, 0, &G::sweep_down, 0},
      {0x060, 0x0035, 0, &G::sweep_period, 3 * 2},
      {0x060, 0x0035, 0, &G::sweep_on, 1},
      {0x060, 0x007E, 0, &G::sweep_down, 1},
      {0x060, 0x0008, 0, &G::sweep_on, 0},
      {0x062, 0xA7C5, 0, &G::length_left, 64 - 5},
      {0x062, 0xA7C5, 0, &G::duty_pattern, 3},
      {0x062, 0xA7C5, 0, &G::envelope_period, 7 * 4},
      {0x062, 0xA7C5, 0, &G::env_up, 0},
      {0x062, 0xA7C5, 0, &G::env_level, 10},
      {0x068, 0x1840, 1, &G::env_up, 1},
      {0x068, 0x1840, 1, &G::env_on, 0},
      {0x068, 0x1840, 1, &G::duty_pattern, 1},
      {0x064, 0x4123, 0, &G::freq_value, 0x123},
      {0x064, 0x4123, 0, &G::length_on, 1},
      {0x06C, 0x0700, 1, &G::length_on, 0},
      {0x070, 0x00A0, 2, &G::wave_64, 1},
      {0x070, 0x00A0, 2, &G::wave_bank, 0},
      {0x070, 0x00C0, 2, &G::wave_bank, 1},
      {0x070, 0x00C0, 2, &G::wave_playable, 1},
      {0x072, 0x20FF, 2, &G::length_left, 1},
      {0x072, 0x2000, 2, &G::wave_level, 0x4000},
      {0x072, 0x4000, 2, &G::wave_level, 0x2000},
      {0x072, 0x6000, 2, &G::wave_level, 0x1000},
      {0x072, 0xE000, 2, &G::wave_level, 0x3000},
      {0x072, 0x0000, 2, &G::wave_level, 0},
      {0x078, 0x0A3F, 3, &G::length_left, 1},
      {0x078, 0x0A3F, 3, &G::envelope_period, 2 * 4},
      {0x078, 0x0A3F, 3, &G::env_up, 1},
      {0x07C, 0x4008, 3, &G::noise_width, 7},
      {0x07C, 0x4000, 3, &G::noise_width, 15},
      {0x07C, 0x4000, 3, &G::length_on, 1},
      {0x080, 0x9A00, 0, &G::routing, 2},
      {0x080, 0x9A00, 1, &G::routing, 1},
      {0x080, 0x9A00, 2, &G::routing, 0},
      {0x080, 0x9A00, 3, &G::routing, 3},
  };
  for (const RegisterCase& c : cases) {
    io_write16(c.offset, c.value);
    EXPECT_EQ(ch(c.channel).*c.field, c.expected) << std::hex << c.offset << " = " << c.value;
  }
}

TEST_F(SoundTest, ControlRegistersSetVolumesRoutingAndMasterEnable) {
  io_write16(IO_SOUNDCNT_L, 0x0053);
  EXPECT_EQ(machine.sound.side_volume_right, (4096 * 3 * 2 + 7) / 14) << "3/7, rounded";
  EXPECT_EQ(machine.sound.side_volume_left, (4096 * 5 * 2 + 7) / 14);
  const std::int32_t psg_quarters[4] = {1, 2, 4, 0};  // 25 %, 50 %, 100 %, prohibited
  for (std::uint32_t v = 0; v < 4; ++v) {
    io_write16(IO_SOUNDCNT_H, v);
    EXPECT_EQ(machine.sound.psg_volume, psg_quarters[v]);
  }
  io_write16(IO_SOUNDCNT_H, 0x210D);
  EXPECT_EQ(machine.direct_sound[FIFO_A].full_volume, 1u);
  EXPECT_EQ(machine.direct_sound[FIFO_B].full_volume, 1u);
  EXPECT_EQ(machine.direct_sound[FIFO_A].routing, 1u) << "bit 8: right";
  EXPECT_EQ(machine.direct_sound[FIFO_B].routing, 2u) << "bit 13: left";
  io_write16(IO_SOUND2CNT_H, 0x8400);
  EXPECT_EQ(ch(1).active, 1u);
  EXPECT_EQ(io16(IO_SOUND2CNT_H) & 0x8000, 0u) << "the restart bit reads back as 0";
  sound_update(0);
  EXPECT_EQ(io16(IO_SOUNDCNT_X), 0x0082u) << "channel 2 on";
  io_write16(IO_SOUNDCNT_X, 0x0000);
  EXPECT_EQ(machine.sound.master_enable, 0u);
  EXPECT_EQ(ch(1).active, 0u);
  EXPECT_EQ(io16(IO_SOUNDCNT_X), 0u);
}

TEST_F(SoundTest, PitchStepsFollowTheReferenceFrequencies) {
  for (std::uint32_t n : {0u, 1u, 1024u, 1750u, 2047u}) {
    io_write16(IO_SOUND1CNT_X, n);
    EXPECT_EQ(ch(0).pitch_step, step_of(131072.0 / (2048 - n) * 8)) << n;  // 8 duty steps
    io_write16(IO_SOUND3CNT_X, n);
    EXPECT_EQ(ch(2).pitch_step, step_of(2097152.0 / (2048 - n))) << n;  // wave samples
  }
  for (std::uint32_t r = 0; r < 8; ++r) {
    for (std::uint32_t s : {0u, 3u, 13u}) {
      io_write16(IO_SOUND4CNT_H, s << 4 | r);
      double ratio = r == 0 ? 0.5 : r;
      EXPECT_EQ(ch(3).pitch_step, step_of(524288.0 / ratio / (1 << (s + 1)))) << r << " " << s;
    }
  }
}

TEST_F(SoundTest, DutyPatternsHaveTheirShareOfHighSteps) {
  const unsigned highs[4] = {1, 2, 4, 6};  // 12.5, 25, 50, 75 % of 8 steps
  io_write16(IO_SOUND2CNT_H, 0x8000);
  for (std::uint32_t duty = 0; duty < 4; ++duty) {
    std::memset(machine.sound.mix_ring, 0, sizeof machine.sound.mix_ring);
    io_write16(IO_SOUND2CNT_L, 0xF000 | duty << 6);
    ch(1).phase = 0;
    ch(1).pitch_step = FIXED_ONE;  // one pattern step per output sample
    render(8);
    // psg 4 x side 4096 x level 16384 >> 22 = 64 per unit of pattern value.
    unsigned high = 0, rises = 0;
    for (unsigned i = 0; i < 8; ++i) {
      std::int16_t v = entry(2 * i);
      EXPECT_TRUE(v == 7 * 64 || v == -8 * 64) << duty << " " << i << " " << v;
      high += v > 0;
      rises += v > 0 && entry(2 * ((i + 7) % 8)) < 0;
      EXPECT_EQ(entry(2 * i + 1), v) << "both sides";
    }
    EXPECT_EQ(high, highs[duty]) << duty;
    EXPECT_EQ(rises, 1u) << "one high run per period, duty " << duty;
  }
}

struct EnvelopeCase {
  std::uint32_t start, step_time, up, ticks, expected;
};

TEST_F(SoundTest, EnvelopeStepsEveryStepTimeSixtyFourthsOfASecond) {
  // One step per n/64 s is one per 4n ticks of 256 Hz, bounded by 0 and 15.
  const EnvelopeCase cases[] = {
      {15, 1, 0, 32, 15 - 8}, {3, 2, 1, 32, 3 + 4}, {14, 7, 1, 128, 15}, {2, 1, 0, 32, 0},
      {9, 3, 0, 11, 9},       {9, 3, 0, 12, 8},     {6, 0, 1, 64, 6},
  };
  for (const EnvelopeCase& c : cases) {
    reset_sound();
    io_write16(IO_SOUNDCNT_X, 0x0080);
    io_write16(IO_SOUND2CNT_L, c.start << 12 | c.up << 11 | c.step_time << 8);
    io_write16(IO_SOUND2CNT_H, 0x8000);
    render(samples_for_ticks(c.ticks));
    EXPECT_EQ(ch(1).env_level, c.expected) << c.start << " " << c.step_time << " " << c.ticks;
  }
}

TEST_F(SoundTest, LengthSixtyThreeToneLastsOneTick) {
  io_write16(IO_SOUND2CNT_L, 0xF080 | 63);
  io_write16(IO_SOUND2CNT_H, 0xC000 | 1750);  // restart, length on
  // 256 Hz at 44100 samples a second: the tick falls 172.3 samples in.
  std::uint32_t heard = samples_for_ticks(1);
  ASSERT_GE(heard, 172u);
  ASSERT_LE(heard, 173u);
  std::uint32_t samples = 400;
  sound_update(static_cast<std::int32_t>(samples * CLOCK / RATE) + 1);
  for (std::uint32_t i = 0; i < samples; ++i) {
    if (i < heard) {
      ASSERT_NE(entry(2 * i), 0) << i;
    } else {
      ASSERT_EQ(entry(2 * i), 0) << i;
    }
  }
  EXPECT_EQ(ch(1).active, 0u);
  EXPECT_EQ(io16(IO_SOUNDCNT_X) & 0x000F, 0u);
}

struct SweepCase {
  std::uint32_t freq, shift, down, steps, expected;
  bool active;
};

TEST_F(SoundTest, SweepMovesByItsShiftAndFallsSilentAt2048) {
  // X(t) = X(t-1) +/- X(t-1) / 2^n, one step per sweep time x 2 ticks.
  const SweepCase cases[] = {
      {1024, 1, 0, 1, 1536, true},  {1024, 2, 1, 1, 768, true},  {1000, 3, 1, 2, 766, true},
      {1024, 1, 0, 2, 2048, false}, {1365, 1, 0, 1, 2047, true}, {1366, 1, 0, 1, 2048, false},
      {1, 0, 1, 1, 0, true},
  };
  for (const SweepCase& c : cases) {
    reset_sound();
    io_write16(IO_SOUNDCNT_X, 0x0080);
    io_write16(IO_SOUND1CNT_L, 0x0010 | c.down << 3 | c.shift);  // sweep time 1: every 2 ticks
    io_write16(IO_SOUND1CNT_H, 0xF080);
    io_write16(IO_SOUND1CNT_X, 0x8000 | c.freq);
    render(samples_for_ticks(2 * c.steps));
    EXPECT_EQ(ch(0).freq_value, c.expected) << c.freq << " " << c.shift << " " << c.down;
    EXPECT_EQ(ch(0).active != 0, c.active) << c.freq << " " << c.shift;
    if (c.active) {
      EXPECT_EQ(ch(0).pitch_step, step_of(131072.0 / (2048 - c.expected) * 8));
    }
  }
}

TEST_F(SoundTest, NoiseTablesStartAsTheShiftRegisterDescriptionGives) {
  // From 0xFF the 15-bit register puts out eight ones; the last of them feeds a one into bit 14,
  // which reaches bit 0 fourteen outputs later: ones at 0-7 and 22. Bits 1 and 0 of the
  // register then hold 1 and 0, so the feedback puts ones 14 and 15 steps after (36, 37) and
  // so on: 0xFF000200, 0x0C002800.
  build_noise_tables();
  EXPECT_EQ(noise_table_15[0], 0xFF000200u);
  EXPECT_EQ(noise_table_15[1], 0x0C002800u);
  // The 7-bit register's feedback arrives after six shifts instead of fourteen.
  EXPECT_EQ(noise_table_7[0], 0xFE041851u);
  // A maximal-length register of w bits puts out 2^(w-1) ones in its 2^w - 1 steps.
  unsigned ones15 = 0, ones7 = 0;
  for (unsigned i = 0; i < NOISE_ENTRIES_15; ++i) ones15 += noise_bit(noise_table_15, i);
  for (unsigned i = 0; i < NOISE_ENTRIES_7; ++i) ones7 += noise_bit(noise_table_7, i);
  EXPECT_EQ(ones15, 1u << 14);
  EXPECT_EQ(ones7, 1u << 6);
}

TEST_F(SoundTest, WaveChannelPlaysWaveRamHighNibbleFirst) {
  io_write16(IO_WAVE_RAM, 0x10F0);  // bytes F0 10: samples 15-8, 0-8, 1-8, 0-8
  io_write16(IO_SOUND3CNT_L, 0x0080);
  io_write16(IO_SOUND3CNT_H, 0x2000);  // 100 %
  io_write16(IO_SOUND3CNT_X, 0x8000);
  ch(2).pitch_step = FIXED_ONE;
  render(4);
  const std::int16_t expected[4] = {7 * 64, -8 * 64, -7 * 64, -8 * 64};
  for (unsigned i = 0; i < 4; ++i) EXPECT_EQ(entry(2 * i), expected[i]) << i;
}

TEST_F(SoundTest, FifoAt44100AddsOneEntryPerSample) {
  io_write16(IO_SOUNDCNT_H, 0x0304);  // FIFO A at 100 % on both sides
  io_write32(IO_FIFO_A, 0x04FD0201);  // 1, 2, -3, 4
  for (int i = 0; i < 3; ++i) fifo_consume(FIXED_ONE, FIFO_A);
  EXPECT_EQ(machine.direct_sound[FIFO_A].mix_pos, 6u);
  const std::int16_t expected[3] = {16, 32, -48};
  for (unsigned i = 0; i < 3; ++i) {
    EXPECT_EQ(entry(2 * i), expected[i]) << i;
    EXPECT_EQ(entry(2 * i + 1), expected[i]) << i;
  }
  EXPECT_EQ(entry(6), 0);
}

TEST_F(SoundTest, SlowFifoInterpolatesBetweenSamples) {
  io_write16(IO_SOUNDCNT_H, 0x0200);                      // FIFO A at 50 %, left only
  io_write16(IO_FIFO_A, 0x2010);                          // 16, 32
  fifo_consume(FIXED_ONE / 4, FIFO_A);                    // a quarter sample per output sample
  const std::int16_t expected[4] = {128, 160, 192, 224};  // 8 x (16 + 16 k / 4)
  for (unsigned i = 0; i < 4; ++i) {
    EXPECT_EQ(entry(2 * i), expected[i]) << i;
    EXPECT_EQ(entry(2 * i + 1), 0) << "left only";
  }
}

TEST_F(SoundTest, LowFifoAsksSoundDmaForFourWords) {
  for (std::uint32_t i = 0; i < 4; ++i) {
    machine.ewram[0].data[i * 4] = static_cast<std::uint8_t>(i + 1);  // words 1, 2, 3, 4
  }
  io_write32(dma_register_base(1), 0x02000000);
  io_write32(dma_register_base(1) + 4, 0x04000000 + IO_FIFO_A);
  io_write16(dma_register_base(1) + 10, 0xB640);  // enable, sound start, words, repeat, fixed
  for (int i = 0; i < 18; ++i) io_write8(IO_FIFO_A, 0);
  const DirectSoundChannel& d = machine.direct_sound[FIFO_A];
  fifo_consume(FIXED_ONE, FIFO_A);
  EXPECT_EQ(d.fifo_write, 18u) << "17 left is not yet low";
  fifo_consume(FIXED_ONE, FIFO_A);
  EXPECT_EQ(d.fifo_write, (18u + 16) % 32) << "16 left: four words arrive";
  EXPECT_EQ(d.fifo[18], 1);
  EXPECT_EQ(d.fifo[22], 2);
  EXPECT_EQ(d.fifo[(18 + 12) % 32], 4);
}

TEST_F(SoundTest, OutputClampsTo12BitsAndShiftsBy4) {
  const std::int16_t in[6] = {3000, -3000, 2047, -2048, 100, -1};
  const std::int16_t out[6] = {32752, -32768, 32752, -32768, 1600, -16};
  std::memcpy(machine.sound.mix_ring, in, sizeof in);
  machine.sound.mix_write = 4096;
  sound_update(0);
  ASSERT_EQ(played.size(), 1u);
  for (unsigned i = 0; i < 6; ++i) {
    auto sample = static_cast<std::int16_t>(played[0][2 * i] | played[0][2 * i + 1] << 8);
    EXPECT_EQ(sample, out[i]) << i;
    EXPECT_EQ(entry(i), 0) << "copied entries are zeroed";
  }
  EXPECT_EQ(machine.sound.mix_read, 4096u);
}

TEST_F(SoundTest, BlocksFollowTheFramesRun) {
  io_write16(IO_SOUND2CNT_L, 0xF080);
  io_write16(IO_SOUND2CNT_H, 0x8000 | 1750);
  run_until(10 * CYCLES_PER_FRAME);
  auto samples = static_cast<std::size_t>(10.0 * CYCLES_PER_FRAME * RATE / CLOCK);
  EXPECT_EQ(played.size(), samples / 2048);
  EXPECT_EQ(machine.sound.mix_write, 2 * samples % MIX_RING_ENTRIES);
}

TEST_F(SoundTest, DisabledSoundRequestsNoBuffer) {
  sound_enabled = 0;
  io_write16(IO_SOUND2CNT_L, 0xF080);
  io_write16(IO_SOUND2CNT_H, 0x8000 | 1750);
  io_write16(IO_FIFO_A, 0x7F7F);
  run_until(10 * CYCLES_PER_FRAME);
  fifo_consume(FIXED_ONE, FIFO_A);
  EXPECT_TRUE(played.empty());
  EXPECT_EQ(machine.sound.mix_write, 0u);
  EXPECT_EQ(machine.direct_sound[FIFO_A].mix_pos, 0u);
}

TEST_F(SoundTest, WithoutADeviceBlocksAreDroppedWithoutWaiting) {
  close_sound_output();
  sound_enabled = 1;  // as a device that failed to open would leave it
  for (std::atomic<bool>& done : sound_buffers.done) done.store(false);
  machine.sound.mix_ring[0] = 500;
  machine.sound.mix_write = 2 * 4096;
  sound_update(0);
  EXPECT_EQ(machine.sound.mix_read, 2u * 4096);
  EXPECT_EQ(entry(0), 0);
}

// A clock that moves one millisecond each time the wait looks at it.
std::uint64_t fake_now_ms = 0;
std::uint64_t ticking_clock() { return fake_now_ms++; }

// A device that takes blocks and never plays them: the generator waits for a free buffer for
// 250 ms of the wait's clock, then drops the block and counts it; a freed buffer ends the wait.
TEST_F(SoundTest, AStalledDeviceCostsADroppedBlockAfterAQuarterSecond) {
  set_sound_wait_clock(ticking_clock);
  for (std::atomic<bool>& done : sound_buffers.done) done.store(false);
  std::uint64_t dropped_before = sound_blocks_dropped_waiting();
  machine.sound.mix_ring[0] = 500;
  machine.sound.mix_write = 2 * 4096;
  fake_now_ms = 1000;
  sound_update(0);
  EXPECT_EQ(sound_blocks_dropped_waiting() - dropped_before, 2u);
  EXPECT_GE(fake_now_ms, 1000u + 2 * 250);
  EXPECT_LE(fake_now_ms, 1000u + 2 * 252);
  EXPECT_EQ(machine.sound.mix_read, 2u * 4096);
  EXPECT_EQ(entry(0), 0);
  EXPECT_TRUE(played.empty());

  sound_buffers.done[5].store(true);
  std::uint64_t clock_before = fake_now_ms;
  EXPECT_EQ(WaitForFreeBuffer(), 5);
  EXPECT_EQ(fake_now_ms, clock_before);
  EXPECT_EQ(sound_blocks_dropped_waiting() - dropped_before, 2u);
  set_sound_wait_clock(nullptr);
}

TEST_F(SoundTest, TimerRestartMovesItsFifosOnByTheTimeStopped) {
  machine.timers[0].stopped_at_cycles = 0;
  machine.elapsed_cycles = static_cast<std::int32_t>(CLOCK);  // one second later
  io_write16(IO_TM0CNT_L + 2, 0x0080);
  std::uint32_t expected = static_cast<std::uint32_t>(2 * RATE) % MIX_RING_ENTRIES;
  EXPECT_EQ(machine.direct_sound[FIFO_A].mix_pos, expected);
  EXPECT_EQ(machine.direct_sound[FIFO_B].mix_pos, expected) << "timer 0 drives both at reset";
}

}  // namespace
