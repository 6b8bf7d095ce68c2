// The direct-sound FIFOs as FIFO_A (0x0A0) and FIFO_B (0x0A4) writes fill them: signed 8-bit
// samples, lowest byte first, 32 to a FIFO.

#include "core/sound/sound_fifo.h"

#include <cstdint>

#include "core/io/io_registers.h"
#include "core/state.h"
#include "tests/core/hardware_fixture.h"

namespace {

using SoundFifoTest = HardwareTest;

const std::int8_t* samples(unsigned fifo) { return machine.direct_sound[fifo].fifo; }

TEST_F(SoundFifoTest, WritesOfEachWidthQueueTheirBytesLowestFirst) {
  io_write8(IO_FIFO_A + 1, 0x7F);
  io_write16(IO_FIFO_A + 2, 0x8180);
  io_write32(IO_FIFO_A, 0xFFFE0201);
  ASSERT_EQ(fifo_samples_queued(FIFO_A), 7u);
  const std::int8_t expected[7] = {127, -128, -127, 1, 2, -2, -1};
  for (int i = 0; i < 7; ++i) EXPECT_EQ(samples(FIFO_A)[i], expected[i]) << i;
  EXPECT_EQ(fifo_samples_queued(FIFO_B), 0u);
}

TEST_F(SoundFifoTest, FifoBHasItsOwnSamples) {
  io_write32(IO_FIFO_B, 0x44332211);
  io_write16(IO_FIFO_B + 2, 0x6655);
  EXPECT_EQ(fifo_samples_queued(FIFO_B), 6u);
  EXPECT_EQ(samples(FIFO_B)[5], 0x66);
  EXPECT_EQ(fifo_samples_queued(FIFO_A), 0u);
}

TEST_F(SoundFifoTest, FifoWritesAreNotStoredAsRegisters) {
  io_write32(IO_FIFO_A, 0x12345678);
  EXPECT_EQ(io_read32(IO_FIFO_A), 0u);
}

TEST_F(SoundFifoTest, WritePositionWrapsAfter32Samples) {
  for (std::uint32_t i = 0; i < 9; ++i) io_write32(IO_FIFO_A, 0x01010101 * i);
  EXPECT_EQ(machine.direct_sound[FIFO_A].fifo_write, 36u % 32);
  EXPECT_EQ(samples(FIFO_A)[0], 8) << "samples 32-35 replace 0-3";
  EXPECT_EQ(samples(FIFO_A)[4], 1);
}

TEST_F(SoundFifoTest, SoundcntHBit15EmptiesFifoBAndLeavesFifoA) {
  io_write32(IO_FIFO_A, 0x04030201);
  io_write32(IO_FIFO_B, 0x08070605);
  io_write16(IO_SOUNDCNT_H, 0x8000);
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(samples(FIFO_B)[i], 0) << i;
    EXPECT_EQ(samples(FIFO_A)[i], i + 1) << i;
  }
  EXPECT_EQ(machine.direct_sound[FIFO_B].fifo_write, 4u) << "the positions are kept";
}

TEST_F(SoundFifoTest, SoundcntHBit11EmptiesFifoA) {
  io_write32(IO_FIFO_A, 0x04030201);
  io_write16(IO_SOUNDCNT_H, 0x0800);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(samples(FIFO_A)[i], 0) << i;
}

}  // namespace
