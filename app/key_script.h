#pragma once
// Key scripts for headless runs (--keys FILE): one event a line, the frame number and the buttons
// held from that frame on, by name and in any case (A B SELECT START RIGHT LEFT UP DOWN R L); a
// frame number alone releases all. `#` starts a comment; frames rise from line to line. Frame N
// is the one that starts after N frames have run.

#include <cstdint>
#include <string>
#include <vector>

struct KeyEvent {
  std::uint32_t frame;
  std::uint32_t buttons;  // Button bits of core/io/keypad.h
};

// Parses `text`. On a bad line returns false with "line N: why" in `error`.
bool parse_key_script(const std::string& text, std::vector<KeyEvent>& events, std::string& error);

// Reads and parses the file at `path`; errors name the file.
bool read_key_script(const char* path, std::vector<KeyEvent>& events, std::string& error);
