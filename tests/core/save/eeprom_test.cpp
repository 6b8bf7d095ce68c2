// The serial EEPROM as the hardware reference's "GBA Cart Backup EEPROM" describes its streams:
// "11" + address + "0" to set a read address, then 68 bits read (4 ignored, 64 data, MSB
// first); "10" + address + 64 data bits + "0" to write.

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "core/save/backup.h"
#include "core/save/save_file.h"
#include "tests/core/memory/memory_fixture.h"

namespace {

constexpr std::uint32_t EEPROM_PORT = 0x0DFFFF00;  // past the 64 KB test cartridge

class EepromTest : public MemoryTest {
 protected:
  // Sends `count` bits of `bits`, most significant first, one halfword each as DMA does.
  static void send(std::uint64_t bits, unsigned count) {
    for (unsigned i = count; i-- > 0;)
      mem_write16(EEPROM_PORT, static_cast<std::uint32_t>(bits >> i) & 1);
  }

  static std::uint32_t receive_bit() { return mem_read16(EEPROM_PORT) & 1; }

  static void request_read(std::uint32_t block, unsigned width) {
    send(0b11, 2);
    send(block, width);
    send(0, 1);
  }

  static void write_block(std::uint32_t block, unsigned width, std::uint64_t data) {
    send(0b10, 2);
    send(block, width);
    send(data, 64);
    send(0, 1);
  }

  // The 68 bits of a read: returns the 64 data bits and the 4 that come before them.
  static std::uint64_t read_out(std::uint32_t& preamble) {
    preamble = 0;
    for (int i = 0; i < 4; ++i) preamble = preamble << 1 | receive_bit();
    std::uint64_t data = 0;
    for (int i = 0; i < 64; ++i) data = data << 1 | receive_bit();
    return data;
  }

  static std::uint64_t big_endian_block(std::uint32_t offset) {
    std::uint64_t value = 0;
    for (std::uint32_t i = 0; i < 8; ++i) value = value << 8 | machine.backup_buffer[offset + i];
    return value;
  }
};

TEST_F(EepromTest, ReadOfBlock3GivesFourZerosThenBytes24To31MsbFirst) {
  const std::uint8_t bytes[8] = {0x81, 0x42, 0x24, 0x18, 0xF0, 0x0F, 0xAA, 0x55};
  for (int i = 0; i < 8; ++i) machine.backup_buffer[24 + i] = bytes[i];
  machine.backup_buffer[16] = 0xFF;  // the neighbours must not show
  machine.backup_buffer[32] = 0xFF;
  request_read(3, 6);  // bits 1 1 0 0 0 0 1 1 0
  EXPECT_EQ(machine.backup.save_kind, SAVE_EEPROM);
  std::uint32_t preamble = 0xF;
  EXPECT_EQ(read_out(preamble), 0x81422418F00FAA55ull);
  EXPECT_EQ(preamble, 0u);
  EXPECT_EQ(save_file_size(), 512u);
}

TEST_F(EepromTest, AWriteIsReadBackWith6AddressBits) {
  write_block(0x3F, 6, 0x0123456789ABCDEFull);  // the last block of 512 bytes
  EXPECT_EQ(big_endian_block(0x3F * 8), 0x0123456789ABCDEFull);
  EXPECT_EQ(receive_bit(), 1u);  // ready
  request_read(0x3F, 6);
  std::uint32_t preamble = 0;
  EXPECT_EQ(read_out(preamble), 0x0123456789ABCDEFull);
}

TEST_F(EepromTest, AWriteIsReadBackWith14AddressBits) {
  machine.backup.eeprom_8k = 1;                   // what a 17-halfword DMA to the EEPROM sets
  write_block(0x3FF, 14, 0xFEDCBA9876543210ull);  // the last block of 8 KB
  EXPECT_EQ(big_endian_block(0x1FF8), 0xFEDCBA9876543210ull);
  write_block(0x001, 14, 0x1111111111111111ull);
  EXPECT_EQ(big_endian_block(0x0008), 0x1111111111111111ull);
  request_read(0x3FF, 14);
  std::uint32_t preamble = 0;
  EXPECT_EQ(read_out(preamble), 0xFEDCBA9876543210ull);
  EXPECT_EQ(save_file_size(), 8192u);
}

TEST_F(EepromTest, AWriteReplacesTheWholeOldBlock) {
  for (int i = 0; i < 8; ++i) machine.backup_buffer[40 + i] = 0xFF;
  write_block(5, 6, 0x00000000000000F0ull);
  EXPECT_EQ(big_endian_block(40), 0x00000000000000F0ull);
}

TEST_F(EepromTest, TheChipReportsReadyWhileIdle) {
  EXPECT_EQ(receive_bit(), 1u);
  EXPECT_EQ(machine.backup.save_kind, SAVE_UNKNOWN);  // reading proves nothing about the type
}

TEST_F(EepromTest, AfterAFullReadANewCommandStartsAfresh) {
  machine.backup_buffer[8] = 0x80;
  request_read(1, 6);
  std::uint32_t preamble = 0;
  read_out(preamble);
  EXPECT_EQ(receive_bit(), 1u);
  request_read(1, 6);
  EXPECT_EQ(read_out(preamble) >> 63, 1u);
}

TEST_F(EepromTest, WritesWhileDataIsReadOutAreIgnored) {
  machine.backup_buffer[0] = 0xC0;
  request_read(0, 6);
  send(0b1111, 4);
  std::uint32_t preamble = 0;
  EXPECT_EQ(read_out(preamble) >> 62, 3u);
}

// Only a damaged snapshot can hold such states; the bit readers must still stay inside the save
// memory and start over rather than index past it.
TEST_F(EepromTest, AStreamPointingOutsideTheSaveMemoryStartsOverAtReady) {
  struct Damaged {
    std::uint32_t phase, block_offset, bits_seen;
  };
  const Damaged cases[] = {{1, 0x40000000, 0}, {4, 0x1FFFC, 0}, {1, 0, 64}, {3, 0, 40}, {9, 0, 0}};
  for (const Damaged& d : cases) {
    SCOPED_TRACE(testing::Message() << "phase " << d.phase << " offset " << d.block_offset);
    machine.backup.eeprom_phase = d.phase;
    machine.backup.eeprom_block_offset = d.block_offset;
    machine.backup.eeprom_bits_seen = d.bits_seen;
    EXPECT_EQ(receive_bit(), 1u);  // ready
    EXPECT_TRUE(eeprom_state_valid(machine.backup));
  }
  write_block(5, 6, 0x1122334455667788ull);
  request_read(5, 6);
  std::uint32_t preamble = 0;
  EXPECT_EQ(read_out(preamble), 0x1122334455667788ull);
}

}  // namespace
