#include "frontend/config_path.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "frontend/assertion.h"
#include "frontend/gbaconfig.h"

int GetConfigPath(const char* config_option, char* out, std::size_t out_size) {
  ORVANE_CHECK(out && out_size > 0, 0);
  out[0] = '\0';
  int length = -1;
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  const char* home = std::getenv("HOME");
  if (config_option != nullptr && config_option[0] != '\0') {
    length = std::snprintf(out, out_size, "%s", config_option);
  } else if (xdg != nullptr && xdg[0] == '/') {
    length = std::snprintf(out, out_size, "%s/orvane/orvane.ini", xdg);
  } else if (home != nullptr && home[0] != '\0') {
    length = std::snprintf(out, out_size, "%s/.config/orvane/orvane.ini", home);
  } else {
    return 0;
  }
  if (length < 0 || static_cast<std::size_t>(length) >= out_size) {
    out[0] = '\0';
    return 0;
  }
  return 1;
}

int MakeParentFolders(const char* path) {
  ORVANE_CHECK(path, 0);
  char folder[CONFIG_PATH_MAX];
  std::size_t length = std::strlen(path);
  if (length >= sizeof folder) {
    errno = ENAMETOOLONG;
    return 0;
  }
  std::memcpy(folder, path, length + 1);
  char* slash = std::strrchr(folder, '/');
  if (slash == nullptr || slash == folder) return 1;  // the current folder or the root
  *slash = '\0';
  // Each prefix in turn, from the top.
  for (char* at = folder + 1;; at++) {
    if (*at != '/' && *at != '\0') continue;
    char kept = *at;
    *at = '\0';
    if (mkdir(folder, 0700) != 0 && errno != EEXIST) return 0;
    *at = kept;
    if (kept == '\0') break;
  }
  struct stat info {};
  if (stat(folder, &info) != 0) return 0;
  if (!S_ISDIR(info.st_mode)) {
    errno = ENOTDIR;
    return 0;
  }
  return 1;
}

int LoadConfiguration(const char* config_option) {
  char path[CONFIG_PATH_MAX];
  int loaded = 0;
  if (GetConfigPath(config_option, path, sizeof path)) {
    struct stat info {};
    // A first start has no file yet: that is not worth a report.
    if (stat(path, &info) == 0 || errno != ENOENT) loaded = g_config.LoadFromFile(path);
  }
  g_saved_config.CopyFrom(&g_config);
  return loaded;
}

int SaveConfigurationIfChanged(const char* config_option) {
  if (!g_config.Differs(&g_saved_config)) return 1;
  char path[CONFIG_PATH_MAX];
  if (!GetConfigPath(config_option, path, sizeof path)) {
    debug_output(
        "No place for the configuration file: neither XDG_CONFIG_HOME nor HOME is "
        "set\r\n");
    return 0;
  }
  if (!g_config.SaveToFile(path)) return 0;
  g_saved_config.CopyFrom(&g_config);
  return 1;
}
