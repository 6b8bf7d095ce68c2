#pragma once
// A headless window system for the shell's tests: the dialogs' pre-translation in the pump as the
// main window's loop has it, a keyboard grab that records its state, pictures of the screen.

#include <string>

#include "frontend/gbaconfig.h"
#include "frontend/keygrab.h"
#include "frontend/language.h"
#include "frontend/settings_dialog.h"
#include "tests/platform/desktop_fixture.h"
#include "tests/platform/glyph_reference.h"
#include "tests/support/temp_dir.h"

class RecordingGrab : public CKeyboardGrab {
 public:
  int Install() override {
    ++installs;
    installed = true;
    return 1;
  }
  int Remove() override {
    installed = false;
    return 1;
  }
  int IsInstalled() const override { return installed ? 1 : 0; }
  bool installed = false;
  int installs = 0;
};

class ShellTest : public DesktopTest {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Pump cycles with `dialog`'s pre-translation while it has a window.
  void cycles(int count, CSettingsDialog* dialog = nullptr);
  // A key pressed and released, then the pump run until it was handled.
  void press(unsigned virtual_key, CSettingsDialog* dialog = nullptr);
  Picture photograph();
  bool have_unifont() const;

  RecordingGrab grab;
  TempDir files;
};
