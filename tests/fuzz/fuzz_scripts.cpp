// The --keys and --ui-script files: mutated real scripts and random text. A key script is run by
// the orvane program for 30 frames: it must either run to the end (status 0) or be refused
// before the run (status 2) naming the same line the parser names, a line the text has. A UI
// script is parsed as the program parses it: accepted, or refused naming a line the text has.
// (UI scripts are not run: a mutated one may photograph to any path or open the help page.)
//
//   fuzz_scripts SEED COUNT [--keep DIR] [--only N] keys ORVANE CARTRIDGE
//   fuzz_scripts SEED COUNT [--keep DIR] [--only N] ui

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/key_script.h"
#include "platform/ui_script.h"
#include "tests/fuzz/child_run.h"
#include "tests/fuzz/fuzz_driver.h"

namespace {

constexpr double HANG_SECONDS = 120;

Bytes bytes_of(const std::string& text) { return Bytes(text.begin(), text.end()); }

std::vector<Bytes> key_corpus() {
  return {bytes_of("# hold A and Start, then walk\n10 A START\n20\n30 right up\n45 L R b\n"),
          bytes_of("0 SELECT\r\n5 DOWN LEFT\r\n6\r\n"), bytes_of("1 a\n2 b\n3 select\n")};
}

std::vector<Bytes> ui_corpus() {
  return {bytes_of("# popup, choose, photograph\nwait 3\nkey 0x70\nkey 13\nshot out.png\n"),
          bytes_of("tap 10 20\ndown 5 5\nup 6 6\nkeydown 37\nkeyup 37\nwait 10\nquit\n")};
}

// The line a refusal names ("line N: why"), or 0 when it names none.
long named_line(const std::string& error) {
  std::size_t at = error.find("line ");
  if (at == std::string::npos) return 0;
  return std::strtol(error.c_str() + at + 5, nullptr, 10);
}

long line_count(const std::string& text) {
  return static_cast<long>(std::count(text.begin(), text.end(), '\n')) + 1;
}

// A refusal names a line the text has, in one line of printable text.
std::string check_named_line(const std::string& text, const std::string& error) {
  long line = named_line(error);
  if (line < 1 || line > line_count(text))
    return "refused without naming a line of the text: " + error;
  for (char c : error) {
    if (c < 0x20 || c > 0x7E) return "a refusal with unprintable bytes in it";
  }
  return "";
}

std::string check_ui(const std::string& text) {
  std::vector<ScriptCommand> commands;
  std::string error;
  if (parse_ui_script(text, 240, 320, commands, error)) return "";
  return check_named_line(text, error);
}

std::string check_keys(const std::string& text, const std::string& orvane, const std::string& rom,
                       const std::string& file) {
  std::vector<KeyEvent> events;
  std::string error;
  bool accepted = parse_key_script(text, events, error);
  if (!accepted) {
    std::string failure = check_named_line(text, error);
    if (!failure.empty()) return failure;
  }
  FILE* out = std::fopen(file.c_str(), "wb");
  if (out == nullptr) return "cannot write the script";
  std::fwrite(text.data(), 1, text.size(), out);
  std::fclose(out);
  ChildResult result =
      run_child({orvane, "--headless", "--frames", "30", "--keys", file, rom}, HANG_SECONDS);
  std::string run = describe(result) + ": " + result.output.substr(0, 300);
  if (accepted && !(result.exited && result.status == 0)) return "accepted, but the run " + run;
  if (!accepted &&
      !(result.exited && result.status == 2 && result.output.find(error) != std::string::npos)) {
    return "refused with \"" + error + "\", but the run " + run;
  }
  return "";
}

}  // namespace

int main(int argc, char** argv) {
  FuzzOptions options;
  if (!parse_fuzz_options(argc, argv, options)) return 2;
  const std::vector<std::string>& args = options.arguments;
  bool keys = args.size() == 3 && args[0] == "keys";
  if (!keys && !(args.size() == 1 && args[0] == "ui")) {
    std::fprintf(stderr, "%s: needs 'keys ORVANE CARTRIDGE' or 'ui'\n", argv[0]);
    return 2;
  }
  options.target += keys ? "-keys" : "-ui";
  std::string file = options.keep_dir + "/script-" + std::to_string(getpid()) + ".txt";
  int status = run_fuzz(options, keys ? key_corpus() : ui_corpus(), 8,
                        [&](const Bytes& input, std::uint64_t) {
                          std::string text(input.begin(), input.end());
                          return keys ? check_keys(text, args[1], args[2], file) : check_ui(text);
                        });
  std::remove(file.c_str());
  return status;
}
