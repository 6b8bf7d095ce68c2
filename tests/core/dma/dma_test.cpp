// Immediate transfers: what is copied, where the addresses end, and what the channel and the
// runtime are told. Units are halfwords unless the control says words.

#include <cstdint>

#include "core/alerts.h"
#include "core/dma/dma.h"
#include "cpu/translation_cache.h"
#include "tests/core/dma/dma_fixture.h"

namespace {

TEST_F(DmaTest, RomToIwramWordsCopyAndClearTheEnableBit) {
  EXPECT_EQ(start_dma(3, ROM, IWRAM, 0x80, DMA_ENABLE | DMA_WORDS), ALERT_NONE);
  for (std::uint32_t i = 0; i < 0x80; ++i) {
    ASSERT_EQ(word_at(IWRAM + 4 * i), rom_word(4 * i)) << "word " << i;
  }
  EXPECT_EQ(word_at(IWRAM + 0x200), 0u) << "one word too many";
  EXPECT_EQ(control_of(3) & DMA_ENABLE, 0u);
  const DmaChannel& c = machine.dma_channels[3];
  EXPECT_EQ(c.start_mode, DMA_INACTIVE);
  EXPECT_EQ(c.source, ROM + 0x200);
  EXPECT_EQ(c.dest, IWRAM + 0x200);
}

TEST_F(DmaTest, ControlRegisterKeepsEverythingButTheEnableBit) {
  std::uint32_t control = DMA_ENABLE | DMA_WORDS | source_step(FIXED) | dest_step(DOWN);
  start_dma(3, ROM, IWRAM + 0x100, 4, control);
  EXPECT_EQ(control_of(3), control & ~DMA_ENABLE);
}

TEST_F(DmaTest, BiosSourceWritesZeros) {
  ASSERT_NE(bios_image[0] | bios_image[1] | bios_image[2] | bios_image[3], 0) << "a BIOS of zeros "
                                                                                 "proves nothing";
  for (std::uint32_t i = 0; i < 9; ++i) put_half(IWRAM + 0x100 + 2 * i, 0xFFFF);
  EXPECT_EQ(start_dma(3, 0x00000000, IWRAM + 0x100, 8, DMA_ENABLE), ALERT_NONE);
  for (std::uint32_t i = 0; i < 8; ++i) EXPECT_EQ(half_at(IWRAM + 0x100 + 2 * i), 0u) << i;
  EXPECT_EQ(half_at(IWRAM + 0x110), 0xFFFFu);
}

TEST_F(DmaTest, SourceStepsDownWhileTheDestinationStepsUp) {
  for (std::uint32_t i = 0; i < 16; ++i) put_half(IWRAM + 2 * i, 0x1000 + i);
  start_dma(3, IWRAM + 0x10, IWRAM + 0x100, 4, DMA_ENABLE | source_step(DOWN));
  // Halfwords 8, 7, 6, 5 of the source, in that order.
  for (std::uint32_t i = 0; i < 4; ++i) EXPECT_EQ(half_at(IWRAM + 0x100 + 2 * i), 0x1008 - i);
  EXPECT_EQ(machine.dma_channels[3].source, IWRAM + 0x10 - 4 * 2);
  EXPECT_EQ(machine.dma_channels[3].dest, IWRAM + 0x100 + 4 * 2);
}

TEST_F(DmaTest, DestinationStepsDown) {
  for (std::uint32_t i = 0; i < 4; ++i) put_word(IWRAM + 4 * i, 0xA0000000 + i);
  start_dma(3, IWRAM, IWRAM + 0x10C, 4, DMA_ENABLE | DMA_WORDS | dest_step(DOWN));
  for (std::uint32_t i = 0; i < 4; ++i) EXPECT_EQ(word_at(IWRAM + 0x10C - 4 * i), 0xA0000000 + i);
  EXPECT_EQ(word_at(IWRAM + 0xFC), 0u);
  EXPECT_EQ(machine.dma_channels[3].dest, IWRAM + 0x10C - 4 * 4);
}

TEST_F(DmaTest, FixedSourceFillsWithOneValue) {
  put_word(IWRAM, 0x12345678);
  start_dma(3, IWRAM, EWRAM, 5, DMA_ENABLE | DMA_WORDS | source_step(FIXED));
  for (std::uint32_t i = 0; i < 5; ++i) EXPECT_EQ(word_at(EWRAM + 4 * i), 0x12345678u) << i;
  EXPECT_EQ(machine.dma_channels[3].source, IWRAM);
}

TEST_F(DmaTest, UnhandledSourceStepMovesNothing) {
  put_half(IWRAM, 0xBEEF);
  EXPECT_EQ(start_dma(3, IWRAM, EWRAM, 4, DMA_ENABLE | source_step(3)), ALERT_NONE);
  EXPECT_EQ(half_at(EWRAM), 0u);
  EXPECT_EQ(machine.dma_channels[3].source, IWRAM);
  EXPECT_EQ(machine.dma_channels[3].dest, EWRAM);
}

TEST_F(DmaTest, MisalignedAddressesMoveWholeUnits) {
  put_word(IWRAM, 0x11223344);
  start_dma(3, IWRAM + 2, EWRAM + 3, 1, DMA_ENABLE | DMA_WORDS);
  EXPECT_EQ(word_at(EWRAM), 0x11223344u);
}

// ---- length register 0

TEST_F(DmaTest, ZeroLengthOnChannels0To2Means0x4000Units) {
  for (std::uint32_t i = 0; i < 0x4001; ++i) put_half(EWRAM + 2 * i, i ^ 0x5A5A);
  put_half(EWRAM + 0x10000 + 2 * 0x4000, 0xCCCC);
  start_dma(0, EWRAM, EWRAM + 0x10000, 0, DMA_ENABLE);
  EXPECT_EQ(half_at(EWRAM + 0x10000), 0x5A5Au);
  EXPECT_EQ(half_at(EWRAM + 0x10000 + 2 * 0x3FFF), 0x3FFFu ^ 0x5A5A);
  EXPECT_EQ(half_at(EWRAM + 0x10000 + 2 * 0x4000), 0xCCCCu) << "unit 0x4000 must not move";
  EXPECT_EQ(machine.dma_channels[0].source, EWRAM + 2 * 0x4000);
}

TEST_F(DmaTest, ZeroLengthOnChannel3Means0x10000Units) {
  put_half(EWRAM + 2 * 0xFFFF, 0x7777);
  start_dma(3, EWRAM, EWRAM + 0x20000, 0, DMA_ENABLE);
  EXPECT_EQ(half_at(EWRAM + 0x20000 + 2 * 0xFFFF), 0x7777u);
  EXPECT_EQ(machine.dma_channels[3].source, EWRAM + 2 * 0x10000);
  EXPECT_EQ(machine.dma_channels[3].dest, EWRAM + 0x20000 + 2 * 0x10000);
}

// ---- the runtime's alerts

class DmaCodeTest : public DmaTest {
 protected:
  void SetUp() override {
    DmaTest::SetUp();
    for (std::uint32_t i = 0; i < 0x20; ++i) put_word(EWRAM + 4 * i, 0xE1A00000 + i);
  }
  // What the translator leaves on the halfword at IWRAM offset `offset` when it covers it.
  static void mark_code(std::uint32_t offset) { tag_ram_code(IWRAM + offset, 2); }
};

TEST_F(DmaCodeTest, CopyOverTranslatedCodeAsksForAFlushAfterCopyingEverything) {
  mark_code(0x40);
  EXPECT_EQ(start_dma(3, EWRAM, IWRAM, 0x20, DMA_ENABLE | DMA_WORDS), ALERT_CODE_OVERWRITTEN);
  EXPECT_EQ(word_at(IWRAM + 0x7C), 0xE1A00000u + 0x1F);
  EXPECT_EQ(io16(IO_IF), 0u);
}

TEST_F(DmaCodeTest, CopyBesideTranslatedCodeAsksForNothing) {
  mark_code(0x80);
  EXPECT_EQ(start_dma(3, EWRAM, IWRAM, 0x20, DMA_ENABLE | DMA_WORDS), ALERT_NONE);
}

TEST_F(DmaCodeTest, TheSecondHalfOfAWordCountsToo) {
  mark_code(0x42);
  EXPECT_EQ(start_dma(3, EWRAM, IWRAM, 0x20, DMA_ENABLE | DMA_WORDS), ALERT_CODE_OVERWRITTEN);
}

TEST_F(DmaCodeTest, EwramCodeCountsLikeIwramCode) {
  tag_ram_code(EWRAM + 0x10010, 2);
  EXPECT_EQ(start_dma(3, IWRAM, EWRAM + 0x10000, 8, DMA_ENABLE | DMA_WORDS),
            ALERT_CODE_OVERWRITTEN);
}

TEST_F(DmaCodeTest, InterruptOutranksTheFlushButTheCodeIsDroppedAnyway) {
  mark_code(0x40);
  unsigned flushes = caches.ram_flush_count;
  EXPECT_EQ(start_dma(2, EWRAM, IWRAM, 0x20, DMA_ENABLE | DMA_WORDS | DMA_IRQ), ALERT_INTERRUPT);
  EXPECT_EQ(io16(IO_IF), 0x0100u << 2);
  EXPECT_EQ(caches.ram_flush_count, flushes + 1);
  EXPECT_EQ(machine.iwram.tags[0x40 / 2], 0);
  EXPECT_EQ(reg[SLOT_REDISPATCH], 1u);
}

TEST_F(DmaCodeTest, InterruptWithoutCodeLeavesTheCacheAlone) {
  unsigned flushes = caches.ram_flush_count;
  EXPECT_EQ(start_dma(1, EWRAM, IWRAM, 4, DMA_ENABLE | DMA_IRQ), ALERT_INTERRUPT);
  EXPECT_EQ(io16(IO_IF), 0x0100u << 1);
  EXPECT_EQ(caches.ram_flush_count, flushes);
}

// ---- the EEPROM's size from the length of the transfers that address it

TEST_F(DmaTest, Channel3LengthsWithLowBits0x11SelectThe8KbEeprom) {
  struct Case {
    unsigned channel;
    std::uint32_t dest;
    std::uint32_t count;
    bool eight_kb;
  };
  // A read request is 2 command bits, the address and 1 stop bit: 9 halfwords with 6 address
  // bits, 17 with 14. A write adds 64 data bits: 73 and 81.
  const Case cases[] = {
      {3, 0x0D000000, 17, true},  {3, 0x0D000000, 81, true},  {3, 0x0DFFFF00, 17, true},
      {3, 0x0D000000, 9, false},  {3, 0x0D000000, 73, false}, {2, 0x0D000000, 17, false},
      {3, 0x0E000000, 17, false}, {3, 0x03000000, 17, false},
  };
  for (const Case& k : cases) {
    machine.backup.eeprom_8k = 0;
    start_dma(k.channel, ROM, k.dest, k.count, DMA_ENABLE);
    EXPECT_EQ(machine.backup.eeprom_8k, k.eight_kb ? 1 : 0)
        << "channel " << k.channel << std::hex << " dest 0x" << k.dest << std::dec << " count "
        << k.count;
  }
}

}  // namespace
