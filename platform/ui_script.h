#pragma once
// Scripts that drive the window system, one command a line ('#' starts a comment):
//   wait N            N message-pump cycles
//   tap X Y           stylus down and up at device pixel (X, Y); down X Y and up X Y separately
//   key VK            key down and up; keydown VK and keyup VK separately (decimal or 0x hex)
//   shot FILE.png     the device screen as PNG
//   quit              close the main window
// A command is taken at the pump cycle after the previous one finished; after the last command
// the main window is closed as quit does.

#include <string>
#include <vector>

#include "platform/window_system.h"

struct ScriptCommand {
  enum class Kind { WAIT, TAP, DOWN, UP, KEY, KEY_DOWN, KEY_UP, SHOT, QUIT } kind = Kind::WAIT;
  unsigned a = 0;  // cycles, x or the key
  unsigned b = 0;  // y
  std::string path;
  int line = 0;
};

constexpr unsigned MAX_WAIT_CYCLES = 100'000'000;

// Reads a whole script for a device screen of the given size; on the first bad line returns false
// with "line N: reason" in `error`.
bool parse_ui_script(const std::string& text, int screen_width, int screen_height,
                     std::vector<ScriptCommand>& commands, std::string& error);
bool load_ui_script(const std::string& path, int screen_width, int screen_height,
                    std::vector<ScriptCommand>& commands, std::string& error);

// Plays a script into the open window system through its back end, one step per pump cycle.
class ScriptPlayer : public CycleInput {
 public:
  explicit ScriptPlayer(std::vector<ScriptCommand> commands) : commands_(std::move(commands)) {}
  void start_cycle() override;
  bool finished() const { return finished_; }
  // Empty unless a command failed (a picture that could not be written); the script then stops.
  const std::string& failure() const { return failure_; }

 private:
  void run(const ScriptCommand& command);
  void finish();

  std::vector<ScriptCommand> commands_;
  std::size_t next_ = 0;
  unsigned waiting_ = 0;
  bool finished_ = false;
  std::string failure_;
};
