#include <gtest/gtest.h>

#include <array>
#include <climits>
#include <cstdint>
#include <cstring>
#include <ostream>
#include <random>

#include "core/state.h"
#include "cpu/cpu_state.h"

namespace {

// Everything the CPU routines may touch, copied out so that a test can say what did not change.
struct CpuImage {
  std::array<std::uint32_t, REGISTER_SLOTS> slots;
  std::uint32_t saved_psr[6];
  std::uint32_t banked[7][7];

  static CpuImage capture() {
    CpuImage image{};
    for (unsigned slot = 0; slot < REGISTER_SLOTS; ++slot) image.slots[slot] = reg[slot];
    std::memcpy(image.saved_psr, machine.saved_psr, sizeof image.saved_psr);
    std::memcpy(image.banked, machine.banked, sizeof image.banked);
    return image;
  }
};

// Distinct values everywhere, so that any word that moves or is lost shows.
void fill_cpu_with_pattern() {
  for (unsigned slot = 0; slot < REGISTER_SLOTS; ++slot) reg[slot] = 0xC0DE0000 + slot;
  for (unsigned i = 0; i < 6; ++i) machine.saved_psr[i] = 0x5A000000 + i;
  for (unsigned m = 0; m < MODE_COUNT; ++m) {
    for (unsigned w = 0; w < 7; ++w) machine.banked[m][w] = 0xBA000000 + m * 0x100 + w;
  }
}

class CpuModeTest : public ::testing::Test {
 protected:
  void SetUp() override { clear_machine_state(); }
};

// ---- Mode table -------------------------------------------------------------------------------

struct ModeBitsCase {
  std::uint32_t mode_bits;
  std::uint32_t index;
};

constexpr ModeBitsCase defined_modes[] = {
    {0x10, MODE_USER_SYSTEM}, {0x1F, MODE_USER_SYSTEM}, {0x12, MODE_IRQ},       {0x11, MODE_FIQ},
    {0x13, MODE_SUPERVISOR},  {0x17, MODE_ABORT},       {0x1B, MODE_UNDEFINED},
};

TEST(CpuModeTable, DefinedModesHaveTheirIndexAndEveryOtherFieldIsInvalid) {
  EXPECT_EQ(MODE_USER_SYSTEM, 0u);
  EXPECT_EQ(MODE_IRQ, 1u);
  EXPECT_EQ(MODE_FIQ, 2u);
  EXPECT_EQ(MODE_SUPERVISOR, 3u);
  EXPECT_EQ(MODE_ABORT, 4u);
  EXPECT_EQ(MODE_UNDEFINED, 5u);
  EXPECT_EQ(MODE_INVALID, 6u);
  for (std::uint32_t bits = 0; bits < 32; ++bits) {
    std::uint32_t expected = 6;
    for (const ModeBitsCase& c : defined_modes) {
      if (c.mode_bits == bits) expected = c.index;
    }
    EXPECT_EQ(mode_of_psr[bits], expected) << "mode bits 0x" << std::hex << bits;
  }
}

// ---- Mode switch ------------------------------------------------------------------------------

TEST_F(CpuModeTest, SwitchingToTheCurrentModeChangesNothing) {
  for (std::uint32_t mode = 0; mode < MODE_COUNT; ++mode) {
    SCOPED_TRACE(mode);
    fill_cpu_with_pattern();
    reg[SLOT_MODE_INDEX] = mode;
    CpuImage before = CpuImage::capture();
    switch_cpu_mode(mode);
    CpuImage after = CpuImage::capture();
    EXPECT_EQ(after.slots, before.slots);
    EXPECT_EQ(std::memcmp(after.saved_psr, before.saved_psr, sizeof before.saved_psr), 0);
    EXPECT_EQ(std::memcmp(after.banked, before.banked, sizeof before.banked), 0);
  }
}

TEST_F(CpuModeTest, IrqToSupervisorAndBackExchangesOnlyR13AndR14) {
  for (unsigned r = 0; r < REGISTER_SLOTS; ++r) reg[r] = 0x100 + r;
  reg[SLOT_MODE_INDEX] = MODE_IRQ;
  for (unsigned w = 0; w < 7; ++w) machine.banked[MODE_SUPERVISOR][w] = 0x300 + w;
  for (unsigned w = 0; w < 7; ++w) machine.banked[MODE_IRQ][w] = 0x1100 + w;

  switch_cpu_mode(MODE_SUPERVISOR);
  EXPECT_EQ(reg[SLOT_MODE_INDEX], MODE_SUPERVISOR);
  EXPECT_EQ(reg[13], 0x305u);
  EXPECT_EQ(reg[14], 0x306u);
  EXPECT_EQ(machine.banked[MODE_IRQ][BANKED_R13], 0x10Du);
  EXPECT_EQ(machine.banked[MODE_IRQ][BANKED_R14], 0x10Eu);
  for (unsigned r = 0; r < REGISTER_SLOTS; ++r) {
    if (r == 13 || r == 14 || r == SLOT_MODE_INDEX) continue;
    EXPECT_EQ(reg[r], 0x100 + r) << r;
  }

  reg[13] = 0x03007FD0;
  reg[14] = 0x08001234;
  switch_cpu_mode(MODE_IRQ);
  EXPECT_EQ(reg[SLOT_MODE_INDEX], MODE_IRQ);
  EXPECT_EQ(reg[13], 0x10Du);
  EXPECT_EQ(reg[14], 0x10Eu);
  EXPECT_EQ(machine.banked[MODE_SUPERVISOR][BANKED_R13], 0x03007FD0u);
  EXPECT_EQ(machine.banked[MODE_SUPERVISOR][BANKED_R14], 0x08001234u);
  for (unsigned r = 0; r < REGISTER_SLOTS; ++r) {
    if (r == SLOT_MODE_INDEX) continue;
    EXPECT_EQ(reg[r], 0x100 + r) << r;
  }
  // r8-r12 of neither record were touched.
  for (unsigned w = BANKED_R8; w < BANKED_R13; ++w) {
    EXPECT_EQ(machine.banked[MODE_SUPERVISOR][w], 0x300 + w);
    EXPECT_EQ(machine.banked[MODE_IRQ][w], 0x1100 + w);
  }
}

TEST_F(CpuModeTest, FiqStartsWithTheInterruptedR8ToR12AndDoesNotKeepItsOwn) {
  for (unsigned r = 8; r <= 14; ++r) reg[r] = 0x800 + r;
  reg[SLOT_MODE_INDEX] = MODE_USER_SYSTEM;
  for (unsigned w = 0; w < 7; ++w) machine.banked[MODE_FIQ][w] = 0xF00 + w;

  switch_cpu_mode(MODE_FIQ);
  for (unsigned r = 8; r <= 12; ++r) EXPECT_EQ(reg[r], 0x800 + r) << r;
  EXPECT_EQ(reg[13], 0xF05u);
  EXPECT_EQ(reg[14], 0xF06u);
  for (unsigned r = 8; r <= 14; ++r) EXPECT_EQ(machine.banked[MODE_USER_SYSTEM][r - 8], 0x800 + r);

  for (unsigned r = 8; r <= 14; ++r) reg[r] = 0x900 + r;
  switch_cpu_mode(MODE_USER_SYSTEM);
  for (unsigned r = 8; r <= 14; ++r) EXPECT_EQ(reg[r], 0x800 + r) << r;
  EXPECT_EQ(machine.banked[MODE_FIQ][BANKED_R13], 0x90Du);
  EXPECT_EQ(machine.banked[MODE_FIQ][BANKED_R14], 0x90Eu);
  for (unsigned w = BANKED_R8; w < BANKED_R13; ++w) {
    EXPECT_EQ(machine.banked[MODE_FIQ][w], 0xF00 + w);
  }
}

TEST_F(CpuModeTest, LeavingFiqForAnotherModeLoadsThatModesR8ToR14) {
  for (unsigned r = 8; r <= 14; ++r) reg[r] = 0x800 + r;
  reg[SLOT_MODE_INDEX] = MODE_FIQ;
  for (unsigned w = 0; w < 7; ++w) machine.banked[MODE_IRQ][w] = 0x1100 + w;

  switch_cpu_mode(MODE_IRQ);
  for (unsigned r = 8; r <= 14; ++r) EXPECT_EQ(reg[r], 0x1100 + (r - 8)) << r;
  EXPECT_EQ(machine.banked[MODE_FIQ][BANKED_R13], 0x80Du);
  EXPECT_EQ(machine.banked[MODE_FIQ][BANKED_R14], 0x80Eu);
  EXPECT_EQ(reg[SLOT_MODE_INDEX], MODE_IRQ);
}

TEST_F(CpuModeTest, EnteringFiqFromIrqParksIrqsR8ToR14) {
  for (unsigned r = 8; r <= 14; ++r) reg[r] = 0x800 + r;
  reg[SLOT_MODE_INDEX] = MODE_IRQ;
  switch_cpu_mode(MODE_FIQ);
  for (unsigned r = 8; r <= 14; ++r) EXPECT_EQ(machine.banked[MODE_IRQ][r - 8], 0x800 + r);
  EXPECT_EQ(reg[SLOT_MODE_INDEX], MODE_FIQ);
}

// ---- Reset ------------------------------------------------------------------------------------

TEST_F(CpuModeTest, ResetStartsAtTheCartridgeEntryInSystemModeAndKeepsTheRest) {
  fill_cpu_with_pattern();
  CpuImage before = CpuImage::capture();
  cpu_reset();

  for (unsigned r = 0; r <= 15; ++r) {
    std::uint32_t expected = r == 13 ? 0x03007F00u : r == 15 ? 0x08000000u : 0u;
    EXPECT_EQ(reg[r], expected) << "r" << r;
  }
  EXPECT_EQ(reg[SLOT_CPSR], 0x1Fu);
  EXPECT_EQ(reg[SLOT_MODE_INDEX], 0u);
  EXPECT_EQ(reg[SLOT_HALT_STATE], 0u);
  EXPECT_EQ(reg[SLOT_REDISPATCH], 0u);
  for (unsigned slot = 16; slot < REGISTER_SLOTS; ++slot) {
    if (slot == SLOT_CPSR || slot == SLOT_MODE_INDEX || slot == SLOT_HALT_STATE ||
        slot == SLOT_REDISPATCH) {
      continue;
    }
    EXPECT_EQ(reg[slot], before.slots[slot]) << "slot " << slot;
  }

  const std::uint32_t reset_stacks[4] = {0x03007F00, 0x03007FA0, 0x03007FA0, 0x03007FE0};
  for (unsigned m = 0; m < MODE_COUNT; ++m) {
    for (unsigned w = 0; w < 7; ++w) {
      std::uint32_t expected = (m < 4 && w == BANKED_R13) ? reset_stacks[m] : before.banked[m][w];
      EXPECT_EQ(machine.banked[m][w], expected) << "bank " << m << " word " << w;
    }
  }
  for (unsigned i = 0; i < 6; ++i) EXPECT_EQ(machine.saved_psr[i], before.saved_psr[i]);
}

TEST_F(CpuModeTest, ResetWritesWhereverTheRegisterAreaLives) {
  std::uint32_t area[REGISTER_SLOTS] = {};
  adopt_register_area(area);
  machine.registers[15] = 0x1234;
  cpu_reset();
  EXPECT_EQ(area[15], 0x08000000u);
  EXPECT_EQ(area[13], 0x03007F00u);
  EXPECT_EQ(machine.registers[15], 0x1234u);
  clear_machine_state();  // put `reg` back home before `area` goes away
}

// ---- Register area ----------------------------------------------------------------------------

TEST_F(CpuModeTest, AdoptingAnAreaCopiesSlots0To31AndMovesTheRegisterFile) {
  for (unsigned slot = 0; slot < REGISTER_SLOTS; ++slot) machine.registers[slot] = 0x1000 + slot;
  std::uint32_t area[REGISTER_SLOTS];
  for (std::uint32_t& word : area) word = 0xDEADBEEF;

  adopt_register_area(area);
  EXPECT_EQ(reg, area);
  for (unsigned slot = 0; slot < 32; ++slot) EXPECT_EQ(area[slot], 0x1000 + slot) << slot;
  for (unsigned slot = 32; slot < REGISTER_SLOTS; ++slot) {
    EXPECT_EQ(area[slot], 0xDEADBEEFu) << slot;
  }

  // Writes now land in the new area only.
  reg[0] = 0x77;
  EXPECT_EQ(machine.registers[0], 0x1000u);

  // A second move copies from the area in use, not from the static home.
  std::uint32_t next[REGISTER_SLOTS] = {};
  adopt_register_area(next);
  EXPECT_EQ(reg, next);
  EXPECT_EQ(next[0], 0x77u);
  EXPECT_EQ(next[31], 0x101Fu);
  EXPECT_EQ(next[32], 0u);
  clear_machine_state();
}

// ---- BIOS division ----------------------------------------------------------------------------

struct DivideCase {
  std::int32_t number;
  std::int32_t denom;
  std::uint32_t quotient;
  std::uint32_t remainder;
  std::uint32_t abs_quotient;
};

void PrintTo(const DivideCase& c, std::ostream* os) { *os << c.number << " / " << c.denom; }

constexpr std::uint32_t u32(std::int64_t value) { return static_cast<std::uint32_t>(value); }

constexpr DivideCase divide_cases[] = {
    // The example of the BIOS documentation: -1234 / 10 gives -123, -4, +123.
    {-1234, 10, u32(-123), u32(-4), 123},
    {1234, 10, 123, 4, 123},
    {1234, -10, u32(-123), 4, 123},
    {-1234, -10, 123, u32(-4), 123},
    {-7, 2, u32(-3), u32(-1), 3},
    {7, 7, 1, 0, 1},
    {5, 7, 0, 5, 0},
    {-5, 7, 0, u32(-5), 0},
    {0, 5, 0, 0, 0},
    {INT_MAX, 1, 0x7FFFFFFF, 0, 0x7FFFFFFF},
    {INT_MIN, 1, 0x80000000, 0, 0x80000000},
    {INT_MIN, 2, 0xC0000000, 0, 0x40000000},
    {INT_MIN, INT_MIN, 1, 0, 1},
    {INT_MAX, INT_MIN, 0, 0x7FFFFFFF, 0},
    {INT_MIN, INT_MAX, u32(-1), u32(-1), 1},
    // The quotient 2^31 does not fit: it wraps to INT_MIN, and its magnitude reads as 0x80000000.
    {INT_MIN, -1, 0x80000000, 0, 0x80000000},
    // A zero divisor: quotient 1 with the dividend's sign, remainder the dividend, magnitude 1.
    {100, 0, 1, 100, 1},
    {-100, 0, u32(-1), u32(-100), 1},
    {0, 0, 1, 0, 1},
    {INT_MIN, 0, u32(-1), 0x80000000, 1},
};

class SwiDivideTest : public ::testing::TestWithParam<DivideCase> {
 protected:
  void SetUp() override { clear_machine_state(); }
};

TEST_P(SwiDivideTest, GivesQuotientRemainderAndMagnitude) {
  const DivideCase& c = GetParam();
  for (unsigned r = 0; r <= 15; ++r) reg[r] = 0xAAAA0000 + r;
  reg[0] = static_cast<std::uint32_t>(c.number);
  reg[1] = static_cast<std::uint32_t>(c.denom);
  swi_divide();
  EXPECT_EQ(reg[0], c.quotient);
  EXPECT_EQ(reg[1], c.remainder);
  EXPECT_EQ(reg[3], c.abs_quotient);
  EXPECT_EQ(reg[2], 0xAAAA0002u);
  for (unsigned r = 4; r <= 15; ++r) EXPECT_EQ(reg[r], 0xAAAA0000 + r) << r;
}

INSTANTIATE_TEST_SUITE_P(Table, SwiDivideTest, ::testing::ValuesIn(divide_cases));

TEST(SwiDivideRandomTest, AgreesWithWideArithmetic) {
  clear_machine_state();
  std::mt19937 random(20240611);
  for (int i = 0; i < 20000; ++i) {
    auto number = static_cast<std::int32_t>(random());
    // Divisors of every size, small ones most interesting.
    auto denom = static_cast<std::int32_t>(random()) >> (random() % 32);
    if (denom == 0) continue;
    std::int64_t quotient = std::int64_t{number} / denom;
    std::int64_t remainder = std::int64_t{number} - quotient * denom;
    std::int64_t magnitude = quotient < 0 ? -quotient : quotient;

    reg[0] = static_cast<std::uint32_t>(number);
    reg[1] = static_cast<std::uint32_t>(denom);
    swi_divide();
    ASSERT_EQ(reg[0], u32(quotient)) << number << " / " << denom;
    ASSERT_EQ(reg[1], u32(remainder)) << number << " / " << denom;
    ASSERT_EQ(reg[3], u32(magnitude)) << number << " / " << denom;
  }
}

// ---- Snapshot section -------------------------------------------------------------------------

class CpuSnapshotTest : public ::testing::Test {
 protected:
  void SetUp() override { clear_machine_state(); }
  void TearDown() override { clear_machine_state(); }

  static void fill_layout_pattern() {
    for (unsigned k = 0; k < REGISTER_SLOTS; ++k) reg[k] = 0xA1B2C300 + k;
    for (unsigned i = 0; i < 6; ++i) machine.saved_psr[i] = 0x5F000010 + i;
    for (unsigned m = 0; m < MODE_COUNT; ++m) {
      for (unsigned w = 0; w < 7; ++w) machine.banked[m][w] = 0xB0000000 | m << 8 | w;
    }
  }

  static void expect_word_at(const std::uint8_t* image, std::size_t offset, std::uint32_t value) {
    EXPECT_EQ(image[offset], value & 0xFF) << "offset " << offset;
    EXPECT_EQ(image[offset + 1], (value >> 8) & 0xFF) << "offset " << offset;
    EXPECT_EQ(image[offset + 2], (value >> 16) & 0xFF) << "offset " << offset;
    EXPECT_EQ(image[offset + 3], value >> 24) << "offset " << offset;
  }
};

TEST_F(CpuSnapshotTest, SectionIsSlotsThenSavedPsrsThenBanksInLittleEndianWords) {
  EXPECT_EQ(CPU_STATE_BYTES, 476u);
  fill_layout_pattern();
  std::uint8_t image[CPU_STATE_BYTES + 8];
  std::memset(image, 0xEE, sizeof image);

  EXPECT_EQ(store_cpu_state(image), image + 476);
  for (unsigned k = 0; k < REGISTER_SLOTS; ++k) expect_word_at(image, 4 * k, 0xA1B2C300 + k);
  for (unsigned i = 0; i < 6; ++i) expect_word_at(image, 256 + 4 * i, 0x5F000010 + i);
  for (unsigned m = 0; m < MODE_COUNT; ++m) {
    for (unsigned w = 0; w < 7; ++w) {
      expect_word_at(image, 280 + 28 * m + 4 * w, 0xB0000000 | m << 8 | w);
    }
  }
  for (std::size_t i = CPU_STATE_BYTES; i < sizeof image; ++i) EXPECT_EQ(image[i], 0xEE) << i;
}

TEST_F(CpuSnapshotTest, LoadingReadsTheSameLayoutBack) {
  std::uint8_t image[CPU_STATE_BYTES];
  for (std::size_t i = 0; i < sizeof image; ++i) image[i] = static_cast<std::uint8_t>(i * 37 + 11);
  auto word_at = [&](std::size_t offset) {
    return image[offset] | image[offset + 1] << 8 | image[offset + 2] << 16 |
           static_cast<std::uint32_t>(image[offset + 3]) << 24;
  };

  EXPECT_EQ(load_cpu_state(image), image + 476);
  for (unsigned k = 0; k < REGISTER_SLOTS; ++k) EXPECT_EQ(reg[k], word_at(4 * k)) << k;
  for (unsigned i = 0; i < 6; ++i) EXPECT_EQ(machine.saved_psr[i], word_at(256 + 4 * i)) << i;
  for (unsigned m = 0; m < MODE_COUNT; ++m) {
    for (unsigned w = 0; w < 7; ++w) EXPECT_EQ(machine.banked[m][w], word_at(280 + 28 * m + 4 * w));
  }
}

TEST_F(CpuSnapshotTest, RoundTripThroughTheRegisterAreaInUse) {
  std::uint32_t area[REGISTER_SLOTS] = {};
  adopt_register_area(area);
  fill_cpu_with_pattern();
  CpuImage saved = CpuImage::capture();
  std::uint8_t image[CPU_STATE_BYTES];
  store_cpu_state(image);

  // Scramble everything, then load: the area in use gets the slots, the home array does not.
  for (unsigned slot = 0; slot < REGISTER_SLOTS; ++slot) reg[slot] = 0;
  std::memset(machine.saved_psr, 0, sizeof machine.saved_psr);
  std::memset(machine.banked, 0, sizeof machine.banked);
  machine.registers[15] = 0x4444;
  machine.bios_protect_word = 0x12345678;

  EXPECT_EQ(load_cpu_state(image), image + CPU_STATE_BYTES);
  CpuImage loaded = CpuImage::capture();
  EXPECT_EQ(loaded.slots, saved.slots);
  EXPECT_EQ(std::memcmp(loaded.saved_psr, saved.saved_psr, sizeof saved.saved_psr), 0);
  EXPECT_EQ(std::memcmp(loaded.banked, saved.banked, sizeof saved.banked), 0);
  EXPECT_EQ(reg, area);
  EXPECT_EQ(machine.registers[15], 0x4444u);
  EXPECT_EQ(machine.bios_protect_word, 0x12345678u);
}

}  // namespace
