#include "frontend/winmisc.h"

#include "core/report.h"
#include "frontend/encoder.h"
#include "frontend/file_dialog.h"
#include "frontend/gbaconfig.h"
#include "frontend/mem.h"
#include "platform/window_system.h"

int InstallHook(WindowHandle main_window) {
  ORVANE_CHECK(is_window(main_window), 0);
  grab_keyboard(main_window);
  return 1;
}

int RemoveHook() {
  grab_keyboard(NO_WINDOW);
  return 1;
}

int InstallHookIfWanted(WindowHandle main_window, bool forced) {
  RemoveHook();
  if (!forced && !g_config.use_kb_hook) return 1;
  return InstallHook(main_window);
}

int OpenFileDialog(WindowHandle owner, CFileBase* file, const char16_t* filter,
                   const char* last_file) {
  ORVANE_CHECK(file && filter, 0);
  file->SetSize(0);
  file->Seek(0);
  CFileDialog dialog;
  dialog.max_path_units = FILE_DIALOG_PATH_UNITS;
  std::u16string title(filter);  // the filter's first name, "GBA Rom"
  std::string chosen;
  (void)owner;  // the dialog covers the whole screen; it needs no owner to stay above
  int chosen_one =
      dialog.Run(title, DialogStartFolder(last_file), FilterExtensions(filter), chosen);
  if (chosen_one) {
    CMem source;
    source.SetStr(chosen.data());
    GbToUnicode(&source, file);
  } else {
    char16_t nothing = 0;
    file->Write(&nothing, sizeof nothing);
  }
  return chosen_one;
}
