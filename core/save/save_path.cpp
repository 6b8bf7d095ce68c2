#include "core/save/save_path.h"

#include <algorithm>
#include <string_view>

namespace {

constexpr std::string_view SAVE_EXTENSION = ".sav";

// The name after the last slash, without its extension. A leading dot starts a name, not an
// extension, so ".gba" keeps its whole name.
std::string_view stem_of(std::string_view path) {
  std::size_t slash = path.rfind('/');
  std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
  std::size_t dot = name.rfind('.');
  if (dot != std::string_view::npos && dot > 0) name = name.substr(0, dot);
  return name;
}

// The cartridge's folder with its trailing slash, or nothing for a bare name.
std::string_view folder_of(std::string_view path) {
  std::size_t slash = path.rfind('/');
  return slash == std::string_view::npos ? std::string_view{} : path.substr(0, slash + 1);
}

}  // namespace

int make_save_path(const char* rom_path, const char* save_dir, char* out, std::size_t out_size) {
  if (rom_path == nullptr || out == nullptr || out_size == 0) return 0;
  std::string_view stem = stem_of(rom_path);
  if (stem.empty()) return 0;
  std::string_view folder = folder_of(rom_path);
  std::string_view separator;
  if (save_dir != nullptr && save_dir[0] != '\0') {
    folder = save_dir;
    if (folder.back() != '/') separator = "/";
  }
  std::size_t length = folder.size() + separator.size() + stem.size() + SAVE_EXTENSION.size();
  if (length + 1 > out_size) return 0;
  char* end = out;
  for (std::string_view part : {folder, separator, stem, SAVE_EXTENSION}) {
    end = std::copy(part.begin(), part.end(), end);  // an empty part may have no data at all
  }
  *end = '\0';
  return 1;
}
