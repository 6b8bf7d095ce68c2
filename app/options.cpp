#include "app/options.h"

#include <cstdlib>
#include <cstring>
#include <set>

#include "platform/number_text.h"

namespace {

constexpr std::uint32_t MAX_FRAMES = 100'000'000;
constexpr std::uint64_t ADDRESS_SPACE = 0x100000000;

// A whole number in decimal, or hexadecimal with 0x.
bool parse_number(const char* text, std::uint64_t& value) {
  return parse_whole_number(text, UINT64_MAX, value);
}

// A count: plain decimal digits only.
bool parse_decimal(const char* text, std::uint64_t& value) {
  return parse_decimal_number(text, UINT64_MAX, value);
}

// ADDR:LEN; ADDR is hexadecimal with or without 0x, LEN decimal or 0x-hexadecimal.
bool parse_dump(const char* text, MemoryDump& dump) {
  const char* colon = std::strchr(text, ':');
  if (colon == nullptr) return false;
  std::string address_text(text, colon);
  if (address_text.rfind("0x", 0) != 0 && address_text.rfind("0X", 0) != 0) {
    address_text = "0x" + address_text;
  }
  std::uint64_t address = 0;
  std::uint64_t length = 0;
  if (!parse_number(address_text.c_str(), address) || !parse_number(colon + 1, length))
    return false;
  if (address >= ADDRESS_SPACE || length == 0 || address + length > ADDRESS_SPACE) return false;
  dump = {static_cast<std::uint32_t>(address), static_cast<std::uint32_t>(length)};
  return true;
}

struct Parser {
  int argc;
  char** argv;
  int index;
  Options& options;
  std::string& error;

  bool fail(const std::string& why) {
    error = why;
    return false;
  }

  // The value that follows the current option.
  const char* next_value() { return index + 1 < argc ? argv[++index] : nullptr; }

  bool frame_count(std::uint32_t& frames, const char* option) {
    const char* text = next_value();
    std::uint64_t count = 0;
    if (text == nullptr || !parse_decimal(text, count) || count == 0 || count > MAX_FRAMES) {
      return fail(std::string(option) + " needs a number of frames from 1 to 100000000");
    }
    frames = static_cast<std::uint32_t>(count);
    return true;
  }

  // A non-empty value for `option`: a file name, or what `what` says.
  const char* name_value(const char* option, const char* what = "a file name") {
    const char* text = next_value();
    if (text != nullptr && text[0] != '\0') return text;
    fail(std::string(option) + " needs " + what);
    return nullptr;
  }

  bool name(std::string& value, const char* option, const char* what = "a file name") {
    const char* text = name_value(option, what);
    if (text == nullptr) return false;
    value = text;
    return true;
  }

  bool dump() {
    const char* text = next_value();
    MemoryDump range{};
    if (text == nullptr || !parse_dump(text, range)) {
      return fail(
          "--dump needs ADDR:LEN, a hexadecimal address and a length above 0 that stay "
          "below 0x100000000");
    }
    options.dumps.push_back(range);
    return true;
  }

  bool keys() {
    const char* text = name_value("--keys");
    return text != nullptr && read_key_script(text, options.key_events, error);
  }

  bool device() {
    const char* text = next_value();
    const char* x = text != nullptr ? std::strchr(text, 'x') : nullptr;
    std::uint64_t width = 0, height = 0;
    if (x == nullptr || !parse_decimal(std::string(text, x).c_str(), width) ||
        !parse_decimal(x + 1, height) || width < 160 || height < 160 || width > 2048 ||
        height > 2048) {
      return fail("--device needs WxH, each side from 160 to 2048 pixels (e.g. 480x640)");
    }
    options.device_width = static_cast<int>(width);
    options.device_height = static_cast<int>(height);
    return true;
  }

  bool zoom() {
    const char* text = next_value();
    std::uint64_t value = 0;
    if (text == nullptr || !parse_decimal(text, value) || value == 0 || value > 8) {
      return fail("--zoom needs a whole number from 1 to 8");
    }
    options.zoom = static_cast<int>(value);
    return true;
  }

  bool lang() {
    const char* text = next_value();
    if (text == nullptr || (std::strcmp(text, "zh") != 0 && std::strcmp(text, "en") != 0)) {
      return fail("--lang needs zh or en");
    }
    options.language_given = true;
    options.english = std::strcmp(text, "en") == 0;
    return true;
  }

  // The program a person uses: the main window, with the cartridge started at once when one is
  // given; driven by a script (headless when asked) with --ui-script.
  bool ui_run() {
    if (options.command == Command::INFO)
      return fail("--info shows a cartridge; it opens no window");
    options.ui_headless = options.command == Command::HEADLESS;
    options.command = Command::UI;
    return true;
  }

  bool rom(const char* text) {
    if (!options.rom_path.empty()) return fail(std::string("more than one cartridge: ") + text);
    options.rom_path = text;
    return true;
  }

  bool help = false;
  bool mode_chosen = false;

  bool mode(Command command) {
    if (mode_chosen && options.command != command) {
      return fail("--headless and --info exclude each other");
    }
    options.command = command;
    mode_chosen = true;
    return true;
  }

  // Every option but --dump stands once: a second value would silently replace the first.
  std::set<std::string> seen{};

  bool first_time(const char* arg) {
    if (arg[0] != '-' || std::strcmp(arg, "--dump") == 0) return true;
    if (seen.insert(arg).second) return true;
    return fail(std::string(arg) + " is given more than once");
  }

  bool one(const char* arg) {
    if (!first_time(arg)) return false;
    if (std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0) return help = true;
    if (std::strcmp(arg, "--headless") == 0) return mode(Command::HEADLESS);
    if (std::strcmp(arg, "--info") == 0) return mode(Command::INFO);
    if (std::strcmp(arg, "--frames") == 0) return frame_count(options.frames, arg);
    if (std::strcmp(arg, "--dump") == 0) return dump();
    if (std::strcmp(arg, "--save-dir") == 0) return name(options.save_dir, arg, "a folder");
    if (std::strcmp(arg, "--screenshot") == 0) return name(options.screenshot_path, arg);
    if (std::strcmp(arg, "--audio") == 0) return name(options.audio_path, arg);
    if (std::strcmp(arg, "--keys") == 0) return keys();
    if (std::strcmp(arg, "--save-state") == 0) return name(options.save_state_path, arg);
    if (std::strcmp(arg, "--load-state") == 0) return name(options.load_state_path, arg);
    if (std::strcmp(arg, "--at-frame") == 0) return frame_count(options.save_at_frame, arg);
    if (std::strcmp(arg, "--ui-script") == 0) return name(options.ui_script_path, arg);
    if (std::strcmp(arg, "--device") == 0) return device();
    if (std::strcmp(arg, "--zoom") == 0) return zoom();
    if (std::strcmp(arg, "--config") == 0) return name(options.config_path, arg);
    if (std::strcmp(arg, "--lang") == 0) return lang();
    if (std::strcmp(arg, "--stats") == 0) return options.stats = true;
    if (std::strcmp(arg, "--regs") == 0) return options.regs = true;
    if (arg[0] == '-' && arg[1] != '\0') return fail(std::string("unknown option ") + arg);
    return rom(arg);
  }

  bool complete() {
    if (help) {
      options.command = Command::HELP;
      return true;
    }
    if (!options.ui_script_path.empty() || !mode_chosen) return ui_run();
    if (options.rom_path.empty()) return fail("no cartridge given");
    if (options.command == Command::HEADLESS && options.frames == 0) {
      return fail("--headless needs --frames N");
    }
    if (options.save_state_path.empty() != (options.save_at_frame == 0)) {
      return fail("--save-state FILE and --at-frame N go together");
    }
    if (options.save_at_frame > options.frames) {
      return fail("--at-frame must not be beyond --frames");
    }
    return true;
  }
};

}  // namespace

bool parse_options(int argc, char** argv, Options& options, std::string& error) {
  Parser parser{argc, argv, 1, options, error};
  for (; parser.index < argc; ++parser.index) {
    if (!parser.one(argv[parser.index])) return false;
  }
  return parser.complete();
}

void print_usage(std::FILE* out) {
  std::fputs(
      "usage: orvane [ROM] [--device WxH] [--zoom N] [--config FILE] [--lang zh|en]\n"
      "              [--save-dir DIR] [--stats]\n"
      "           opens the main window; with ROM, starts that cartridge at once\n"
      "  --device WxH     the device screen, each side 160 to 2048 pixels (default 240x320)\n"
      "  --zoom N         the window shows each device pixel N x N (1 to 8, default 2)\n"
      "  --config FILE    the settings file (default $XDG_CONFIG_HOME/orvane/orvane.ini)\n"
      "  --lang zh|en     the language of the menus and dialogs (default: from the locale)\n"
      "  --save-dir DIR   keep saves (.sav), snapshots (_N.sna) and screenshots in DIR\n"
      "                   instead of beside the cartridge\n"
      "  --stats          at the exit: the time to the first frame, the game's frames per\n"
      "                   second while it ran, sound blocks dropped\n"
      "  F1 and F2 are the menu bar's soft keys, F12 photographs the running game\n"
      "       orvane --headless --frames N [--stats] [--regs] [--dump ADDR:LEN]...\n"
      "              [--save-dir DIR] ROM\n"
      "           runs N frames of the cartridge ROM without a window, as fast as possible\n"
      "  --stats          frames per second, where the time went, sound blocks dropped,\n"
      "                   peak resident memory\n"
      "  --regs           r0-r15 and cpsr of the current mode after the run\n"
      "  --dump ADDR:LEN  LEN bytes of guest memory from hexadecimal ADDR after the run\n"
      "  --save-dir DIR   keep the game's .sav file in DIR instead of beside ROM\n"
      "  --screenshot PNG write the last frame to PNG, 240 x 160\n"
      "  --audio FILE     turn sound on and write it to FILE as 16-bit stereo 44100 Hz WAV\n"
      "  --keys FILE      hold buttons from given frames on: lines of a frame number and\n"
      "                   button names (A B SELECT START RIGHT LEFT UP DOWN R L)\n"
      "  --save-state FILE --at-frame N\n"
      "                   write a snapshot to FILE after frame N, then run on to --frames\n"
      "  --load-state FILE resume from the snapshot FILE; --frames counts the frames after it\n"
      "       orvane [--headless] --ui-script FILE [ROM] [the main window's options]\n"
      "           drives the program with FILE (wait N, tap X Y, key VK, shot F.png, quit),\n"
      "           without a display when --headless is given\n"
      "       orvane --info ROM    shows the cartridge's header and how it would be loaded\n"
      "       orvane --help\n",
      out);
}
