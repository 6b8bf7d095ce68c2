#pragma once
// The keyboard capture of the game screen (every key to the main window, none to anything else)
// and the open-file dialog.

#include "frontend/filebase.h"
#include "platform/types.h"

// Gives every key to `main_window` until RemoveHook. 0 for a dead window.
int InstallHook(WindowHandle main_window);
int RemoveHook();
// The game screen's variant: captures only when `use_kb_hook` is set. `forced` (the key setup
// dialog) captures regardless.
int InstallHookIfWanted(WindowHandle main_window, bool forced = false);

// The longest path the dialog hands back, in UTF-16 units with the terminating zero.
constexpr int FILE_DIALOG_PATH_UNITS = 520;

// Shows the file dialog and stores the chosen path in `file` as UTF-16 with its terminating zero
// (nothing when cancelled). `filter`: pairs of zero-terminated texts ending with an empty one.
// It opens in the folder of `last_file` when given and present, else in the home folder.
// Returns 1 when a file was chosen.
int OpenFileDialog(WindowHandle owner, CFileBase* file, const char16_t* filter,
                   const char* last_file = nullptr);
