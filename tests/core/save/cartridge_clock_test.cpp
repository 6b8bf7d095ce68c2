// The clock chip on the cartridge port, driven as a game drives it: port bit 0 the serial clock,
// bit 1 the data line, bit 2 chip select (the hardware reference's "GBA Cart I/O Port" and
// "Real-Time Clock"). Data comes back least significant bit first, read from the port in ROM.

#include <gtest/gtest.h>

#include <cstdint>
#include <ctime>
#include <vector>

#include "core/save/clock_source.h"
#include "core/save/gpio.h"
#include "tests/core/memory/memory_fixture.h"

namespace {

constexpr std::uint32_t PORT_DATA = 0x080000C4;
constexpr std::uint32_t PORT_DIRECTION = 0x080000C6;
constexpr std::uint32_t PORT_CONTROL = 0x080000C8;

// Sunday 17 March 2024, 13:45:09. timegm fills in the weekday, so the test does not assume it.
std::tm sunday_afternoon() {
  std::tm t{};
  t.tm_year = 2024 - 1900;
  t.tm_mon = 2;
  t.tm_mday = 17;
  t.tm_hour = 13;
  t.tm_min = 45;
  t.tm_sec = 9;
  std::time_t seconds = timegm(&t);
  gmtime_r(&seconds, &t);
  return t;
}

class ClockTest : public MemoryTest {
 protected:
  void SetUp() override {
    MemoryTest::SetUp();
    set_clock_source(sunday_afternoon);
  }
  void TearDown() override {
    set_clock_source(nullptr);
    MemoryTest::TearDown();
  }

  static void port(std::uint32_t value) { mem_write16(PORT_DATA, value); }

  // Read-back on, all three lines outputs, then select the chip and clock in the command.
  static void send_command(std::uint32_t command) {
    mem_write16(PORT_CONTROL, 1);
    mem_write16(PORT_DIRECTION, 7);
    port(1);
    port(5);
    for (int i = 7; i >= 0; --i) {
      std::uint32_t bit = (command >> i) & 1;
      port(4 | bit << 1);
      port(5 | bit << 1);
    }
  }

  static std::vector<std::uint32_t> read_bytes(unsigned count) {
    mem_write16(PORT_DIRECTION, 5);  // the data line becomes the chip's
    std::vector<std::uint32_t> bytes(count, 0);
    for (unsigned n = 0; n < count * 8; ++n) {
      port(4);
      bytes[n / 8] |= ((mem_read16(PORT_DATA) >> 1) & 1) << (n % 8);
      port(5);
    }
    return bytes;
  }

  static void write_bytes(const std::vector<std::uint32_t>& bytes) {
    for (std::uint32_t byte : bytes) {
      for (unsigned i = 0; i < 8; ++i) {
        std::uint32_t bit = (byte >> i) & 1;
        port(4 | bit << 1);
        port(5 | bit << 1);
      }
    }
  }
};

TEST_F(ClockTest, DateAndTimeOnASundayComeInBcdWithWeekday6) {
  ASSERT_EQ(sunday_afternoon().tm_wday, 0);
  send_command(0x65);
  std::vector<std::uint32_t> expected = {0x24, 0x03, 0x17, 0x06, 0x13, 0x45, 0x09};
  EXPECT_EQ(read_bytes(7), expected);
  EXPECT_EQ(machine.backup.clock_state, CLOCK_IDLE);
  EXPECT_EQ(mem_read16(PORT_CONTROL), 0u);  // the port is cleared after the last bit
}

TEST_F(ClockTest, TimeAloneIsHourMinuteSecond) {
  send_command(0x67);
  std::vector<std::uint32_t> expected = {0x13, 0x45, 0x09};
  EXPECT_EQ(read_bytes(3), expected);
}

TEST_F(ClockTest, StatusStartsIn24HourMode) {
  send_command(0x63);
  EXPECT_EQ(read_bytes(1), std::vector<std::uint32_t>{0x40});
}

TEST_F(ClockTest, AStatusWriteStoresTheBitsTheGameSent) {
  send_command(0x62);
  write_bytes({0x4A});
  EXPECT_EQ(machine.backup.clock_state, CLOCK_IDLE);
  EXPECT_EQ(machine.backup.clock_status, 0x4Au);
  send_command(0x63);
  EXPECT_EQ(read_bytes(1), std::vector<std::uint32_t>{0x4A});
}

TEST_F(ClockTest, ResetIdlesTheChipAndClearsThePort) {
  send_command(0x60);
  EXPECT_EQ(machine.backup.clock_state, CLOCK_IDLE);
  EXPECT_EQ(mem_read16(PORT_DATA), 0u);
  EXPECT_EQ(mem_read16(PORT_DIRECTION), 0u);
  EXPECT_EQ(mem_read16(PORT_CONTROL), 0u);
}

TEST_F(ClockTest, PortWritesReadBackFromRomPageZero) {
  mem_write16(PORT_DIRECTION, 0x0107);
  EXPECT_EQ(mem_read16(PORT_DIRECTION), 0x0107u);
  EXPECT_EQ(machine.gpio_shadow[1], 0x07);
  mem_write16(PORT_CONTROL, 1);
  EXPECT_EQ(mem_read16(PORT_CONTROL), 1u);
}

TEST_F(ClockTest, TheFirstDataWriteSwitchesTheClockOn) {
  EXPECT_EQ(machine.backup.clock_state, CLOCK_DISABLED);
  mem_write16(PORT_CONTROL, 1);
  port(1);
  EXPECT_EQ(machine.backup.clock_state, CLOCK_IDLE);
  EXPECT_EQ(mem_read16(PORT_DATA), 1u);
}

TEST_F(ClockTest, WithoutReadBackADataWriteLandsInTheControlRegister) {
  port(1);
  EXPECT_EQ(machine.gpio_shadow[2], 1);
  EXPECT_EQ(mem_read16(PORT_CONTROL), 1u);
  EXPECT_EQ(machine.gpio_shadow[0], 0);
}

TEST_F(ClockTest, TheDataLineHoldsWhileTheChipIsNotSelected) {
  mem_write16(PORT_CONTROL, 1);
  port(1);
  port(3);  // select low: bit 1 keeps the stored 0
  EXPECT_EQ(mem_read16(PORT_DATA), 1u);
}

TEST_F(ClockTest, BcdPutsTensInTheUpperNibble) {
  EXPECT_EQ(to_bcd(0), 0x00u);
  EXPECT_EQ(to_bcd(9), 0x09u);
  EXPECT_EQ(to_bcd(10), 0x10u);
  EXPECT_EQ(to_bcd(59), 0x59u);
  EXPECT_EQ(to_bcd(99), 0x99u);
}

// A damaged snapshot's bit counter past the clock's bytes sends the chip idle instead of reading
// beyond them.
TEST_F(ClockTest, ACounterPastTheClockBytesGoesIdle) {
  send_command(CLOCK_READ_DATE_TIME);
  machine.backup.clock_bit = 1000;
  EXPECT_FALSE(clock_state_valid(machine.backup));
  port(4);
  port(5);
  EXPECT_EQ(machine.backup.clock_state, CLOCK_IDLE);
  EXPECT_TRUE(clock_state_valid(machine.backup));
}

}  // namespace
