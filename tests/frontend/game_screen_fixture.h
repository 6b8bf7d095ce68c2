#pragma once
// A headless device screen of 240 x 320 with a main window, a cleared console whose interrupts
// only set IF, and the settings at their defaults: what the game screen's pieces run against.

#include "core/io/io_registers.h"
#include "core/state.h"
#include "cpu/cpu_state.h"
#include "frontend/buttons.h"
#include "frontend/gbaconfig.h"
#include "frontend/screenpad.h"
#include "tests/platform/desktop_fixture.h"

class GameScreenTest : public DesktopTest {
 protected:
  static constexpr std::uint32_t CPSR_SYSTEM_MASKED = 0x9F;
  static constexpr std::uint32_t KEYPAD_INTERRUPT = 1u << 12;

  void SetUp() override {
    DesktopTest::SetUp();
    clear_machine_state();
    reg[SLOT_CPSR] = CPSR_SYSTEM_MASKED;
    g_config.Reset();
    g_buttons = CConsoleButtons();
    g_screen_pad.Reset();
    main = top_level(u"main");
    ASSERT_NE(main, NO_WINDOW);
  }

  void TearDown() override {
    g_config.Reset();
    g_buttons = CConsoleButtons();
    g_screen_pad.Reset();
    DesktopTest::TearDown();
  }

  static std::uint32_t keyinput() { return io_read16(IO_KEYINPUT); }
  static bool keypad_interrupt_requested() { return (io_read16(IO_IF) & KEYPAD_INTERRUPT) != 0; }
  static void clear_interrupt_requests() { io_store16(IO_IF, 0); }

  WindowHandle main = NO_WINDOW;
};
