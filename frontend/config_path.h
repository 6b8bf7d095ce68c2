#pragma once
// Where the configuration file lives and the two calls the shell makes around it:
// `$XDG_CONFIG_HOME/orvane/orvane.ini`, `$HOME/.config/orvane/orvane.ini` when XDG_CONFIG_HOME is
// unset, empty or not absolute, or the file given with `--config FILE`.

#include <cstddef>

constexpr std::size_t CONFIG_PATH_MAX = 4096;  // including the terminating NUL

// Writes the path into `out`. `config_option` is the `--config` argument (null or empty: none).
// Returns 0 when no path can be built (no usable XDG_CONFIG_HOME nor HOME, or too long).
int GetConfigPath(const char* config_option, char* out, std::size_t out_size);

// Creates the folders of `path` that are missing (mode 0700, as XDG asks for its folders).
// Returns 1 when they all exist afterwards, or 0 with errno set.
int MakeParentFolders(const char* path);

// Start-up: reads the file into g_config and copies g_config into g_saved_config. A file that
// does not exist yet leaves the defaults without a report; an unreadable one is reported.
// Returns 1 when the file was read.
int LoadConfiguration(const char* config_option);

// Exit: when g_config differs from g_saved_config, writes the file (creating its folder the first
// time) and copies g_config into g_saved_config. Returns 1 when nothing had to be written or the
// write succeeded; 0 when it failed (the old file stays and the failure is reported).
int SaveConfigurationIfChanged(const char* config_option);
