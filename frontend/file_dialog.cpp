#include "frontend/file_dialog.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>

#include "frontend/encoder.h"
#include "platform/backend.h"
#include "platform/font.h"
#include "platform/keys.h"
#include "platform/messages.h"

namespace {

constexpr int ROW_HEIGHT = FONT_HEIGHT + 2;
constexpr int TEXT_INDENT = 4;
constexpr char16_t TOO_LONG_MESSAGE[] = u"路径太长，无法打开";

std::string lower(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

bool wanted(const std::string& name, const std::vector<std::string>& extensions) {
  std::string name_lower = lower(name);
  return std::any_of(extensions.begin(), extensions.end(), [&](const std::string& ext) {
    return name_lower.size() > ext.size() &&
           name_lower.compare(name_lower.size() - ext.size(), ext.size(), ext) == 0;
  });
}

bool is_folder(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

}  // namespace

std::vector<FileEntry> ListFolder(const std::string& folder,
                                  const std::vector<std::string>& extensions) {
  std::vector<FileEntry> folders, files;
  if (DIR* dir = opendir(folder.c_str())) {
    while (dirent* entry = readdir(dir)) {
      std::string name = entry->d_name;
      if (name.empty() || name[0] == '.') continue;
      if (is_folder(JoinPath(folder, name))) {
        folders.push_back({name, true});
      } else if (wanted(name, extensions)) {
        files.push_back({name, false});
      }
    }
    closedir(dir);
  }
  // As a player reads them: letter case aside, then byte order to keep the sort total.
  auto by_name = [](const FileEntry& a, const FileEntry& b) {
    std::string la = lower(a.name), lb = lower(b.name);
    return la != lb ? la < lb : a.name < b.name;
  };
  std::sort(folders.begin(), folders.end(), by_name);
  std::sort(files.begin(), files.end(), by_name);
  std::vector<FileEntry> list;
  if (folder != "/") list.push_back({"..", true});
  list.insert(list.end(), folders.begin(), folders.end());
  list.insert(list.end(), files.begin(), files.end());
  return list;
}

std::vector<std::string> FilterExtensions(const char16_t* filter) {
  std::vector<std::string> extensions;
  if (filter == nullptr) return extensions;
  // Name, patterns, name, patterns, ... up to an empty text.
  for (bool is_pattern = false; *filter != 0; is_pattern = !is_pattern) {
    std::u16string_view text(filter);
    filter += text.size() + 1;
    if (!is_pattern) continue;
    std::string pattern;
    for (char16_t c : text) {
      if (c == u';') {
        if (pattern.rfind("*.", 0) == 0) extensions.push_back(lower(pattern.substr(1)));
        pattern.clear();
      } else if (c < 0x80) {
        pattern += static_cast<char>(c);
      }
    }
    if (pattern.rfind("*.", 0) == 0) extensions.push_back(lower(pattern.substr(1)));
  }
  return extensions;
}

std::string ParentFolder(const std::string& folder) {
  std::size_t slash = folder.find_last_of('/');
  if (slash == std::string::npos || slash == 0) return "/";
  return folder.substr(0, slash);
}

std::string JoinPath(const std::string& folder, const std::string& name) {
  if (!folder.empty() && folder.back() == '/') return folder + name;
  return folder + "/" + name;
}

std::string DialogStartFolder(const char* last_file) {
  if (last_file != nullptr && last_file[0] == '/') {
    std::string folder = ParentFolder(last_file);
    if (is_folder(folder)) return folder;
  }
  const char* home = std::getenv("HOME");
  if (home != nullptr && home[0] == '/' && is_folder(home)) {
    std::string folder = home;
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    return folder;
  }
  return "/";
}

int CFileDialog::Run(const std::u16string& title, const std::string& start_folder,
                     std::vector<std::string> extensions, std::string& chosen) {
  wanted_extensions = std::move(extensions);
  result = -1;
  message.clear();
  RegisterWndClass();  // already there when the shell runs
  if (!InitBasic()) return 0;
  params->title = title;
  params->x = 0;
  params->y = 0;
  params->width = system_metric(Metric::SCREEN_WIDTH);
  params->height = system_metric(Metric::SCREEN_HEIGHT);
  if (!Create()) return 0;
  EnterFolder(start_folder);
  set_focus(hwnd);
  while (result < 0 && !quit_requested()) {
    pump_cycle();
    if (result < 0 && current_backend() != nullptr) current_backend()->idle();
  }
  if (hwnd != NO_WINDOW) Release();
  menu_bar.Destroy();
  if (result == 1) chosen = chosen_path;
  return result == 1 ? 1 : 0;
}

LResult CFileDialog::OnCreate(WParam, LParam) {
  mitem_cancel.SetText(u"取消");
  mitem_open.SetText(u"确定");
  if (!menu_bar.Create()) return 0;
  menu_bar.AppendItem(&mitem_cancel);
  menu_bar.AppendItem(&mitem_open);
  CreateMenuBar(&menu_bar);
  return 1;
}

int CFileDialog::VisibleRows() const {
  Rect client = client_rect(hwnd);
  return std::max(1, (client.height() - ROW_HEIGHT) / ROW_HEIGHT - (message.empty() ? 0 : 1));
}

void CFileDialog::EnterFolder(const std::string& path) {
  folder = path;
  entries = ListFolder(folder, wanted_extensions);
  selected = 0;
  first_visible = 0;
  message.clear();
  invalidate_window(hwnd);
}

void CFileDialog::Select(int index) {
  if (entries.empty()) return;
  selected = std::clamp(index, 0, static_cast<int>(entries.size()) - 1);
  int rows = VisibleRows();
  if (selected < first_visible) first_visible = selected;
  if (selected >= first_visible + rows) first_visible = selected - rows + 1;
  invalidate_window(hwnd);
}

void CFileDialog::OpenEntry(int index) {
  if (index < 0 || index >= static_cast<int>(entries.size())) return;
  const FileEntry& entry = entries[static_cast<std::size_t>(index)];
  if (entry.name == "..") {
    EnterFolder(ParentFolder(folder));
    return;
  }
  std::string path = JoinPath(folder, entry.name);
  if (entry.is_folder) {
    EnterFolder(path);
    return;
  }
  // Cutting the path would open another file, or none: the player is told instead.
  if (static_cast<int>(GbTextToUnicode(path).size()) + 1 > max_path_units) {
    message = TOO_LONG_MESSAGE;
    invalidate_window(hwnd);
    return;
  }
  chosen_path = path;
  Finish(1);
}

void CFileDialog::Finish(int value) { result = value; }

LResult CFileDialog::OnPaint(WParam, LParam) {
  Canvas canvas = begin_paint(hwnd);
  Rect client = client_rect(hwnd);
  canvas.fill(client, color::WHITE);
  canvas.fill({0, 0, client.right, ROW_HEIGHT}, color::FACE);
  canvas.text(TEXT_INDENT, 1, GbTextToUnicode(folder), color::BLACK);
  int rows = VisibleRows();
  for (int row = 0; row < rows; ++row) {
    int index = first_visible + row;
    if (index >= static_cast<int>(entries.size())) break;
    const FileEntry& entry = entries[static_cast<std::size_t>(index)];
    int y = ROW_HEIGHT * (row + 1);
    bool lit = index == selected;
    if (lit) canvas.fill({0, y, client.right, y + ROW_HEIGHT}, color::HIGHLIGHT);
    std::u16string text = GbTextToUnicode(entry.name);
    if (entry.is_folder && entry.name != "..") text += u"/";
    canvas.text(TEXT_INDENT, y + 1, text, lit ? color::HIGHLIGHT_TEXT : color::BLACK);
  }
  if (!message.empty()) {
    int y = client.bottom - ROW_HEIGHT;
    canvas.fill({0, y, client.right, client.bottom}, color::FACE);
    canvas.text(TEXT_INDENT, y + 1, message, color::BLACK);
  }
  end_paint(hwnd);
  return 1;
}

LResult CFileDialog::OnKeyDown(WParam wparam, LParam) {
  switch (wparam) {
    case vk::UP: Select(selected - 1); break;
    case vk::DOWN: Select(selected + 1); break;
    case vk::PRIOR: Select(selected - VisibleRows()); break;
    case vk::NEXT: Select(selected + VisibleRows()); break;
    case vk::RETURN: OpenEntry(selected); break;
    case vk::BACK: EnterFolder(ParentFolder(folder)); break;
    case vk::ESCAPE: Finish(0); break;
    default: break;
  }
  return 1;
}

LResult CFileDialog::OnLButtonDown(WParam, LParam lparam) {
  Point p = point_from_param(lparam);
  int row = p.y / ROW_HEIGHT - 1;
  if (row < 0 || row >= VisibleRows()) return 1;
  int index = first_visible + row;
  if (index >= static_cast<int>(entries.size())) return 1;
  Select(index);
  OpenEntry(index);
  return 1;
}

LResult CFileDialog::OnCommand(WParam wparam, LParam) {
  if (mitem_cancel.IsMyCommand(wparam)) Finish(0);
  if (mitem_open.IsMyCommand(wparam)) OpenEntry(selected);
  return 1;
}

LResult CFileDialog::OnClose(WParam, LParam) {
  Finish(0);
  return 1;
}
