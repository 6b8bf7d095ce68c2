#include "app/key_script.h"

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <sstream>

#include "core/io/keypad.h"
#include "core/regular_file.h"
#include "platform/number_text.h"
#include "platform/quoted_word.h"

namespace {

constexpr std::uint64_t MAX_FRAME = 100'000'000;

struct ButtonName {
  const char* name;
  std::uint32_t bit;
};
constexpr ButtonName BUTTON_NAMES[] = {
    {"A", BUTTON_A},         {"B", BUTTON_B},         {"SELECT", BUTTON_SELECT},
    {"START", BUTTON_START}, {"RIGHT", BUTTON_RIGHT}, {"LEFT", BUTTON_LEFT},
    {"UP", BUTTON_UP},       {"DOWN", BUTTON_DOWN},   {"R", BUTTON_R},
    {"L", BUTTON_L},
};

std::uint32_t button_bit(std::string word) {
  for (char& c : word) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  for (const ButtonName& b : BUTTON_NAMES) {
    if (word == b.name) return b.bit;
  }
  return 0;
}

// Plain decimal digits only, at most MAX_FRAME.
bool parse_frame(const std::string& word, std::uint32_t& frame) {
  std::uint64_t value = 0;
  if (!parse_decimal_number(word, MAX_FRAME, value)) return false;
  frame = static_cast<std::uint32_t>(value);
  return true;
}

// Returns "" for a good line (or a blank one, `has_event` false), else why it is refused.
std::string parse_line(std::string line, KeyEvent& event, bool& has_event) {
  line = line.substr(0, line.find('#'));
  std::istringstream words(line);
  std::string word;
  has_event = false;
  if (!(words >> word)) return "";
  if (!parse_frame(word, event.frame)) {
    return quoted_word(word) + " is not a frame number from 0 to 100000000";
  }
  event.buttons = 0;
  while (words >> word) {
    std::uint32_t bit = button_bit(word);
    if (bit == 0)
      return quoted_word(word) + " is not a button (A B SELECT START RIGHT LEFT UP DOWN R L)";
    event.buttons |= bit;
  }
  has_event = true;
  return "";
}

}  // namespace

bool parse_key_script(const std::string& text, std::vector<KeyEvent>& events, std::string& error) {
  std::istringstream lines(text);
  std::string line;
  events.clear();
  for (unsigned number = 1; std::getline(lines, line); ++number) {
    KeyEvent event{};
    bool has_event = false;
    std::string why = parse_line(line, event, has_event);
    if (why.empty() && has_event && !events.empty() && event.frame <= events.back().frame) {
      why = "frame " + std::to_string(event.frame) + " does not come after frame " +
            std::to_string(events.back().frame);
    }
    if (!why.empty()) {
      error = "line " + std::to_string(number) + ": " + why;
      return false;
    }
    if (has_event) events.push_back(event);
  }
  return true;
}

bool read_key_script(const char* path, std::vector<KeyEvent>& events, std::string& error) {
  std::FILE* file = open_regular_file(path);
  std::string text;
  bool read = file != nullptr;
  if (read) {
    char chunk[4096];
    while (std::size_t got = std::fread(chunk, 1, sizeof chunk, file)) text.append(chunk, got);
    read = std::ferror(file) == 0;
    std::fclose(file);
  }
  if (!read) {
    error =
        std::string("--keys ") + path + ": cannot be read (" + regular_file_error_text(errno) + ")";
    return false;
  }
  std::string why;
  if (parse_key_script(text, events, why)) return true;
  error = std::string("--keys ") + path + ": " + why;
  return false;
}
