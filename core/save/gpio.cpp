#include "core/save/gpio.h"

#include <algorithm>
#include <iterator>

#include "core/cartridge/cartridge.h"
#include "core/save/clock_source.h"
#include "core/state.h"

namespace {

constexpr std::uint32_t PORT_CLOCK = 1;
constexpr std::uint32_t PORT_DATA = 2;
constexpr std::uint32_t PORT_SELECT = 4;
constexpr std::uint32_t CONTROL_READ_BACK = 1;
constexpr std::uint32_t ROM_PAGE_0 = 0x08000000 >> 15;

enum InputTarget : std::uint32_t { INPUT_DISCARD = 0, INPUT_STATUS = 1 };
enum PortIndex : unsigned { PORT_INDEX_DATA = 0, PORT_INDEX_DIRECTION = 1, PORT_INDEX_CONTROL = 2 };

BackupState& state() { return machine.backup; }

// In paged mode page 0 may have been pushed out; loading it writes the port values back.
std::uint8_t* rom_page0() {
  std::uint8_t* page = machine.read_map[ROM_PAGE_0];
  return page != nullptr ? page : load_rom_page(0);
}

void store_port(PortIndex index, std::uint32_t offset, std::uint32_t value) {
  machine.gpio_shadow[index] = static_cast<std::uint8_t>(value);
  std::uint8_t* page = rom_page0();
  if (page == nullptr) return;
  page[offset] = static_cast<std::uint8_t>(value);
  page[offset + 1] = static_cast<std::uint8_t>(value >> 8);
}

void clear_ports() {
  store_port(PORT_INDEX_DATA, GPIO_DATA, 0);
  store_port(PORT_INDEX_DIRECTION, GPIO_DIRECTION, 0);
  store_port(PORT_INDEX_CONTROL, GPIO_CONTROL, 0);
}

void go_idle() {
  state().clock_state = CLOCK_IDLE;
  state().clock_bit = 0;
}

void start_sending(std::uint32_t length) {
  state().clock_state = CLOCK_SENDING;
  state().clock_length = length;
}

void start_receiving(std::uint32_t length, InputTarget target) {
  BackupState& s = state();
  std::fill(std::begin(s.clock_bytes), std::end(s.clock_bytes), 0u);
  s.clock_state = CLOCK_RECEIVING;
  s.clock_length = length;
  s.clock_input_target = target;
}

// Seven bytes from the given field on: year, month, day, weekday, hour, minute, second.
void put_time(bool with_date) {
  std::tm now = clock_now();
  std::uint32_t weekday = static_cast<std::uint32_t>(now.tm_wday + 6) % 7;  // Monday first
  std::uint32_t fields[7] = {
      static_cast<std::uint32_t>(now.tm_year % 100),
      static_cast<std::uint32_t>(now.tm_mon + 1),
      static_cast<std::uint32_t>(now.tm_mday),
      weekday,
      static_cast<std::uint32_t>(now.tm_hour),
      static_cast<std::uint32_t>(now.tm_min),
      static_cast<std::uint32_t>(std::min(now.tm_sec, 59))};  // a leap second reads as 59
  unsigned first = with_date ? 0 : 4;
  for (unsigned i = first; i < 7; ++i) state().clock_bytes[i - first] = to_bcd(fields[i]);
  start_sending(7 - first);
}

void run_clock_command() {
  BackupState& s = state();
  switch (s.clock_command) {
    case CLOCK_RESET:
      go_idle();
      clear_ports();
      break;
    case CLOCK_WRITE_STATUS: start_receiving(1, INPUT_STATUS); break;
    case CLOCK_READ_STATUS:
      s.clock_bytes[0] = s.clock_status;
      start_sending(1);
      break;
    case CLOCK_READ_DATE_TIME: put_time(true); break;
    case CLOCK_READ_TIME: put_time(false); break;
    default: go_idle(); break;  // setting the time or alarms: the host's clock is not ours to set
  }
}

void shift_command_bit(std::uint32_t value) {
  BackupState& s = state();
  if (!clock_state_valid(s)) return go_idle();
  std::uint32_t bit = (value & PORT_DATA) >> 1;
  s.clock_command = static_cast<std::uint8_t>(s.clock_command | bit << s.clock_bit);
  if (s.clock_bit > 0) {
    --s.clock_bit;
    return;
  }
  run_clock_command();
}

// The chip drives the data line while the clock is low; the game reads it, then raises the clock.
void send_step(std::uint32_t value) {
  BackupState& s = state();
  if (!clock_state_valid(s)) return go_idle();
  if (machine.gpio_shadow[PORT_INDEX_DIRECTION] & PORT_DATA) return;
  if ((value & PORT_CLOCK) == 0) {
    std::uint32_t bit = (s.clock_bytes[s.clock_bit / 8] >> (s.clock_bit % 8)) & 1;
    std::uint32_t out = (machine.gpio_shadow[PORT_INDEX_CONTROL] & ~PORT_DATA) | bit << 1;
    store_port(PORT_INDEX_DATA, GPIO_DATA, out & 0xFF);
    return;
  }
  if (++s.clock_bit == s.clock_length * 8) {
    go_idle();
    clear_ports();
  }
}

// The received bits are kept, least significant first as the chip sends them, so that a status
// write stores what the game sent rather than whatever the buffer held before.
void receive_step(std::uint32_t value) {
  BackupState& s = state();
  if (!clock_state_valid(s)) return go_idle();
  if ((machine.gpio_shadow[PORT_INDEX_DIRECTION] & PORT_DATA) == 0) return;
  if ((value & PORT_CLOCK) == 0) return;
  std::uint32_t bit = (value & PORT_DATA) >> 1;
  s.clock_bytes[s.clock_bit / 8] |= bit << (s.clock_bit % 8);
  if (++s.clock_bit < s.clock_length * 8) return;
  go_idle();
  if (s.clock_input_target == INPUT_STATUS) s.clock_status = s.clock_bytes[0];
}

}  // namespace

bool clock_state_valid(const BackupState& s) {
  constexpr std::uint32_t most_bytes = 7;  // date and time
  switch (s.clock_state) {
    case CLOCK_COMMAND: return s.clock_bit <= 7;
    case CLOCK_SENDING:
    case CLOCK_RECEIVING:
      return s.clock_length >= 1 && s.clock_length <= most_bytes &&
             s.clock_bit < s.clock_length * 8;
    default: return s.clock_bit < 8 * std::size(s.clock_bytes);
  }
}

namespace {

void write_data_port(std::uint32_t value) {
  BackupState& s = state();
  if (s.clock_state == CLOCK_DISABLED) s.clock_state = CLOCK_IDLE;
  std::uint32_t stored = machine.gpio_shadow[PORT_INDEX_DATA];
  // While the chip is not selected, the game cannot drive the data line.
  if ((stored & PORT_SELECT) == 0) value = (value & ~PORT_DATA) | (stored & PORT_DATA);
  if ((machine.gpio_shadow[PORT_INDEX_CONTROL] & CONTROL_READ_BACK) == 0) {
    store_port(PORT_INDEX_CONTROL, GPIO_CONTROL, value);
    return;
  }
  store_port(PORT_INDEX_DATA, GPIO_DATA, value);
  switch (s.clock_state) {
    case CLOCK_IDLE:
      if (value == (PORT_SELECT | PORT_CLOCK) && stored == PORT_CLOCK) {
        s.clock_state = CLOCK_COMMAND;
        s.clock_command = 0;
        s.clock_bit = 7;
      }
      break;
    case CLOCK_COMMAND:
      if (value & PORT_CLOCK) shift_command_bit(value);
      break;
    case CLOCK_SENDING: send_step(value); break;
    case CLOCK_RECEIVING: receive_step(value); break;
    default: break;
  }
}

}  // namespace

void gpio_write16(std::uint32_t offset, std::uint32_t value) {
  value &= 0xFFFF;
  switch (offset) {
    case GPIO_DATA: write_data_port(value); break;
    case GPIO_DIRECTION: store_port(PORT_INDEX_DIRECTION, GPIO_DIRECTION, value); break;
    case GPIO_CONTROL: store_port(PORT_INDEX_CONTROL, GPIO_CONTROL, value); break;
    default: break;
  }
}
