#pragma once
// The cartridge's general-purpose port at ROM offsets 0xC4-0xC8, where a clock chip may sit. The
// port's values are also written into ROM page 0, where the game reads them back.

#include <cstdint>

constexpr std::uint32_t GPIO_DATA = 0xC4;       // bit 0 serial clock, bit 1 data, bit 2 select
constexpr std::uint32_t GPIO_DIRECTION = 0xC6;  // a set bit is an output of the game
constexpr std::uint32_t GPIO_CONTROL = 0xC8;    // bit 0: the port reads back

enum ClockState : std::uint8_t {
  CLOCK_DISABLED = 0,
  CLOCK_IDLE = 1,
  CLOCK_COMMAND = 2,
  CLOCK_SENDING = 3,
  CLOCK_RECEIVING = 4,
};

// Commands of the clock chip, sent most significant bit first.
enum ClockCommand : std::uint8_t {
  CLOCK_RESET = 0x60,
  CLOCK_WRITE_STATUS = 0x62,
  CLOCK_READ_STATUS = 0x63,
  CLOCK_READ_DATE_TIME = 0x65,
  CLOCK_READ_TIME = 0x67,
};

struct BackupState;

// Whether the clock's bit counter and length fit its state, so that no later step indexes outside
// the clock's bytes. Snapshots are checked with it.
bool clock_state_valid(const BackupState& s);

// 16-bit writes to region 0x08, offset = address & 0xFF.
void gpio_write16(std::uint32_t offset, std::uint32_t value);

// BCD of 0-99: tens in the upper nibble.
constexpr std::uint32_t to_bcd(std::uint32_t n) { return (n % 10) | ((n / 10) << 4); }
