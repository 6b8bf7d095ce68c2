// The serial EEPROM: games send a command, an address and data one bit per access (by DMA) and
// read 68 bits back for a block.

#include <cstring>

#include "core/save/backup.h"
#include "core/state.h"

namespace {

enum EepromPhase : std::uint32_t {
  PHASE_READY = 0,
  PHASE_READ_DATA = 1,
  PHASE_READ_PREAMBLE = 2,
  PHASE_READ_ADDRESS = 3,
  PHASE_WRITE_DATA = 4,
  PHASE_WRITE_ADDRESS = 5,
  PHASE_READ_ADDRESS_END = 6,
  PHASE_WRITE_END = 7,
};

constexpr std::uint32_t COMMAND_WRITE = 2;
constexpr std::uint32_t COMMAND_READ = 3;
constexpr std::uint32_t BLOCK_BITS = 64;
constexpr std::uint32_t BLOCK_BYTES = 8;
constexpr std::uint32_t PREAMBLE_BITS = 4;
constexpr std::uint32_t COMMAND_BITS = 2;
constexpr std::uint32_t LAST_BLOCK_OFFSET = sizeof machine.backup_buffer - BLOCK_BYTES;

BackupState& state() { return machine.backup; }

void enter(std::uint32_t phase) {
  BackupState& s = state();
  s.eeprom_phase = phase;
  s.eeprom_bits_seen = 0;
  s.eeprom_shift[0] = 0;
  s.eeprom_shift[1] = 0;
}

// Bit n of a stream lands in byte n / 8 at bit 7 - n mod 8: the most significant bit first.
void set_stream_bit(std::uint8_t* bytes, std::uint32_t n, std::uint32_t bit) {
  bytes[n / 8] = static_cast<std::uint8_t>(bytes[n / 8] | (bit << (7 - n % 8)));
}

std::uint32_t stream_bit(const std::uint8_t* bytes, std::uint32_t n) {
  return (bytes[n / 8] >> (7 - n % 8)) & 1;
}

// How many bits a phase takes before it moves on; the counter stays below it.
std::uint32_t phase_bits(const BackupState& s) {
  switch (s.eeprom_phase) {
    case PHASE_READY: return COMMAND_BITS;
    case PHASE_READ_ADDRESS:
    case PHASE_WRITE_ADDRESS:  // the width decides where the block lies
      return s.eeprom_addr_width == 6 || s.eeprom_addr_width == 14 ? s.eeprom_addr_width : 0;
    case PHASE_READ_PREAMBLE: return PREAMBLE_BITS;
    case PHASE_READ_DATA:
    case PHASE_WRITE_DATA: return BLOCK_BITS;
    default: return 1;
  }
}

// The block and the bit counter index the save memory and the shift bytes; a state that could
// reach outside them (only a damaged snapshot holds one) starts over at ready instead.
bool stream_in_bounds() {
  if (eeprom_state_valid(state())) return true;
  enter(PHASE_READY);
  state().eeprom_block_offset = 0;
  return false;
}

void receive_command_bit(std::uint32_t bit) {
  BackupState& s = state();
  s.save_kind = SAVE_EEPROM;
  s.eeprom_shift[0] =
      static_cast<std::uint8_t>(s.eeprom_shift[0] | (bit << (1 - s.eeprom_bits_seen)));
  if (++s.eeprom_bits_seen < 2) return;
  std::uint32_t command = s.eeprom_shift[0];
  s.eeprom_addr_width = s.eeprom_8k ? 14 : 6;
  if (command == COMMAND_WRITE) {
    enter(PHASE_WRITE_ADDRESS);
  } else if (command == COMMAND_READ) {
    enter(PHASE_READ_ADDRESS);
  } else {
    enter(PHASE_READY);
  }
}

std::uint32_t received_block() {
  const std::uint8_t* shift = state().eeprom_shift;
  if (state().eeprom_addr_width == 14)
    return static_cast<std::uint32_t>(shift[0] << 6 | shift[1] >> 2);
  return static_cast<std::uint32_t>(shift[0] >> 2);
}

void receive_address_bit(std::uint32_t bit) {
  BackupState& s = state();
  set_stream_bit(s.eeprom_shift, s.eeprom_bits_seen, bit);
  if (++s.eeprom_bits_seen < s.eeprom_addr_width) return;
  std::uint32_t block_offset = received_block() * BLOCK_BYTES;
  bool writing = s.eeprom_phase == PHASE_WRITE_ADDRESS;
  enter(writing ? PHASE_WRITE_DATA : PHASE_READ_ADDRESS_END);
  s.eeprom_block_offset = block_offset;  // kept through the phases that follow
  if (writing) std::memset(machine.backup_buffer + block_offset, 0, BLOCK_BYTES);
}

void receive_data_bit(std::uint32_t bit) {
  BackupState& s = state();
  set_stream_bit(machine.backup_buffer + s.eeprom_block_offset, s.eeprom_bits_seen, bit);
  if (++s.eeprom_bits_seen == BLOCK_BITS) enter(PHASE_WRITE_END);
}

}  // namespace

bool eeprom_state_valid(const BackupState& s) {
  return s.eeprom_phase <= PHASE_WRITE_END && s.eeprom_bits_seen < phase_bits(s) &&
         s.eeprom_block_offset <= LAST_BLOCK_OFFSET && s.eeprom_block_offset % BLOCK_BYTES == 0;
}

void eeprom_write_bit(std::uint32_t value) {
  count_save_memory_write();
  if (!stream_in_bounds()) return;
  std::uint32_t bit = value & 1;
  switch (state().eeprom_phase) {
    case PHASE_READY: receive_command_bit(bit); break;
    case PHASE_READ_ADDRESS:
    case PHASE_WRITE_ADDRESS: receive_address_bit(bit); break;
    case PHASE_WRITE_DATA: receive_data_bit(bit); break;
    case PHASE_READ_ADDRESS_END: enter(PHASE_READ_PREAMBLE); break;  // the stop bit
    case PHASE_WRITE_END: enter(PHASE_READY); break;                 // the stop bit
    default: break;  // while a block is being read out, writes mean nothing
  }
}

std::uint32_t eeprom_read_bit() {
  if (!stream_in_bounds()) return 1;
  BackupState& s = state();
  switch (s.eeprom_phase) {
    case PHASE_READY: return 1;  // a finished write reports itself ready at once
    case PHASE_READ_PREAMBLE:
      if (++s.eeprom_bits_seen == PREAMBLE_BITS) enter(PHASE_READ_DATA);
      return 0;
    case PHASE_READ_DATA: {
      std::uint32_t bit =
          stream_bit(machine.backup_buffer + s.eeprom_block_offset, s.eeprom_bits_seen);
      if (++s.eeprom_bits_seen == BLOCK_BITS) enter(PHASE_READY);
      return bit;
    }
    default: return 0;
  }
}
