#include "frontend/game_files.h"

#include <ctime>

#include "frontend/mem.h"

bool MakeGameFileName(const std::string& rom_path, const std::string& save_dir,
                      const std::string& suffix, std::string& out) {
  out.clear();
  CMemStack prefix;
  constexpr int FOLDER_AND_NAME = 4 | 1;
  constexpr int NAME_ONLY = 1;
  if (!SplitPath(rom_path.c_str(), &prefix, save_dir.empty() ? FOLDER_AND_NAME : NAME_ONLY) ||
      prefix.CStr()[0] == '\0') {
    return false;
  }
  if (!save_dir.empty()) {
    out = save_dir;
    if (out.back() != '/') out.push_back('/');
  }
  out += prefix.CStr();
  out += suffix;
  return true;
}

std::string ScreenshotSuffix(long long seconds) {
  std::time_t when = static_cast<std::time_t>(seconds);
  std::tm local{};
  localtime_r(&when, &local);
  char buffer[32];
  std::strftime(buffer, sizeof buffer, "-%Y%m%d-%H%M%S.png", &local);
  return buffer;
}
