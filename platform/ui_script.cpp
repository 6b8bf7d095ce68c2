#include "platform/ui_script.h"

#include <fstream>
#include <sstream>

#include "platform/backend.h"
#include "platform/input.h"
#include "platform/number_text.h"
#include "platform/png_file.h"
#include "platform/quoted_word.h"

namespace {

// Numbers as the command line reads them: decimal or 0x hexadecimal, a leading 0 not octal.
bool parse_unsigned(const std::string& text, unsigned long limit, unsigned& value) {
  std::uint64_t parsed = 0;
  if (!parse_whole_number(text, limit, parsed)) return false;
  value = static_cast<unsigned>(parsed);
  return true;
}

struct LineParser {
  std::vector<std::string> words;
  int width, height;
  std::string& error;

  bool fail(const std::string& why) {
    error = why;
    return false;
  }

  bool point(ScriptCommand& c) {
    if (words.size() != 3) return fail(words[0] + " needs X and Y");
    if (!parse_unsigned(words[1], static_cast<unsigned long>(width - 1), c.a) ||
        !parse_unsigned(words[2], static_cast<unsigned long>(height - 1), c.b)) {
      return fail(words[0] + " needs a point on the " + std::to_string(width) + " x " +
                  std::to_string(height) + " screen");
    }
    return true;
  }

  bool key(ScriptCommand& c) {
    if (words.size() != 2 || !parse_unsigned(words[1], 255, c.a) || c.a == 0) {
      return fail(words[0] + " needs one virtual-key code from 1 to 255 (decimal or 0x hex)");
    }
    return true;
  }

  bool parse(ScriptCommand& c) {
    using Kind = ScriptCommand::Kind;
    const std::string& name = words[0];
    if (name == "wait") {
      c.kind = Kind::WAIT;
      if (words.size() != 2 || !parse_unsigned(words[1], MAX_WAIT_CYCLES, c.a)) {
        return fail("wait needs a number of cycles from 0 to 100000000");
      }
      return true;
    }
    if (name == "tap" || name == "down" || name == "up") {
      c.kind = name == "tap" ? Kind::TAP : name == "down" ? Kind::DOWN : Kind::UP;
      return point(c);
    }
    if (name == "key" || name == "keydown" || name == "keyup") {
      c.kind = name == "key" ? Kind::KEY : name == "keydown" ? Kind::KEY_DOWN : Kind::KEY_UP;
      return key(c);
    }
    if (name == "shot") {
      c.kind = Kind::SHOT;
      if (words.size() != 2) return fail("shot needs one file name (without spaces)");
      c.path = words[1];
      return true;
    }
    if (name == "quit") {
      c.kind = Kind::QUIT;
      return words.size() == 1 || fail("quit takes nothing after it");
    }
    return fail("unknown command " + quoted_word(name));
  }
};

std::vector<std::string> words_of(const std::string& line) {
  std::string text = line.substr(0, line.find('#'));
  std::istringstream in(text);
  std::vector<std::string> words;
  for (std::string word; in >> word;) words.push_back(word);
  return words;
}

}  // namespace

bool parse_ui_script(const std::string& text, int screen_width, int screen_height,
                     std::vector<ScriptCommand>& commands, std::string& error) {
  std::istringstream in(text);
  std::vector<ScriptCommand> parsed;
  int number = 0;
  for (std::string line; std::getline(in, line);) {
    ++number;
    std::string reason;
    LineParser parser{words_of(line), screen_width, screen_height, reason};
    if (parser.words.empty()) continue;
    ScriptCommand command;
    command.line = number;
    if (!parser.parse(command)) {
      error = "line " + std::to_string(number) + ": " + reason;
      return false;
    }
    parsed.push_back(std::move(command));
  }
  commands = std::move(parsed);
  return true;
}

bool load_ui_script(const std::string& path, int screen_width, int screen_height,
                    std::vector<ScriptCommand>& commands, std::string& error) {
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    error = path + ": cannot be read";
    return false;
  }
  std::ostringstream text;
  text << file.rdbuf();
  if (!parse_ui_script(text.str(), screen_width, screen_height, commands, error)) {
    error = path + ": " + error;
    return false;
  }
  return true;
}

void ScriptPlayer::start_cycle() {
  if (finished_) return;
  if (waiting_ > 0) {
    --waiting_;
    return;
  }
  while (next_ < commands_.size()) {
    const ScriptCommand& command = commands_[next_++];
    if (command.kind == ScriptCommand::Kind::WAIT) {
      waiting_ = command.a;
      if (waiting_ == 0) continue;
      --waiting_;  // this cycle is the first one waited
      return;
    }
    run(command);
    return;
  }
  finish();
}

void ScriptPlayer::finish() {
  finished_ = true;
  input_close_requested();
  request_quit();
}

void ScriptPlayer::run(const ScriptCommand& command) {
  Backend* backend = current_backend();
  using Kind = ScriptCommand::Kind;
  int x = static_cast<int>(command.a), y = static_cast<int>(command.b);
  switch (command.kind) {
    case Kind::TAP:
      backend->feed_stylus_down(x, y);
      backend->feed_stylus_up(x, y);
      break;
    case Kind::DOWN: backend->feed_stylus_down(x, y); break;
    case Kind::UP: backend->feed_stylus_up(x, y); break;
    case Kind::KEY:
      backend->feed_key_down(command.a);
      backend->feed_key_up(command.a);
      break;
    case Kind::KEY_DOWN: backend->feed_key_down(command.a); break;
    case Kind::KEY_UP: backend->feed_key_up(command.a); break;
    case Kind::SHOT:
      update_screen();
      if (!write_png(command.path.c_str(), screen())) {
        failure_ = "line " + std::to_string(command.line) + ": cannot write " + command.path;
        finish();
      }
      break;
    case Kind::QUIT: finish(); break;
    case Kind::WAIT: break;
  }
}
