#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "core/io/keypad.h"
#include "tests/core/hardware_fixture.h"

namespace {

// KEYCNT bits: the selected buttons in bits 0-9, IRQ enable bit 14, AND condition bit 15.
constexpr std::uint32_t IRQ_ON = 1u << 14;
constexpr std::uint32_t ALL_OF = 1u << 15;

struct ButtonCase {
  const char* what;
  std::uint32_t keycnt;
  std::uint32_t ie;
  std::uint32_t halt_state;  // before the change
  std::uint32_t held_before;
  std::uint32_t held_now;
  bool interrupts;  // IF bit 12 afterwards
  std::uint32_t halt_after;
};

class SetHeldButtonsTest : public HardwareTest, public ::testing::WithParamInterface<ButtonCase> {};

TEST_P(SetHeldButtonsTest, WritesKeyinputAndRaisesTheKeypadInterruptAsKeycntSays) {
  const ButtonCase& c = GetParam();
  set_held_buttons(c.held_before);
  io_store16(IO_IF, 0);
  io_store16(IO_KEYCNT, c.keycnt);
  io_store16(IO_IE, c.ie);
  reg[SLOT_HALT_STATE] = c.halt_state;

  set_held_buttons(c.held_now);

  EXPECT_EQ(io16(IO_KEYINPUT), ~c.held_now & 0x3FFu);  // 0 = pressed
  EXPECT_EQ(io16(IO_IF), c.interrupts ? 0x1000u : 0u);
  EXPECT_EQ(reg[SLOT_HALT_STATE], c.halt_after);
}

INSTANTIATE_TEST_SUITE_P(
    Conditions, SetHeldButtonsTest,
    ::testing::Values(
        ButtonCase{"OrOneSelectedPressed", IRQ_ON | BUTTON_A | BUTTON_B, 0, CPU_RUNNING, 0,
                   BUTTON_B, true, CPU_RUNNING},
        ButtonCase{"OrOnlyUnselectedPressed", IRQ_ON | BUTTON_A, 0, CPU_RUNNING, 0, BUTTON_UP,
                   false, CPU_RUNNING},
        ButtonCase{"AndSomeSelectedPressed", IRQ_ON | ALL_OF | BUTTON_A | BUTTON_START, 0,
                   CPU_RUNNING, 0, BUTTON_A, false, CPU_RUNNING},
        ButtonCase{"AndLastSelectedAdded", IRQ_ON | ALL_OF | BUTTON_A | BUTTON_START, 0,
                   CPU_RUNNING, BUTTON_A, BUTTON_A | BUTTON_START, true, CPU_RUNNING},
        ButtonCase{"IrqDisabled", BUTTON_A, 0x1000, CPU_RUNNING, 0, BUTTON_A, false, CPU_RUNNING},
        // A release is no press, even with selected buttons still held.
        ButtonCase{"ReleaseWhileSelectedStillHeld", IRQ_ON | BUTTON_A | BUTTON_B, 0, CPU_RUNNING,
                   BUTTON_A | BUTTON_B, BUTTON_A, false, CPU_RUNNING},
        ButtonCase{"ReleaseAll", IRQ_ON | BUTTON_L, 0, CPU_RUNNING, BUTTON_L, 0, false,
                   CPU_RUNNING},
        // Stop ends for the keypad interrupt as far as IE lets it through.
        ButtonCase{"PressWakesAStoppedCpu", IRQ_ON | BUTTON_START, 0x1000, CPU_STOPPED, 0,
                   BUTTON_START, true, CPU_RUNNING},
        ButtonCase{"StoppedCpuKeepsStoppedWithoutIe", IRQ_ON | BUTTON_START, 0x0001, CPU_STOPPED, 0,
                   BUTTON_START, true, CPU_STOPPED},
        ButtonCase{"PressNotMeetingKeycntLeavesItStopped", IRQ_ON | ALL_OF | BUTTON_A | BUTTON_B,
                   0x1000, CPU_STOPPED, 0, BUTTON_A, false, CPU_STOPPED},
        ButtonCase{"PressWakesAHaltedCpu", IRQ_ON | BUTTON_R, 0x1000, CPU_HALTED, 0, BUTTON_R, true,
                   CPU_RUNNING}),
    [](const auto& test) { return std::string(test.param.what); });

}  // namespace
