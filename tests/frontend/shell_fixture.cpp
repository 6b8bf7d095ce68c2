#include "tests/frontend/shell_fixture.h"

#include "platform/input.h"
#include "platform/png_file.h"

void ShellTest::SetUp() {
  DesktopTest::SetUp();
  g_config.Reset();
  g_saved_config.Reset();
  SetLanguage(Language::CHINESE);
  SetKeyboardGrab(&grab);
}

void ShellTest::TearDown() {
  SetKeyboardGrab(nullptr);
  DesktopTest::TearDown();
  g_config.Reset();
  g_saved_config.Reset();
}

void ShellTest::cycles(int count, CSettingsDialog* dialog) {
  for (int i = 0; i < count; ++i) {
    pump_cycle([dialog](const Message& message) {
      return dialog != nullptr && dialog->IsOpen() && dialog->PreTranslate(message) != 0;
    });
  }
}

void ShellTest::press(unsigned virtual_key, CSettingsDialog* dialog) {
  input_key_down(virtual_key);
  input_key_up(virtual_key);
  cycles(1, dialog);
}

Picture ShellTest::photograph() {
  std::string path = files.file("screen.png");
  update_screen();
  EXPECT_TRUE(write_png(path.c_str(), screen()));
  Picture picture;
  EXPECT_TRUE(read_png(path, picture));
  return picture;
}

bool ShellTest::have_unifont() const {
  int width = 0;
  std::vector<std::uint32_t> rows;
  return unifont_glyph(U'A', width, rows);
}
