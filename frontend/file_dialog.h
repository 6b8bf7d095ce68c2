#pragma once
// The dialog that picks a cartridge image: a list of the current folder's subfolders, then its
// files with the wanted extensions, each group sorted, with ".." to go up. The stylus opens an
// entry; Up, Down and Return do the same from the keys; the left soft key cancels.

#include <string>
#include <vector>

#include "frontend/comnctls.h"
#include "frontend/wnd.h"

struct FileEntry {
  std::string name;  // UTF-8, as the file system gives it
  bool is_folder;
  bool operator==(const FileEntry&) const = default;
};

// ".." unless `folder` is the root, then the subfolders, then the files whose names end with one
// of `extensions` (lower case, with their dot; compared without regard to letter case). Hidden
// entries (names starting with a dot) are left out. An unreadable folder lists only "..".
std::vector<FileEntry> ListFolder(const std::string& folder,
                                  const std::vector<std::string>& extensions);
// The extensions of a filter's patterns: pairs of zero-terminated texts (a name, then patterns
// such as "*.gba" separated by ';') ending with an empty text.
std::vector<std::string> FilterExtensions(const char16_t* filter);
// The folder of `last_file` when it still exists, else the home folder, else the root.
std::string DialogStartFolder(const char* last_file);
std::string ParentFolder(const std::string& folder);
std::string JoinPath(const std::string& folder, const std::string& name);

class CFileDialog : public CWnd {
 public:
  // Shows the dialog full screen and runs its own message loop until a file is chosen (1, its
  // UTF-8 path in `chosen`) or the dialog is cancelled or the program is closing (0).
  int Run(const std::u16string& title, const std::string& start_folder,
          std::vector<std::string> extensions, std::string& chosen);

  // A chosen path longer than this, in UTF-16 units with the terminating zero, is refused with a
  // message and the dialog stays open.
  int max_path_units = 520;

  LResult OnCreate(WParam wparam, LParam lparam) override;
  LResult OnPaint(WParam wparam, LParam lparam) override;
  LResult OnKeyDown(WParam wparam, LParam lparam) override;
  LResult OnLButtonDown(WParam wparam, LParam lparam) override;
  LResult OnCommand(WParam wparam, LParam lparam) override;
  LResult OnClose(WParam wparam, LParam lparam) override;

  std::string folder;
  std::vector<FileEntry> entries;
  int selected = 0;
  int first_visible = 0;
  std::u16string message;

 private:
  void EnterFolder(const std::string& path);
  void OpenEntry(int index);
  void Select(int index);
  int VisibleRows() const;
  void Finish(int result);

  std::vector<std::string> wanted_extensions;
  std::string chosen_path;
  int result = -1;  // -1 while the dialog runs
  CMenu menu_bar;
  CMenu mitem_cancel;
  CMenu mitem_open;
};
