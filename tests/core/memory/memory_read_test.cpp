#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "core/memory/bios_image.h"
#include "tests/core/memory/memory_fixture.h"

namespace {

TEST_F(MemoryTest, MisalignedReadsRotateAsTheConsolesCpu) {
  rom_image[0x100] = 0x11;
  rom_image[0x101] = 0xA2;
  rom_image[0x102] = 0x33;
  rom_image[0x103] = 0x44;
  load(rom_image);

  EXPECT_EQ(mem_read16(0x08000100), 0xA211u);
  EXPECT_EQ(mem_read16(0x08000101), 0x110000A2u);   // aligned halfword ROR 8
  EXPECT_EQ(mem_read16s(0x08000101), 0xFFFFFFA2u);  // the byte, sign-extended
  EXPECT_EQ(mem_read16s(0x08000100), 0xFFFFA211u);
  EXPECT_EQ(mem_read32(0x08000100), 0x4433A211u);
  EXPECT_EQ(mem_read32(0x08000101), 0x114433A2u);
  EXPECT_EQ(mem_read32(0x08000102), 0xA2114433u);
  EXPECT_EQ(mem_read32(0x08000103), 0x33A21144u);
  EXPECT_EQ(mem_read8(0x08000103), 0x44u);
}

TEST_F(MemoryTest, SignedHalfwordOfPositiveValuesStaysPositive) {
  machine.iwram.data[0x10] = 0x34;
  machine.iwram.data[0x11] = 0x7F;
  EXPECT_EQ(mem_read16s(0x03000010), 0x7F34u);
  EXPECT_EQ(mem_read16s(0x03000011), 0x7Fu);
}

TEST_F(MemoryTest, WorkRamIsMirroredThroughItsRegion) {
  machine.ewram[3].data[0x1234] = 0x5A;
  EXPECT_EQ(mem_read8(0x02000000 + 3 * 0x8000 + 0x1234), 0x5Au);
  EXPECT_EQ(mem_read8(0x02040000 + 3 * 0x8000 + 0x1234), 0x5Au);
  EXPECT_EQ(mem_read8(0x02FC0000 + 3 * 0x8000 + 0x1234), 0x5Au);
  machine.iwram.data[0x7FFF] = 0xC3;
  EXPECT_EQ(mem_read8(0x03007FFF), 0xC3u);
  EXPECT_EQ(mem_read8(0x03FFFFFF), 0xC3u);
}

TEST_F(MemoryTest, VramObjectAreaIsSeenAgainInTheLast32KbOfEvery128Kb) {
  machine.vram_data[0x10000] = 0x12;
  machine.vram_data[0x17FFF] = 0x34;
  machine.vram_data[0x00004] = 0x56;
  EXPECT_EQ(mem_read8(0x06018000), 0x12u);
  EXPECT_EQ(mem_read8(0x0601FFFF), 0x34u);
  EXPECT_EQ(mem_read8(0x06020004), 0x56u);
  EXPECT_EQ(mem_read8(0x06038000), 0x12u);
  // The page table agrees with the slow path.
  EXPECT_EQ(machine.read_map[0x06018000 >> 15], machine.vram_data + 0x10000);
  EXPECT_EQ(machine.read_map[0x06010000 >> 15], machine.vram_data + 0x10000);
  EXPECT_EQ(machine.read_map[0x06028000 >> 15], machine.vram_data + 0x8000);
}

struct BiosReadCase {
  std::uint32_t pc;
  std::uint32_t protect_word;
  bool sees_image;
};

class BiosReadTest : public MemoryTest, public ::testing::WithParamInterface<BiosReadCase> {};

TEST_P(BiosReadTest, TheImageIsReadableOnlyFromInsideTheBios) {
  const BiosReadCase& c = GetParam();
  machine.bios_protect_word = c.protect_word;
  reg[SLOT_PC] = c.pc;
  for (std::uint32_t address : {0x00u, 0x1Cu, 0x28u, 0x3FFCu}) {
    std::uint32_t image_word =
        machine.bios_area.image[address] | machine.bios_area.image[address + 1] << 8 |
        machine.bios_area.image[address + 2] << 16 |
        static_cast<std::uint32_t>(machine.bios_area.image[address + 3]) << 24;
    std::uint32_t expected = c.sees_image ? image_word : c.protect_word;
    SCOPED_TRACE(address);
    EXPECT_EQ(mem_read32(address), expected);
    EXPECT_EQ(mem_read16(address), expected & 0xFFFF);
    EXPECT_EQ(mem_read16(address + 2), expected >> 16);
    EXPECT_EQ(mem_read8(address + 1), (expected >> 8) & 0xFF);
    EXPECT_EQ(mem_read8(address + 3), expected >> 24);
  }
}

INSTANTIATE_TEST_SUITE_P(AfterResetAndAfterAnInterrupt, BiosReadTest,
                         ::testing::Values(BiosReadCase{0x08000000, BIOS_PROTECT_AFTER_RESET,
                                                        false},
                                           BiosReadCase{0x08000000, BIOS_PROTECT_AFTER_IRQ, false},
                                           BiosReadCase{0x03000100, BIOS_PROTECT_AFTER_IRQ, false},
                                           BiosReadCase{0x00000130, BIOS_PROTECT_AFTER_RESET, true},
                                           BiosReadCase{0x00003FFC, BIOS_PROTECT_AFTER_IRQ, true}),
                         [](const auto& test) {
                           char name[48];
                           std::snprintf(name, sizeof name, "Pc%08X_Word%08X", test.param.pc,
                                         test.param.protect_word);
                           return std::string(name);
                         });

TEST_F(MemoryTest, ResetLeavesTheProtectWordOfAFreshConsole) {
  reg[SLOT_PC] = 0x08000000;
  EXPECT_EQ(mem_read32(0x00000000), 0xE129F000u);
  EXPECT_EQ(mem_read8(0x00000001), 0xF0u);
  EXPECT_EQ(mem_read16(0x00000002), 0xE129u);
}

TEST_F(MemoryTest, OpenBusInArmStateIsTheWordBeingPrefetched) {
  reg[SLOT_CPSR] = 0x1F;
  reg[SLOT_PC] = 0x08000108;  // prefetch at 0x0800010C
  std::uint32_t prefetched = rom_word(0x10C);
  EXPECT_EQ(mem_read32(0x01000000), prefetched);
  EXPECT_EQ(mem_read32(0x10000000), prefetched);
  EXPECT_EQ(mem_read16(0x01000000), prefetched & 0xFFFF);
  EXPECT_EQ(mem_read16(0x01000002), prefetched >> 16);
  EXPECT_EQ(mem_read8(0x01000003), prefetched >> 24);
  EXPECT_EQ(mem_read8(0xFFFFFFF1), (prefetched >> 8) & 0xFF);
}

TEST_F(MemoryTest, OpenBusInThumbStateRepeatsTheHalfwordBeingPrefetched) {
  reg[SLOT_CPSR] = 0x1F | CPSR_THUMB;
  reg[SLOT_PC] = 0x08000104;  // prefetch at 0x08000106
  std::uint32_t half = rom_word(0x106) & 0xFFFF;
  EXPECT_EQ(mem_read32(0x01000000), half | half << 16);
  EXPECT_EQ(mem_read16(0x01000000), half);
  EXPECT_EQ(mem_read8(0x01000000), half & 0xFF);
  EXPECT_EQ(mem_read8(0x01000001), half >> 8);
}

TEST_F(MemoryTest, OpenBusPrefetchFromAnUnmappedRegionReadsZeroInsteadOfRecursing) {
  reg[SLOT_CPSR] = 0x1F;
  reg[SLOT_PC] = 0x01000000;
  EXPECT_EQ(mem_read32(0x01000000), 0u);
}

TEST_F(MemoryTest, ReadsPastTheEndOfTheCartridgeReturnZero) {
  EXPECT_NE(mem_read32(0x08000000 + ROM_BYTES - 4), 0u);
  for (std::uint32_t address :
       {0x08000000u + static_cast<std::uint32_t>(ROM_BYTES), 0x08800000u, 0x09FFFFFCu,
        0x0A000000u + static_cast<std::uint32_t>(ROM_BYTES), 0x0C100000u}) {
    SCOPED_TRACE(address);
    EXPECT_EQ(mem_read32(address), 0u);
    EXPECT_EQ(mem_read16(address), 0u);
    EXPECT_EQ(mem_read8(address), 0u);
  }
}

TEST_F(MemoryTest, AllThreeRomMirrorsShowTheSameImage) {
  for (std::uint32_t base : {0x08000000u, 0x0A000000u, 0x0C000000u}) {
    EXPECT_EQ(mem_read32(base + 0x8010), rom_word(0x8010)) << std::hex << base;
  }
  EXPECT_EQ(machine.read_map[0x0A000000 >> 15], machine.read_map[0x08000000 >> 15]);
  EXPECT_EQ(machine.read_map[0x0C008000 >> 15], machine.read_map[0x08008000 >> 15]);
}

// The save memory's bus is 8 bits wide: wider reads see the addressed byte on every lane.
TEST_F(MemoryTest, SaveMemoryRegionRepeatsItsByteOnEveryLane) {
  machine.backup_buffer[0x1234] = 0x5A;
  EXPECT_EQ(mem_read8(0x0E001234), 0x5Au);
  EXPECT_EQ(mem_read8(0x0E011234), 0x5Au);
  EXPECT_EQ(mem_read8(0x0F001234), 0x5Au);
  EXPECT_EQ(mem_read16(0x0E001234), 0x5A5Au);
  EXPECT_EQ(mem_read32(0x0E001234), 0x5A5A5A5Au);
}

TEST_F(MemoryTest, IoPaletteAndOamReadBackTheirImages) {
  machine.io_regs[0x200] = 0x21;
  machine.palette_data[0x3FE] = 0x43;
  machine.oam_data[0x3FF] = 0x65;
  EXPECT_EQ(mem_read8(0x04000200), 0x21u);
  EXPECT_EQ(mem_read8(0x04000600), 0x21u);
  EXPECT_EQ(mem_read8(0x050003FE), 0x43u);
  EXPECT_EQ(mem_read8(0x05000BFE), 0x43u);
  EXPECT_EQ(mem_read8(0x070003FF), 0x65u);
}

}  // namespace
