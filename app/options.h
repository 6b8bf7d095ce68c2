#pragma once
// The orvane command line.

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "app/key_script.h"

struct MemoryDump {
  std::uint32_t address;
  std::uint32_t length;
};

enum class Command { HELP, INFO, HEADLESS, UI };

struct Options {
  Command command = Command::HELP;
  std::string rom_path;
  std::uint32_t frames = 0;
  bool stats = false;
  bool regs = false;
  std::vector<MemoryDump> dumps;
  std::string save_dir;         // empty: the save file lies beside the cartridge
  std::string screenshot_path;  // empty: no picture; else the PNG of the last frame
  std::string audio_path;       // empty: no sound; else the WAV file the sound goes to
  std::string save_state_path;  // empty: no snapshot; else written after `save_at_frame` frames
  std::uint32_t save_at_frame = 0;
  std::string load_state_path;  // empty: the game starts afresh; else it resumes from this snapshot
  std::string ui_script_path;   // with Command::UI: the script that drives the window system
  bool ui_headless = false;     // with Command::UI: no display
  std::string config_path;      // --config FILE; empty: $XDG_CONFIG_HOME/orvane/orvane.ini
  bool language_given = false;  // --lang zh|en; else the locale decides
  bool english = false;
  int device_width = 240;
  int device_height = 320;
  int zoom = 2;
  std::vector<KeyEvent> key_events;  // --keys FILE: buttons held from given frames on
};

// Fills `options` from argv. On a bad command line returns false with the reason in `error`.
bool parse_options(int argc, char** argv, Options& options, std::string& error);

void print_usage(std::FILE* out);
