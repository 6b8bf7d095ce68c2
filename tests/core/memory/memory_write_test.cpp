#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "core/alerts.h"
#include "core/io/io_registers.h"
#include "core/memory/palette.h"
#include "tests/core/memory/memory_fixture.h"

namespace {

std::uint16_t vram16(std::uint32_t offset) {
  return static_cast<std::uint16_t>(machine.vram_data[offset] | machine.vram_data[offset + 1] << 8);
}

TEST_F(MemoryTest, PaletteConvertsHalfwordsAndWords) {
  mem_write16(0x05000002, 0x7C1F);
  EXPECT_EQ(machine.palette_data[2], 0x1F);
  EXPECT_EQ(machine.palette_data[3], 0x7C);
  EXPECT_EQ(machine.native_palette[1], 0xF81F);

  mem_write32(0x05000204, 0x03E0801F);  // both object-palette colours of the word
  EXPECT_EQ(machine.native_palette[258], 0xF820);
  EXPECT_EQ(machine.native_palette[259], 0x07C0);
}

struct ColourCase {
  std::uint16_t console;
  std::uint16_t device;
};

class NativeColourTest : public ::testing::TestWithParam<ColourCase> {};

// Red moves from bits 0-4 to 11-15, green from 5-9 to 6-10, blue from 10-14 to 0-4; the unused
// bit 15 of the stored colour lands in bit 5.
TEST_P(NativeColourTest, ConvertsToTheDevicesLayout) {
  EXPECT_EQ(native_colour(GetParam().console), GetParam().device);
}

INSTANTIATE_TEST_SUITE_P(Channels, NativeColourTest,
                         ::testing::Values(ColourCase{0x0000, 0x0000}, ColourCase{0x001F, 0xF800},
                                           ColourCase{0x03E0, 0x07C0}, ColourCase{0x7C00, 0x001F},
                                           ColourCase{0x7FFF, 0xFFDF}, ColourCase{0x8000, 0x0020},
                                           ColourCase{0x0421, 0x0841}),
                         [](const auto& test) {
                           char name[16];
                           std::snprintf(name, sizeof name, "Colour%04X", test.param.console);
                           return std::string(name);
                         });

// The hardware reference's "Writing 8bit Data to Video Memory": background VRAM and palette RAM
// store the byte into both halves of the halfword; object tiles (from 0x10000, from 0x14000 in
// the bitmap modes) and OAM keep what they held.
struct ByteWriteCase {
  unsigned mode;
  std::uint32_t address;
  bool stored;
};
const ByteWriteCase BYTE_WRITE_CASES[] =
    {
        {0, 0x05000001, true},  {0, 0x050003FE, true},  {0, 0x06000101, true},
        {0, 0x0600FFFF, true},  {0, 0x06010000, false}, {0, 0x06017FFF, false},
        {0, 0x06018002, false},  // the mirror folds onto the object tiles
        {3, 0x06010001, true},  {3, 0x06013FFE, true},  {3, 0x06014000, false},
        {4, 0x0601C001, false}, {5, 0x06012000, true},  {0, 0x07000010, false},
        {3, 0x070003FF, false},
};

TEST_F(MemoryTest, ByteWritesToVideoMemoryDoubleOrDrop) {
  for (const ByteWriteCase& c : BYTE_WRITE_CASES) {
    io_store16(IO_DISPCNT, c.mode);
    std::uint32_t halfword = c.address & ~1u;
    mem_write16(halfword, 0x1234);
    machine.oam_dirty = 0;
    EXPECT_EQ(mem_write8(c.address, 0xAB), ALERT_NONE);
    std::uint32_t expected = c.stored ? 0xABAB : 0x1234;
    EXPECT_EQ(mem_read16(halfword), expected) << std::hex << c.address << " mode " << c.mode;
    if ((c.address >> 24) == 0x05) {
      EXPECT_EQ(machine.native_palette[(c.address & 0x3FF) / 2], native_colour(expected));
    }
    if ((c.address >> 24) == 0x07) {
      EXPECT_EQ(machine.oam_dirty, 0);
    }
  }
}

TEST_F(MemoryTest, VramWritesFoldTheMirrors) {
  mem_write16(0x0601FFFE, 0x1234);
  EXPECT_EQ(vram16(0x17FFE), 0x1234);
  mem_write32(0x06020010, 0xDEADBEEF);
  EXPECT_EQ(vram16(0x10), 0xBEEF);
  EXPECT_EQ(vram16(0x12), 0xDEAD);
}

TEST_F(MemoryTest, WidthsAreAlignedDownAsTheBusDoes) {
  mem_write16(0x03000101, 0xBBAA);
  EXPECT_EQ(machine.iwram.data[0x100], 0xAA);
  EXPECT_EQ(machine.iwram.data[0x101], 0xBB);
  mem_write32(0x02000203, 0x44332211);
  EXPECT_EQ(machine.ewram[0].data[0x200], 0x11);
  EXPECT_EQ(machine.ewram[0].data[0x203], 0x44);
}

TEST_F(MemoryTest, OamWritesMarkTheObjectListDirty) {
  for (auto write :
       {+[] { return mem_write16(0x07000010, 1); }, +[] { return mem_write32(0x07000010, 1); }}) {
    machine.oam_dirty = 0;
    write();
    EXPECT_EQ(machine.oam_dirty, 1);
  }
  EXPECT_EQ(machine.oam_data[0x10], 1);
}

TEST_F(MemoryTest, StoresOverTaggedRamReportOverwrittenCode) {
  machine.iwram.tags[0x20 / 2] = 0xFFFF;
  EXPECT_EQ(mem_write16(0x03000020, 0x1111), ALERT_CODE_OVERWRITTEN);
  EXPECT_EQ(machine.iwram.data[0x20], 0x11);  // the store itself lands
  EXPECT_EQ(mem_write16(0x03000022, 0x1111), ALERT_NONE);
  EXPECT_EQ(mem_write32(0x03000020, 0), ALERT_CODE_OVERWRITTEN);
  EXPECT_EQ(mem_write8(0x03000021, 0), ALERT_CODE_OVERWRITTEN);

  machine.ewram[5].tags[0x7FFE / 2] = 300;
  EXPECT_EQ(mem_write8(0x02000000 + 5 * 0x8000 + 0x7FFF, 1), ALERT_CODE_OVERWRITTEN);
  EXPECT_EQ(mem_write8(0x02000000 + 4 * 0x8000 + 0x7FFF, 1), ALERT_NONE);
}

TEST_F(MemoryTest, ReadOnlyAndUnmappedWritesAreDropped) {
  std::uint8_t bios_before = machine.bios_area.image[0x10];
  std::uint32_t rom_before = mem_read32(0x08000010);
  for (std::uint32_t address : {0x00000010u, 0x01000010u, 0x08000010u, 0x0C000010u, 0x10000010u}) {
    EXPECT_EQ(mem_write32(address, 0xFFFFFFFF), ALERT_NONE);
    EXPECT_EQ(mem_write8(address, 0xFF), ALERT_NONE);
  }
  EXPECT_EQ(machine.bios_area.image[0x10], bios_before);
  EXPECT_EQ(mem_read32(0x08000010), rom_before);
}

// The save memory's bus is 8 bits wide: a wider store keeps only the byte lane of its address.
TEST_F(MemoryTest, SaveMemoryTakesTheByteLaneOfTheAddress) {
  mem_write8(0x0E000010, 0x77);
  EXPECT_EQ(machine.backup_buffer[0x10], 0x77);
  mem_write16(0x0E000020, 0x6655);
  mem_write16(0x0E000023, 0x8877);
  mem_write32(0x0E000030, 0x44332211);
  mem_write32(0x0E000036, 0x44332211);
  EXPECT_EQ(machine.backup_buffer[0x20], 0x55);
  EXPECT_EQ(machine.backup_buffer[0x21], 0);
  EXPECT_EQ(machine.backup_buffer[0x22], 0);
  EXPECT_EQ(machine.backup_buffer[0x23], 0x88);
  EXPECT_EQ(machine.backup_buffer[0x30], 0x11);
  EXPECT_EQ(machine.backup_buffer[0x31], 0);
  EXPECT_EQ(machine.backup_buffer[0x35], 0);
  EXPECT_EQ(machine.backup_buffer[0x36], 0x33);
  EXPECT_EQ(machine.backup_buffer[0x37], 0);
}

TEST_F(MemoryTest, IoWritesReachTheRegisterImage) {
  mem_write16(0x04000200, 0x3FFF);
  EXPECT_EQ(mem_read16(0x04000200), 0x3FFFu);
  mem_write8(0x04000208, 1);
  EXPECT_EQ(mem_read8(0x04000208), 1u);
}

TEST_F(MemoryTest, ResetFillsThePageTables) {
  EXPECT_EQ(machine.read_map[0], nullptr);  // switched on by interrupt entry and BIOS lookups
  EXPECT_EQ(machine.read_map[1], machine.bios_area.image);
  EXPECT_EQ(machine.read_map[(0x01000000 >> 15)], nullptr);
  for (unsigned i = 0; i < 512; ++i) {
    unsigned ewram = (0x02000000 >> 15) + i;
    ASSERT_EQ(machine.read_map[ewram], machine.ewram[i % 8].data);
    ASSERT_EQ(machine.write_map[ewram], machine.ewram[i % 8].data);
    ASSERT_EQ(machine.read_map[(0x03000000 >> 15) + i], machine.iwram.data);
    ASSERT_EQ(machine.read_map[(0x04000000 >> 15) + i], machine.io_regs);
    ASSERT_EQ(machine.write_map[(0x04000000 >> 15) + i], nullptr);
    ASSERT_EQ(machine.read_map[(0x05000000 >> 15) + i], nullptr);
    ASSERT_EQ(machine.write_map[(0x06000000 >> 15) + i], nullptr);
    ASSERT_EQ(machine.read_map[(0x07000000 >> 15) + i], nullptr);
    ASSERT_EQ(machine.read_map[(0x0E000000 >> 15) + i], nullptr);
  }
  make_bios_readable();
  EXPECT_EQ(machine.read_map[0], machine.bios_area.image);
}

TEST_F(MemoryTest, ResetClearsMemoryAndSetsRegisterDefaults) {
  machine.iwram.data[5] = 1;
  machine.iwram.tags[5] = 1;
  machine.ewram[7].tags[9] = 1;
  machine.vram_data[0x17FFF] = 1;
  machine.io_regs[0x3FF] = 1;
  machine.backup.save_kind = SAVE_FLASH;
  machine.gpio_shadow[1] = 3;
  reset_memory_map();

  EXPECT_EQ(machine.iwram.data[5], 0);
  EXPECT_EQ(machine.iwram.tags[5], 0);
  EXPECT_EQ(machine.ewram[7].tags[9], 0);
  EXPECT_EQ(machine.vram_data[0x17FFF], 0);
  EXPECT_EQ(machine.io_regs[0x3FF], 0);
  EXPECT_EQ(mem_read16(0x04000000), 0x0080u);  // DISPCNT: forced blank
  EXPECT_EQ(mem_read16(0x04000130), 0x03FFu);  // KEYINPUT: nothing pressed
  for (std::uint32_t pa_pd : {0x04000020u, 0x04000026u, 0x04000030u, 0x04000036u}) {
    EXPECT_EQ(mem_read16(pa_pd), 0x0100u);
  }
  EXPECT_EQ(mem_read16(0x04000022), 0u);
  EXPECT_EQ(mem_read16(0x04000134), 0x8000u);  // RCNT
  EXPECT_EQ(machine.bios_protect_word, 0xE129F000u);
  EXPECT_EQ(machine.backup.save_kind, SAVE_UNKNOWN);
  EXPECT_EQ(machine.gpio_shadow[1], 0);
}

}  // namespace
