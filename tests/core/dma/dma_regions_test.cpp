// How each region reads and takes DMA units: masks that wrap inside a region, a destination that
// runs into the next region, the VRAM mirror, palette conversion, OAM, the cartridge.

#include <cstdint>

#include "core/alerts.h"
#include "core/memory/palette.h"
#include "tests/core/dma/dma_fixture.h"

namespace {

using DmaRegionTest = DmaTest;

TEST_F(DmaRegionTest, DestinationRunningPastItsRegionContinuesInTheNext) {
  // Two words fit below 0x03000000; the last two land at the start of IWRAM.
  start_dma(3, ROM, 0x02FFFFF8, 4, DMA_ENABLE | DMA_WORDS);
  EXPECT_EQ(word_at(EWRAM + 0x3FFF8), rom_word(0));
  EXPECT_EQ(word_at(EWRAM + 0x3FFFC), rom_word(4));
  EXPECT_EQ(word_at(IWRAM), rom_word(8));
  EXPECT_EQ(word_at(IWRAM + 4), rom_word(12));
  EXPECT_EQ(machine.dma_channels[3].source, ROM + 16);
  EXPECT_EQ(machine.dma_channels[3].dest, IWRAM + 8);
}

TEST_F(DmaRegionTest, DescendingDestinationRunsIntoTheRegionBelow) {
  for (std::uint32_t i = 0; i < 4; ++i) put_word(0x05000000 + 4 * i, 0x100 + i);  // palette
  start_dma(3, 0x05000000, IWRAM + 4, 4, DMA_ENABLE | DMA_WORDS | dest_step(DOWN));
  EXPECT_EQ(word_at(IWRAM + 4), 0x100u);
  EXPECT_EQ(word_at(IWRAM), 0x101u);
  EXPECT_EQ(word_at(EWRAM + 0x3FFFC), 0x102u);
  EXPECT_EQ(word_at(EWRAM + 0x3FFF8), 0x103u);
  EXPECT_EQ(machine.dma_channels[3].dest, 0x02FFFFF4u);
}

TEST_F(DmaRegionTest, SourceRunningPastItsRegionWrapsInsideIt) {
  put_word(IWRAM + 0x7FFC, 0xAAAA0001);
  put_word(IWRAM, 0xAAAA0002);
  io_write32(0x000, 0x00000080);  // what 0x04000000 holds must not be read
  start_dma(3, 0x03FFFFFC, EWRAM, 2, DMA_ENABLE | DMA_WORDS);
  EXPECT_EQ(word_at(EWRAM), 0xAAAA0001u);
  EXPECT_EQ(word_at(EWRAM + 4), 0xAAAA0002u);
  EXPECT_EQ(machine.dma_channels[3].source, 0x04000004u);
}

TEST_F(DmaRegionTest, EwramSourceFollowsItsPagesAcrossA32KbBoundary) {
  put_word(EWRAM + 0x7FF8, 1);
  put_word(EWRAM + 0x7FFC, 2);
  put_word(EWRAM + 0x8000, 3);
  put_word(EWRAM + 0x8004, 4);
  start_dma(3, EWRAM + 0x7FF8, IWRAM, 4, DMA_ENABLE | DMA_WORDS);
  for (std::uint32_t i = 0; i < 4; ++i) EXPECT_EQ(word_at(IWRAM + 4 * i), i + 1);
}

TEST_F(DmaRegionTest, VramPastTheObjectTilesFoldsOntoThem) {
  put_word(IWRAM, 0x0A0A0A0A);
  put_word(IWRAM + 4, 0x0B0B0B0B);
  start_dma(3, IWRAM, VRAM + 0x17FFC, 2, DMA_ENABLE | DMA_WORDS);
  EXPECT_EQ(word_at(VRAM + 0x17FFC), 0x0A0A0A0Au);
  // 0x06018000 is the object-tile area again, which starts at 0x06010000.
  EXPECT_EQ(word_at(VRAM + 0x10000), 0x0B0B0B0Bu);
}

TEST_F(DmaRegionTest, VramReadsAsVram) {
  put_word(VRAM + 0x10000, 0x600D600D);
  start_dma(3, VRAM + 0x18000, IWRAM, 1, DMA_ENABLE | DMA_WORDS);
  EXPECT_EQ(word_at(IWRAM), 0x600D600Du);
}

TEST_F(DmaRegionTest, PaletteWritesKeepTheDeviceColoursInStep) {
  // Console colours are red 0-4, green 5-9, blue 10-14; the device's are red 11-15, green 6-10,
  // blue 0-4. Pure red 0x001F is 0xF800; white 0x7FFF is 0xF800 | 0x07C0 | 0x001F.
  put_word(IWRAM, 0x7FFF001F);
  put_half(IWRAM + 4, 0x7C00);  // pure blue: 0x001F
  start_dma(3, IWRAM, 0x05000200, 3, DMA_ENABLE);
  EXPECT_EQ(machine.native_palette[0x100], 0xF800);
  EXPECT_EQ(machine.native_palette[0x101], 0xFFDF);
  EXPECT_EQ(machine.native_palette[0x102], 0x001F);
  EXPECT_EQ(half_at(0x05000202), 0x7FFFu);
}

TEST_F(DmaRegionTest, PaletteWordsConvertBothHalves) {
  put_word(IWRAM, 0x03E0001F);  // green 0x03E0 is 0x07C0 on the device
  start_dma(3, IWRAM, 0x05000000, 1, DMA_ENABLE | DMA_WORDS);
  EXPECT_EQ(machine.native_palette[0], 0xF800);
  EXPECT_EQ(machine.native_palette[1], 0x07C0);
}

TEST_F(DmaRegionTest, OamWritesMarkObjectsDirty) {
  machine.oam_dirty = 0;
  put_word(IWRAM, 0x12345678);
  start_dma(3, IWRAM, 0x07000008, 1, DMA_ENABLE | DMA_WORDS);
  EXPECT_EQ(word_at(0x07000008), 0x12345678u);
  EXPECT_EQ(machine.oam_dirty, 1);
}

TEST_F(DmaRegionTest, IoDestinationGoesThroughTheRegisterHandlers) {
  put_half(IWRAM, 0xFFFF);
  put_half(IWRAM + 2, 0x0123);
  // DISPSTAT keeps its status bits 0-2 whatever is written; BG0HOFS stores what it is given.
  start_dma(3, IWRAM, 0x04000004, 1, DMA_ENABLE);
  start_dma(3, IWRAM + 2, 0x04000010, 1, DMA_ENABLE);
  EXPECT_EQ(io16(IO_DISPSTAT), 0xFFF8u);
  EXPECT_EQ(io16(0x010), 0x0123u);
}

TEST_F(DmaRegionTest, HaltWrittenByDmaReachesTheRuntime) {
  put_half(IWRAM, 0x0000);
  EXPECT_EQ(start_dma(3, IWRAM, 0x04000300, 1, DMA_ENABLE), ALERT_HALTED);
  EXPECT_EQ(reg[SLOT_HALT_STATE], CPU_HALTED);
}

TEST_F(DmaRegionTest, CartridgeSourceStopsAtTheEndOfTheImage) {
  put_word(IWRAM, 0xDEADBEEF);
  put_word(IWRAM + 4, 0xDEADBEEF);
  start_dma(3, ROM + ROM_BYTES - 4, IWRAM, 2, DMA_ENABLE | DMA_WORDS);
  EXPECT_EQ(word_at(IWRAM), rom_word(ROM_BYTES - 4));
  EXPECT_EQ(word_at(IWRAM + 4), 0xDEADBEEFu) << "nothing moves from beyond the image";
}

TEST_F(DmaRegionTest, CartridgeMirrorsReadTheSameImage) {
  start_dma(3, 0x0A000000 + 0x100, IWRAM, 4, DMA_ENABLE | DMA_WORDS);
  for (std::uint32_t i = 0; i < 4; ++i) EXPECT_EQ(word_at(IWRAM + 4 * i), rom_word(0x100 + 4 * i));
}

TEST_F(DmaRegionTest, NothingIsWrittenToTheCartridgeOrTheBios) {
  put_word(IWRAM, 0xFFFFFFFF);
  start_dma(3, IWRAM, ROM + 0x40, 1, DMA_ENABLE | DMA_WORDS);
  start_dma(3, IWRAM, 0x00000040, 1, DMA_ENABLE | DMA_WORDS);
  EXPECT_EQ(machine.read_map[ROM >> 15][0x40], rom_image[0x40]);
  EXPECT_EQ(machine.bios_area.image[0x40], bios_image[0x40]);
  EXPECT_EQ(machine.dma_channels[3].dest, 0x00000044u) << "the addresses still advance";
}

TEST_F(DmaRegionTest, UnmappedSourceMovesNothing) {
  put_word(IWRAM, 0x5555AAAA);
  start_dma(3, 0x01000000, IWRAM, 1, DMA_ENABLE | DMA_WORDS);
  EXPECT_EQ(word_at(IWRAM), 0x5555AAAAu);
}

class DmaPagedRomTest : public DmaTest {
 protected:
  static constexpr std::size_t PAGED_ROM_BYTES = 0x40000;  // 8 pages through 2 slots

  void SetUp() override {
    HardwareTest::SetUp();
    ASSERT_TRUE(alloc_rom_buffer_of_size(0x10000));
    load_rom(PAGED_ROM_BYTES);
    ASSERT_TRUE(rom_is_paged());
  }
};

TEST_F(DmaPagedRomTest, AbsentPagesAreLoadedAsTheRunReachesThem) {
  // Pages 5 and 6 are not resident; the run starts at the end of one and goes into the other.
  start_dma(3, ROM + 0x2FFF8, IWRAM, 4, DMA_ENABLE | DMA_WORDS);
  for (std::uint32_t i = 0; i < 4; ++i) {
    EXPECT_EQ(word_at(IWRAM + 4 * i), rom_word(0x2FFF8 + 4 * i)) << i;
  }
}

TEST_F(DmaPagedRomTest, LongRunsCycleThroughTheSlots) {
  // 0x10000 halfwords: pages 0-3 through two slots.
  start_dma(3, ROM, EWRAM, 0, DMA_ENABLE);
  for (std::uint32_t offset : {0x0u, 0x7FFEu, 0x8000u, 0x1FFFEu}) {
    EXPECT_EQ(half_at(EWRAM + offset), rom_half(offset)) << std::hex << offset;
  }
}

}  // namespace
