// Register writes with side effects, as the console's register map lays them out.

#include "core/io/io_registers.h"

#include "core/alerts.h"
#include "core/dma/dma.h"
#include "tests/core/hardware_fixture.h"

namespace {

using IoRegisterTest = HardwareTest;

void set_dma_addresses(unsigned channel, std::uint32_t source, std::uint32_t dest) {
  io_write32(dma_register_base(channel) + DMA_SAD, source);
  io_write32(dma_register_base(channel) + DMA_DAD, dest);
}

TEST_F(IoRegisterTest, DispcntModeChangeMarksObjectsDirty) {
  machine.oam_dirty = 0;
  io_write16(IO_DISPCNT, 0x0080 | 0x1000);  // same mode 0, objects on
  EXPECT_EQ(machine.oam_dirty, 0);
  io_write16(IO_DISPCNT, 0x1003);
  EXPECT_EQ(machine.oam_dirty, 1);
  EXPECT_EQ(io16(IO_DISPCNT), 0x1003u);
}

TEST_F(IoRegisterTest, ReadOnlyCountersIgnoreWrites) {
  io_store16(IO_VCOUNT, 42);
  io_write16(IO_VCOUNT, 7);
  io_write8(IO_VCOUNT, 9);
  io_write16(IO_KEYINPUT, 0);
  EXPECT_EQ(io16(IO_VCOUNT), 42u);
  EXPECT_EQ(io16(IO_KEYINPUT), 0x03FFu);
}

TEST_F(IoRegisterTest, ReferencePointsAreSignExtendedFrom28Bits) {
  io_write16(IO_BG2X, 0x0100);
  io_write16(IO_BG2X + 2, 0x0800);  // bit 27
  EXPECT_EQ(machine.affine_ref_x[0], static_cast<std::int32_t>(0xF8000100));
  io_write32(IO_BG3Y, 0xF7FFFFFF);  // bits 28-31 are not part of the value
  EXPECT_EQ(machine.affine_ref_y[1], 0x07FFFFFF);
  io_write8(IO_BG2Y + 3, 0x0F);
  EXPECT_EQ(machine.affine_ref_y[0], static_cast<std::int32_t>(0xFF000000));
}

TEST_F(IoRegisterTest, HaltcntHaltsOrStops) {
  EXPECT_EQ(io_write16(IO_POSTFLG, 0x0001), ALERT_HALTED);
  EXPECT_EQ(reg[SLOT_HALT_STATE], CPU_HALTED);
  EXPECT_EQ(machine.io_regs[IO_POSTFLG], 1);
  reg[SLOT_HALT_STATE] = CPU_RUNNING;
  EXPECT_EQ(io_write8(IO_HALTCNT, 0x80), ALERT_HALTED);
  EXPECT_EQ(reg[SLOT_HALT_STATE], CPU_STOPPED);
  reg[SLOT_HALT_STATE] = CPU_RUNNING;
  EXPECT_EQ(io_write8(IO_POSTFLG, 0x01), ALERT_NONE);
  EXPECT_EQ(reg[SLOT_HALT_STATE], CPU_RUNNING);
}

TEST_F(IoRegisterTest, WordWriteToDma1CountStartsAnImmediateTransferOf0x4000Units) {
  set_dma_addresses(1, 0x08000000, 0x03000000);
  io_write32(0x0C4, 0x80000000);
  const DmaChannel& c = machine.dma_channels[1];
  EXPECT_EQ(io16(0x0C4), 0u);
  EXPECT_EQ(c.unit_count, 0x4000u);
  // It ran at once: 0x4000 halfwords on from each start, and the channel is off again.
  EXPECT_EQ(c.start_mode, DMA_INACTIVE);
  EXPECT_EQ(io16(0x0C6) & 0x8000, 0u);
  EXPECT_EQ(c.source, 0x08000000u + 0x4000 * 2);
  EXPECT_EQ(c.dest, 0x03000000u + 0x4000 * 2);
}

TEST_F(IoRegisterTest, DmaControlFieldsAreDecoded) {
  set_dma_addresses(3, 0xF2000010, 0x06000000);  // the top four address bits go
  io_write16(0x0DC, 0);                          // channel 3: 0 means 0x10000
  io_write16(0x0DE, 0x8000 | 0x4000 | 0x2000 | 0x0400 | 0x0200 | 0x0100 | 0x0060);
  const DmaChannel& c = machine.dma_channels[3];
  EXPECT_EQ(c.source, 0x02000010u);
  EXPECT_EQ(c.unit_count, 0x10000u);
  EXPECT_EQ(c.dest_step, 3u);
  EXPECT_EQ(c.source_step, 2u);
  EXPECT_EQ(c.repeat, 1u);
  EXPECT_EQ(c.word_size, 1u);
  EXPECT_EQ(c.start_mode, DMA_HBLANK);
  EXPECT_EQ(c.irq_enable, 1u);
  EXPECT_EQ(c.sound_link, DMA_LINK_NONE);
}

TEST_F(IoRegisterTest, ArmedChannelIgnoresAnotherEnablingWrite) {
  set_dma_addresses(0, 0x02000000, 0x06000000);
  io_write16(0x0B8, 0x4010);  // channel 0 keeps 14 bits: 0x0010
  io_write16(0x0BA, 0x9000);  // V-blank
  EXPECT_EQ(machine.dma_channels[0].unit_count, 0x10u);
  io_write16(0x0BA, 0xA000);
  EXPECT_EQ(machine.dma_channels[0].start_mode, DMA_VBLANK);
  EXPECT_EQ(io16(0x0BA), 0x9000u);
  io_write16(0x0BA, 0x0000);
  EXPECT_EQ(machine.dma_channels[0].start_mode, DMA_INACTIVE);
  EXPECT_EQ(io16(0x0BA), 0u);
}

TEST_F(IoRegisterTest, SpecialModeOnChannels1And2FeedsASoundFifo) {
  set_dma_addresses(2, 0x02000000, 0x040000A4);
  io_write16(0x0D2, 0xB000 | 0x0200);  // special, repeat, halfwords, incrementing destination
  const DmaChannel& c = machine.dma_channels[2];
  EXPECT_EQ(c.sound_link, DMA_LINK_FIFO_B);
  EXPECT_EQ(c.word_size, 1u);
  EXPECT_EQ(c.unit_count, 4u);
  EXPECT_EQ(c.dest_step, 2u);
  set_dma_addresses(1, 0x02000000, 0x040000A0);
  io_write16(0x0C6, 0xB000);
  EXPECT_EQ(machine.dma_channels[1].sound_link, DMA_LINK_FIFO_A);
}

TEST_F(IoRegisterTest, Dma3ToEepromWith17HalfwordsSelects8Kb) {
  set_dma_addresses(3, 0x08000000, 0x0D000000);
  io_write16(0x0DC, 9);
  io_write16(0x0DE, 0x8000);
  EXPECT_EQ(machine.backup.eeprom_8k, 0);
  io_write16(0x0DE, 0);
  io_write16(0x0DC, 17);
  io_write16(0x0DE, 0x8000);
  EXPECT_EQ(machine.backup.eeprom_8k, 1);
}

TEST_F(IoRegisterTest, DmaControlByteWritesCombineWithTheStoredByte) {
  set_dma_addresses(0, 0x02000000, 0x06000000);
  io_write8(0x0BA, 0x40);  // destination fixed, stored only
  EXPECT_EQ(machine.dma_channels[0].start_mode, DMA_INACTIVE);
  io_write8(0x0BB, 0x90);  // enable, V-blank
  EXPECT_EQ(machine.dma_channels[0].start_mode, DMA_VBLANK);
  EXPECT_EQ(machine.dma_channels[0].dest_step, 2u);
}

TEST_F(IoRegisterTest, SoundTimerSelectChoosesWhichTimerDrivesEachFifo) {
  io_write16(IO_SOUNDCNT_H, 0x4000);  // FIFO B on timer 1
  EXPECT_EQ(machine.timers[0].fifo_channels, 1u);
  EXPECT_EQ(machine.timers[1].fifo_channels, 2u);
  io_write16(IO_SOUNDCNT_H, 0x0400);
  EXPECT_EQ(machine.timers[0].fifo_channels, 2u);
  EXPECT_EQ(machine.timers[1].fifo_channels, 1u);
}

TEST_F(IoRegisterTest, SoundChannelWritesRequestAnUpdate) {
  io_write16(0x062, 0xF080);
  EXPECT_EQ(machine.sound_registers_written, 1);
  EXPECT_EQ(io16(0x062), 0xF080u);
  io_store16(IO_SOUNDCNT_X, 0x0005);
  io_write16(IO_SOUNDCNT_X, 0x008A);  // channel flags stay the generator's
  EXPECT_EQ(io16(IO_SOUNDCNT_X), 0x0085u);
}

TEST_F(IoRegisterTest, FifoWritesAreNotStored) {
  io_write32(IO_FIFO_A, 0x12345678);
  io_write16(IO_FIFO_B, 0x1234);
  io_write8(IO_FIFO_B + 3, 0x56);
  EXPECT_EQ(io_read32(IO_FIFO_A), 0u);
  EXPECT_EQ(io_read32(IO_FIFO_B), 0u);
}

TEST_F(IoRegisterTest, PlainRegistersAreStored) {
  io_write16(IO_IE, 0x3FFF);
  io_write16(IO_IME, 1);
  io_write32(0x048, 0x3F3F1F1F);  // WININ, WINOUT
  io_write8(0x050, 0x41);
  EXPECT_EQ(io16(IO_IE), 0x3FFFu);
  EXPECT_EQ(io16(IO_IME), 1u);
  EXPECT_EQ(io_read32(0x048), 0x3F3F1F1Fu);
  EXPECT_EQ(io16(0x050), 0x41u);
}

}  // namespace
