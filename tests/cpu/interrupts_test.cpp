#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstring>
#include <string>

#include "core/io/io_registers.h"
#include "core/io/keypad.h"
#include "core/memory/memory.h"
#include "core/state.h"
#include "cpu/cpu_state.h"

namespace {

constexpr std::uint32_t SYSTEM_SP = 0x03007F00;
constexpr std::uint32_t SYSTEM_LR = 0x08000222;
constexpr std::uint32_t IRQ_SP = 0x03007FA0;
constexpr std::uint32_t IRQ_LR_BEFORE = 0x0000BEEF;
constexpr std::uint32_t SUPERVISOR_SP = 0x03007FE0;
constexpr std::uint32_t SUPERVISOR_LR = 0x08000666;

void set_io16(std::uint32_t offset, std::uint32_t value) {
  machine.io_regs[offset] = static_cast<std::uint8_t>(value);
  machine.io_regs[offset + 1] = static_cast<std::uint8_t>(value >> 8);
}

std::uint32_t io16(std::uint32_t offset) {
  return machine.io_regs[offset] | static_cast<std::uint32_t>(machine.io_regs[offset + 1]) << 8;
}

// Everything an interrupt entry may change, to show that a blocked one changes none of it.
struct CpuImage {
  std::array<std::uint32_t, REGISTER_SLOTS> slots;
  std::array<std::uint32_t, 6> saved_psr;
  std::array<std::uint32_t, 7 * 7> banked;
  std::uint32_t bios_protect_word;
  const std::uint8_t* bios_page;

  static CpuImage capture() {
    CpuImage image{};
    for (unsigned slot = 0; slot < REGISTER_SLOTS; ++slot) image.slots[slot] = reg[slot];
    std::memcpy(image.saved_psr.data(), machine.saved_psr, sizeof machine.saved_psr);
    std::memcpy(image.banked.data(), machine.banked, sizeof machine.banked);
    image.bios_protect_word = machine.bios_protect_word;
    image.bios_page = machine.read_map[0];
    return image;
  }

  void expect_unchanged() const {
    CpuImage now = capture();
    EXPECT_EQ(now.slots, slots);
    EXPECT_EQ(now.saved_psr, saved_psr);
    EXPECT_EQ(now.banked, banked);
    EXPECT_EQ(now.bios_protect_word, bios_protect_word);
    EXPECT_EQ(now.bios_page, bios_page);
  }
};

// A game running in System mode, with the stacks that reset leaves and a halted CPU, so that
// each test only sets the interrupt registers and the CPSR it is about.
class InterruptTest : public ::testing::Test {
 protected:
  void SetUp() override {
    clear_machine_state();
    machine.bios_protect_word = BIOS_PROTECT_AFTER_RESET;
    for (unsigned r = 0; r <= 12; ++r) reg[r] = 0x1000 + r;
    reg[SLOT_SP] = SYSTEM_SP;
    reg[SLOT_LR] = SYSTEM_LR;
    reg[SLOT_PC] = 0x08000100;
    reg[SLOT_CPSR] = 0x2000001F;  // System, ARM, interrupts enabled, C set
    reg[SLOT_MODE_INDEX] = MODE_USER_SYSTEM;
    reg[SLOT_HALT_STATE] = 1;
    machine.banked[MODE_IRQ][BANKED_R13] = IRQ_SP;
    machine.banked[MODE_IRQ][BANKED_R14] = IRQ_LR_BEFORE;
    machine.banked[MODE_SUPERVISOR][BANKED_R13] = SUPERVISOR_SP;
    machine.banked[MODE_SUPERVISOR][BANKED_R14] = SUPERVISOR_LR;
    machine.saved_psr[MODE_IRQ] = 0x5A5A5A5A;
  }

  static void enable(std::uint32_t ie, std::uint32_t ime) {
    set_io16(IO_IE, ie);
    set_io16(IO_IME, ime);
  }

  // The CPU is in the IRQ handler's mode, with its own stack and r0-r12 untouched.
  static void expect_in_irq_mode(std::uint32_t return_address, std::uint32_t interrupted_cpsr) {
    EXPECT_EQ(reg[SLOT_CPSR], 0xD2u);
    EXPECT_EQ(reg[SLOT_MODE_INDEX], MODE_IRQ);
    EXPECT_EQ(machine.saved_psr[MODE_IRQ], interrupted_cpsr);
    EXPECT_EQ(machine.banked[MODE_IRQ][BANKED_R14], return_address);
    EXPECT_EQ(reg[SLOT_LR], return_address);
    EXPECT_EQ(reg[SLOT_SP], IRQ_SP);
    for (unsigned r = 0; r <= 12; ++r) EXPECT_EQ(reg[r], 0x1000 + r) << r;
  }
};

// ---- Interrupt requests -----------------------------------------------------------------------

struct EntryCase {
  const char* from;
  std::uint32_t cpsr;
  std::uint32_t mode_index;
  std::uint32_t pc;
};

class InterruptEntryTest : public InterruptTest, public ::testing::WithParamInterface<EntryCase> {};

TEST_P(InterruptEntryTest, EnabledRequestEntersTheHandlerAtTheIrqVector) {
  const EntryCase& c = GetParam();
  reg[SLOT_CPSR] = c.cpsr;
  reg[SLOT_PC] = c.pc;
  if (c.mode_index == MODE_SUPERVISOR) {
    switch_cpu_mode(MODE_SUPERVISOR);
    reg[SLOT_LR] = SUPERVISOR_LR;
  }
  std::uint32_t interrupted_sp = reg[SLOT_SP];
  std::uint32_t interrupted_lr = reg[SLOT_LR];
  enable(0x0001, 1);

  raise_interrupt_flags(0x0001);

  EXPECT_EQ(io16(IO_IF), 0x0001u);
  EXPECT_EQ(reg[SLOT_PC], 0x18u);
  expect_in_irq_mode(c.pc + 4, c.cpsr);
  // The interrupted mode's stack and link are parked in its record.
  EXPECT_EQ(machine.banked[c.mode_index][BANKED_R13], interrupted_sp);
  EXPECT_EQ(machine.banked[c.mode_index][BANKED_R14], interrupted_lr);
  EXPECT_EQ(machine.bios_protect_word, 0xE55EC002u);
  EXPECT_EQ(machine.read_map[0], machine.bios_area.image);
  EXPECT_EQ(reg[SLOT_HALT_STATE], 0u);
  EXPECT_EQ(reg[SLOT_REDISPATCH], 1u);
}

INSTANTIATE_TEST_SUITE_P(
    FromEachState, InterruptEntryTest,
    ::testing::Values(EntryCase{"SystemArm", 0x2000001F, MODE_USER_SYSTEM, 0x08000100},
                      EntryCase{"SystemThumb", 0x8000003F, MODE_USER_SYSTEM, 0x08000202},
                      EntryCase{"UserArm", 0x00000010, MODE_USER_SYSTEM, 0x02000040},
                      EntryCase{"SupervisorArm", 0x40000013, MODE_SUPERVISOR, 0x00000150}),
    [](const auto& test) { return std::string(test.param.from); });

struct BlockedCase {
  const char* reason;
  std::uint32_t ie;
  std::uint32_t ime;
  std::uint32_t cpsr;
  std::uint32_t if_before;
  std::uint32_t bits;
};

class BlockedInterruptTest : public InterruptTest,
                             public ::testing::WithParamInterface<BlockedCase> {};

TEST_P(BlockedInterruptTest, OnlySetsTheRequestFlags) {
  const BlockedCase& c = GetParam();
  enable(c.ie, c.ime);
  set_io16(IO_IF, c.if_before);
  reg[SLOT_CPSR] = c.cpsr;
  CpuImage before = CpuImage::capture();

  raise_interrupt_flags(c.bits);

  EXPECT_EQ(io16(IO_IF), c.if_before | c.bits);
  before.expect_unchanged();
}

INSTANTIATE_TEST_SUITE_P(
    EachCondition, BlockedInterruptTest,
    ::testing::Values(BlockedCase{"NotEnabledInIe", 0x0002, 1, 0x1F, 0x0000, 0x0001},
                      BlockedCase{"ImeOff", 0x0001, 0, 0x1F, 0x0000, 0x0001},
                      BlockedCase{"CpsrIrqDisabled", 0x0001, 1, 0x9F, 0x0000, 0x0001},
                      // Only the newly requested bits are weighed, not ones already waiting.
                      BlockedCase{"EarlierRequestStillWaiting", 0x0001, 1, 0x1F, 0x0001, 0x0008},
                      BlockedCase{"FlagsAccumulate", 0x0000, 1, 0x1F, 0x0104, 0x2001}),
    [](const auto& test) { return std::string(test.param.reason); });

// A handler that re-enables interrupts while still in IRQ mode is interrupted again: the new
// return address goes to r14_irq, which is the live r14 at that point.
TEST_F(InterruptTest, NestedEntryInIrqModeSetsTheLiveLinkRegister) {
  switch_cpu_mode(MODE_IRQ);
  reg[SLOT_CPSR] = 0x12;
  reg[SLOT_LR] = 0x08000104;
  reg[SLOT_PC] = 0x03000400;
  enable(0x0004, 1);

  raise_interrupt_flags(0x0004);

  EXPECT_EQ(reg[SLOT_PC], 0x18u);
  EXPECT_EQ(reg[SLOT_LR], 0x03000404u);
  EXPECT_EQ(reg[SLOT_SP], IRQ_SP);
  EXPECT_EQ(reg[SLOT_CPSR], 0xD2u);
  EXPECT_EQ(machine.saved_psr[MODE_IRQ], 0x12u);
  EXPECT_EQ(reg[SLOT_MODE_INDEX], MODE_IRQ);
  EXPECT_EQ(reg[SLOT_REDISPATCH], 1u);
}

// ---- CPSR writes ------------------------------------------------------------------------------

struct CpsrWriteCase {
  const char* what;
  std::uint32_t value;
  std::uint32_t mask;
  std::uint32_t ie;
  std::uint32_t if_pending;
  std::uint32_t ime;
  std::uint32_t expected_mode;
};

class CpsrWriteTest : public InterruptTest, public ::testing::WithParamInterface<CpsrWriteCase> {};

// None of these takes an interrupt: the CPSR becomes the value and the mode follows it (or, for a
// flags-only write, stays).
TEST_P(CpsrWriteTest, SetsTheCpsrWithoutAnInterrupt) {
  const CpsrWriteCase& c = GetParam();
  reg[SLOT_CPSR] = 0x9F;
  enable(c.ie, c.ime);
  set_io16(IO_IF, c.if_pending);

  EXPECT_EQ(write_cpsr(c.value, c.mask, 0x08000300), 0u);

  EXPECT_EQ(reg[SLOT_CPSR], c.value);
  EXPECT_EQ(reg[SLOT_MODE_INDEX], c.expected_mode);
  EXPECT_EQ(machine.saved_psr[MODE_IRQ], 0x5A5A5A5Au);
  EXPECT_EQ(machine.banked[MODE_IRQ][BANKED_R14], IRQ_LR_BEFORE);
  if (c.expected_mode == MODE_SUPERVISOR) {
    EXPECT_EQ(reg[SLOT_SP], SUPERVISOR_SP);
    EXPECT_EQ(reg[SLOT_LR], SUPERVISOR_LR);
    EXPECT_EQ(machine.banked[MODE_USER_SYSTEM][BANKED_R13], SYSTEM_SP);
    EXPECT_EQ(machine.banked[MODE_USER_SYSTEM][BANKED_R14], SYSTEM_LR);
  } else {
    EXPECT_EQ(reg[SLOT_SP], SYSTEM_SP);
    EXPECT_EQ(reg[SLOT_LR], SYSTEM_LR);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CpsrWriteTest,
    ::testing::Values(
        // The control byte of the value says "IRQ mode, interrupts on" and one is pending, but a
        // write of the flags byte alone must leave mode and interrupts alone.
        CpsrWriteCase{"FlagsByteOnly", 0xF0000012, 0xFF000000, 0x0001, 0x0001, 1, MODE_USER_SYSTEM},
        CpsrWriteCase{"EverythingButControl", 0x6000001F, 0xFFFFFF00, 0x0001, 0x0001, 1,
                      MODE_USER_SYSTEM},
        CpsrWriteCase{"ToSupervisorInterruptsOff", 0x93, 0xFF, 0x0001, 0x0001, 1, MODE_SUPERVISOR},
        CpsrWriteCase{"ClearIWithNothingPending", 0x1F, 0xFF, 0x0001, 0x0000, 1, MODE_USER_SYSTEM},
        CpsrWriteCase{"ClearIWithPendingNotEnabled", 0x1F, 0xFF, 0x0002, 0x0001, 1,
                      MODE_USER_SYSTEM},
        CpsrWriteCase{"ClearIWithImeOff", 0x1F, 0xFF, 0x0001, 0x0001, 0, MODE_USER_SYSTEM},
        CpsrWriteCase{"ToSupervisorWithIClear", 0x13, 0xFF, 0x0001, 0x0000, 1, MODE_SUPERVISOR}),
    [](const auto& test) { return std::string(test.param.what); });

TEST_F(InterruptTest, ClearingIWithAnEnabledPendingInterruptEntersTheHandler) {
  reg[SLOT_CPSR] = 0x9F;
  enable(0x0008, 1);
  set_io16(IO_IF, 0x0009);

  EXPECT_EQ(write_cpsr(0x1F, 0xFF, 0x08000300), 0x18u);

  // SUBS PC, LR, #4 in the handler comes back to the MSR at 0x08000300.
  expect_in_irq_mode(0x08000304, 0x1F);
  EXPECT_EQ(machine.banked[MODE_USER_SYSTEM][BANKED_R13], SYSTEM_SP);
  EXPECT_EQ(machine.banked[MODE_USER_SYSTEM][BANKED_R14], SYSTEM_LR);
  EXPECT_EQ(io16(IO_IF), 0x0009u);
}

TEST_F(InterruptTest, ModeChangeAndInterruptInOneWrite) {
  enable(0x0001, 1);
  set_io16(IO_IF, 0x0001);

  // System with I set to Supervisor with I clear: the mode changes first, then the interrupt
  // is taken from Supervisor mode.
  reg[SLOT_CPSR] = 0x9F;
  EXPECT_EQ(write_cpsr(0x13, 0xFF, 0x08000400), 0x18u);

  expect_in_irq_mode(0x08000404, 0x13);
  EXPECT_EQ(machine.banked[MODE_SUPERVISOR][BANKED_R13], SUPERVISOR_SP);
  EXPECT_EQ(machine.banked[MODE_SUPERVISOR][BANKED_R14], SUPERVISOR_LR);
  EXPECT_EQ(machine.banked[MODE_USER_SYSTEM][BANKED_R13], SYSTEM_SP);
  EXPECT_EQ(machine.banked[MODE_USER_SYSTEM][BANKED_R14], SYSTEM_LR);
}

// ---- Exception return -------------------------------------------------------------------------

// The handler's SUBS PC, LR, #4 (or its equivalent) has put the saved PSR back into slot 20
// while the CPU is still in IRQ mode.
class PsrRestoreTest : public InterruptTest {
 protected:
  void SetUp() override {
    InterruptTest::SetUp();
    switch_cpu_mode(MODE_IRQ);
    reg[SLOT_LR] = 0x08000104;
    reg[SLOT_SP] = 0x03007F90;
  }
};

TEST_F(PsrRestoreTest, WithNothingPendingReturnsToTheTargetInTheRestoredMode) {
  enable(0x0001, 1);
  reg[SLOT_CPSR] = 0x2000001F;

  EXPECT_EQ(irq_after_psr_restore(0x08000100), 0x08000100u);

  EXPECT_EQ(reg[SLOT_CPSR], 0x2000001Fu);
  EXPECT_EQ(reg[SLOT_MODE_INDEX], MODE_USER_SYSTEM);
  EXPECT_EQ(reg[SLOT_SP], SYSTEM_SP);
  EXPECT_EQ(reg[SLOT_LR], SYSTEM_LR);
  EXPECT_EQ(machine.banked[MODE_IRQ][BANKED_R13], 0x03007F90u);
  EXPECT_EQ(machine.banked[MODE_IRQ][BANKED_R14], 0x08000104u);
  EXPECT_EQ(machine.saved_psr[MODE_IRQ], 0x5A5A5A5Au);
}

TEST_F(PsrRestoreTest, RestoredPsrWithInterruptsOffIgnoresAPendingOne) {
  enable(0x0001, 1);
  set_io16(IO_IF, 0x0001);
  reg[SLOT_CPSR] = 0x9F;

  EXPECT_EQ(irq_after_psr_restore(0x08000100), 0x08000100u);
  EXPECT_EQ(reg[SLOT_CPSR], 0x9Fu);
  EXPECT_EQ(reg[SLOT_MODE_INDEX], MODE_USER_SYSTEM);
}

TEST_F(PsrRestoreTest, WithAnEnabledPendingInterruptGoesStraightBackToTheHandler) {
  enable(0x0002, 1);
  set_io16(IO_IF, 0x0002);
  reg[SLOT_CPSR] = 0x4000003F;  // back to Thumb code in System mode

  EXPECT_EQ(irq_after_psr_restore(0x08000200), 0x18u);

  EXPECT_EQ(reg[SLOT_CPSR], 0xD2u);
  EXPECT_EQ(reg[SLOT_MODE_INDEX], MODE_IRQ);
  EXPECT_EQ(machine.saved_psr[MODE_IRQ], 0x4000003Fu);
  EXPECT_EQ(reg[SLOT_LR], 0x08000204u);
  EXPECT_EQ(machine.banked[MODE_IRQ][BANKED_R14], 0x08000204u);
  // The round trip through System mode kept IRQ's stack and System's registers.
  EXPECT_EQ(reg[SLOT_SP], 0x03007F90u);
  EXPECT_EQ(machine.banked[MODE_USER_SYSTEM][BANKED_R13], SYSTEM_SP);
  EXPECT_EQ(machine.banked[MODE_USER_SYSTEM][BANKED_R14], SYSTEM_LR);
}

// ---- Keypad -----------------------------------------------------------------------------------

struct KeypadCase {
  const char* what;
  std::uint32_t keycnt;
  std::uint32_t keys;
  bool raises;
};

class KeypadIrqTest : public InterruptTest, public ::testing::WithParamInterface<KeypadCase> {};

TEST_P(KeypadIrqTest, RequestsTheKeypadInterruptWhenKeycntSaysSo) {
  const KeypadCase& c = GetParam();
  set_io16(IO_KEYCNT, c.keycnt);
  set_io16(IO_IF, 0x0001);

  check_keypad_irq(c.keys);

  EXPECT_EQ(io16(IO_IF), c.raises ? 0x1001u : 0x0001u);
}

constexpr std::uint32_t KEY_A = 1u << 0;
constexpr std::uint32_t KEY_B = 1u << 1;
constexpr std::uint32_t KEY_SELECT = 1u << 2;
constexpr std::uint32_t KEY_START = 1u << 3;
constexpr std::uint32_t KEY_L = 1u << 9;
constexpr std::uint32_t IRQ_ON = 1u << 14;
constexpr std::uint32_t ALL_OF = 1u << 15;

INSTANTIATE_TEST_SUITE_P(
    Conditions, KeypadIrqTest,
    ::testing::Values(
        KeypadCase{"DisabledIgnoresEverything", KEY_A | KEY_B, 0x3FF, false},
        KeypadCase{"DisabledEvenWithAndCondition", ALL_OF | KEY_A, KEY_A, false},
        KeypadCase{"AnyOfOneSelectedPressed", IRQ_ON | KEY_A | KEY_B, KEY_A, true},
        KeypadCase{"AnyOfHighestKey", IRQ_ON | KEY_L, KEY_L, true},
        KeypadCase{"AnyOfOnlyUnselectedPressed", IRQ_ON | KEY_A | KEY_B, KEY_SELECT, false},
        KeypadCase{"AnyOfNothingPressed", IRQ_ON | KEY_A | KEY_B, 0, false},
        KeypadCase{"AllOfOnlySomePressed", IRQ_ON | ALL_OF | KEY_A | KEY_B | KEY_START,
                   KEY_A | KEY_B, false},
        KeypadCase{"AllOfEveryOnePressed", IRQ_ON | ALL_OF | KEY_A | KEY_B | KEY_START,
                   KEY_A | KEY_B | KEY_START, true},
        KeypadCase{"AllOfWithExtraKeys", IRQ_ON | ALL_OF | KEY_A | KEY_B, 0x3FF, true},
        // Every one of no selected keys is pressed.
        KeypadCase{"AllOfNoneSelected", IRQ_ON | ALL_OF, KEY_SELECT, true}),
    [](const auto& test) { return std::string(test.param.what); });

TEST_F(InterruptTest, KeypadInterruptEntersTheHandlerWhenEnabled) {
  set_io16(IO_KEYCNT, IRQ_ON | KEY_START);
  enable(0x1000, 1);

  check_keypad_irq(KEY_START);

  EXPECT_EQ(io16(IO_IF), 0x1000u);
  EXPECT_EQ(reg[SLOT_PC], 0x18u);
  expect_in_irq_mode(0x08000104, 0x2000001F);
}

}  // namespace
