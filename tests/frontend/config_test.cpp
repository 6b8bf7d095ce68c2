// The settings record, its file and where the file lives (design.md section 1).

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <set>
#include <string>

#include "core/file_replace.h"
#include "frontend/config_path.h"
#include "frontend/gbaconfig.h"
#include "frontend/mem.h"
#include "tests/frontend/capture.h"
#include "tests/support/temp_dir.h"

namespace {

// The file of a default record, written out by hand from the documented key list.
const char DEFAULT_FILE[] =
    "screen_dir=1\r\nshow_screen_pad=1\r\nvk_up=87\r\nvk_down=83\r\nvk_left=65\r\nvk_right=68\r\n"
    "vk_a=79\r\nvk_b=73\r\nvk_l=75\r\nvk_r=76\r\nvk_select=8\r\nvk_start=13\r\nvk_save1=66\r\n"
    "vk_load1=78\r\nauto_a=0\r\nauto_b=0\r\nframe_skip=0\r\nvk_switch=32\r\nscale=1\r\n"
    "delay_per_frame=0\r\nuse_2xsai=0\r\nuse_kb_hook=0\r\nsound_on=0\r\nvk_left_up=81\r\n"
    "vk_right_up=69\r\nvk_left_down=90\r\nvk_right_down=88\r\n";

std::string file_bytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void write_file(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

bool exists(const std::string& path) { return access(path.c_str(), F_OK) == 0; }

// Points XDG_CONFIG_HOME and HOME into a temp folder for one test, and back afterwards.
class ConfigHome {
 public:
  ConfigHome(const char* xdg, const char* home) {
    save("XDG_CONFIG_HOME", saved_xdg_, had_xdg_);
    save("HOME", saved_home_, had_home_);
    set("XDG_CONFIG_HOME", xdg);
    set("HOME", home);
  }
  ~ConfigHome() {
    set("XDG_CONFIG_HOME", had_xdg_ ? saved_xdg_.c_str() : nullptr);
    set("HOME", had_home_ ? saved_home_.c_str() : nullptr);
  }
  ConfigHome(const ConfigHome&) = delete;
  ConfigHome& operator=(const ConfigHome&) = delete;

 private:
  static void save(const char* name, std::string& value, bool& had) {
    const char* now = std::getenv(name);
    had = now != nullptr;
    value = had ? now : "";
  }
  static void set(const char* name, const char* value) {
    if (value != nullptr)
      setenv(name, value, 1);
    else
      unsetenv(name);
  }
  std::string saved_xdg_, saved_home_;
  bool had_xdg_ = false, had_home_ = false;
};

std::string written(const CGbaConfig& config) {
  CMemStack text;
  config.WriteTo(&text);
  return std::string(text.GetP(), static_cast<std::size_t>(text.GetSize()));
}

CGbaConfig read(const std::string& text) {
  std::string bytes = text;
  CMem mem;
  mem.SetStr(bytes.data());
  CGbaConfig config;
  config.ReadFrom(&mem);
  return config;
}

TEST(Config, FileFormatAndRoundTripOfAll27Values) {
  CGbaConfig defaults;
  EXPECT_EQ(written(defaults), DEFAULT_FILE);

  // Every field a different value, the extremes among them.
  CGbaConfig odd;
  int i = 0;
  for (const ConfigField& field : CONFIG_FIELDS) {
    odd.*field.member = i == 0 ? INT32_MIN : i == 1 ? INT32_MAX : i == 2 ? -1 : 1000 + 37 * i;
    i++;
  }
  CGbaConfig back = read(written(odd));
  for (const ConfigField& field : CONFIG_FIELDS)
    EXPECT_EQ(back.*field.member, odd.*field.member) << field.key;
  EXPECT_EQ(back.Differs(&odd), 0);
  EXPECT_EQ(back.Differs(&defaults), 1);

  // The reader looks every key up once.
  std::set<int> read_order(std::begin(CONFIG_READ_ORDER), std::end(CONFIG_READ_ORDER));
  EXPECT_EQ(read_order.size(), 27u);

  CGbaConfig copy;
  copy.CopyFrom(&odd);
  EXPECT_EQ(copy.Differs(&odd), 0);
  copy.Reset();
  EXPECT_EQ(copy.Differs(&defaults), 0);
}

TEST(Config, KeyLookup) {
  struct Case {
    const char* text;
    std::int32_t CGbaConfig::*member;
    std::int32_t expected;
  };
  const Case cases[] = {
      {"Scale = 3\r\n", &CGbaConfig::scale, 3},  // blanks and another letter case
      {"SCALE=2", &CGbaConfig::scale, 2},
      {"scale:4\r\n", &CGbaConfig::scale, 4},  // a colon
      {"frame_skip = 3 ; fast\r\n", &CGbaConfig::frame_skip, 3},
      {"scale,3\r\n", &CGbaConfig::scale, 1},  // a comma is no separator: the default stays
      {"scale 3\r\n", &CGbaConfig::scale, 1},
      {"scale=2\r\nscale=3\r\n", &CGbaConfig::scale, 2},  // the first line wins
      {"scale,3\r\nscale=4\r\n", &CGbaConfig::scale, 4},
      {"delay_per_frame=-1\r\n", &CGbaConfig::delay_per_frame, -1},  // kept as it is
      {"vk_up=4294967295\r\n", &CGbaConfig::vk_up, INT32_MAX},
      {"xscale=3\r\nscale_x=3\r\n", &CGbaConfig::scale, 1},  // the whole key only
      {";; scale = 3", &CGbaConfig::scale, 3},  // leading punctuation, last line without LF
      {"\r\n\r\n  \r\nsound_on=1", &CGbaConfig::sound_on, 1},
      {"scale=", &CGbaConfig::scale, 0},  // no digits
      {"scale = abc", &CGbaConfig::scale, 0},
      {"", &CGbaConfig::screen_dir, 1},  // a missing key keeps its default
      {"vk_a=1\r\n", &CGbaConfig::vk_b, 73},
  };
  for (const Case& c : cases) EXPECT_EQ(read(c.text).*c.member, c.expected) << c.text;
}

// Values the file may hold, whatever they are, mean something safe to every reader.
TEST(Config, ReadersOfOutOfRangeValues) {
  struct Case {
    std::int32_t value;
    std::int32_t screen_dir, scale, delay_per_frame, frame_skip;
    bool key_matches_itself;
  };
  const Case cases[] = {
      {INT32_MIN, 1, 1, 1, 0, false},
      {-1, 1, 1, 1, 0, false},
      {0, 1, 1, 1, 0, true},
      {1, 1, 1, 1, 1, true},
      {2, 2, 2, 2, 2, true},
      {3, 1, 3, 3, 3, true},
      {4, 4, 4, 4, 4, true},
      {5, 1, 1, 5, 5, true},
      {255, 1, 1, 255, 255, true},
      {256, 1, 1, 256, 256, false},
      {INT32_MAX, 1, 1, INT32_MAX, INT32_MAX, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value);
    EXPECT_EQ(UseScreenDir(c.value), c.screen_dir);
    EXPECT_EQ(UseScale(c.value), c.scale);
    EXPECT_EQ(UseDelayPerFrame(c.value), c.delay_per_frame);
    EXPECT_EQ(UseFrameSkip(c.value), c.frame_skip);
    EXPECT_EQ(KeyMatches(c.value, c.value), c.key_matches_itself);
    EXPECT_FALSE(KeyMatches(c.value, c.value == INT32_MAX ? 0 : c.value + 1));
  }
}

TEST(Config, WhereTheFileLives) {
  TempDir dir;
  std::string xdg = dir.path() + "/xdg";
  std::string home = dir.path() + "/home";
  struct Case {
    const char* xdg;
    const char* home;
    const char* option;
    std::string expected;  // "" for no path
  };
  const Case cases[] = {
      {xdg.c_str(), home.c_str(), nullptr, xdg + "/orvane/orvane.ini"},
      {"", home.c_str(), nullptr, home + "/.config/orvane/orvane.ini"},
      {nullptr, home.c_str(), nullptr, home + "/.config/orvane/orvane.ini"},
      {"relative/xdg", home.c_str(), nullptr, home + "/.config/orvane/orvane.ini"},
      {xdg.c_str(), home.c_str(), "my.ini", "my.ini"},
      {xdg.c_str(), home.c_str(), "", xdg + "/orvane/orvane.ini"},
      {nullptr, nullptr, nullptr, ""},
      {nullptr, nullptr, "/etc/x.ini", "/etc/x.ini"},
  };
  for (const Case& c : cases) {
    ConfigHome env(c.xdg, c.home);
    char path[CONFIG_PATH_MAX];
    EXPECT_EQ(GetConfigPath(c.option, path, sizeof path), c.expected.empty() ? 0 : 1);
    EXPECT_EQ(path, c.expected);
  }
}

TEST(Config, StartAndExit) {
  TempDir dir;
  std::string xdg = dir.path() + "/deep/xdg";  // nothing of it exists yet
  ConfigHome env(xdg.c_str(), (dir.path() + "/home").c_str());
  std::string path = xdg + "/orvane/orvane.ini";
  ChannelCapture capture;

  // A first start: no file, no report, defaults.
  g_config.vk_up = 1;
  EXPECT_EQ(LoadConfiguration(nullptr), 0);
  EXPECT_EQ(capture.take(), "");
  EXPECT_EQ(g_saved_config.Differs(&g_config), 0);

  // Changed and changed back: nothing is written.
  g_config.scale = 3;
  g_config.scale = 1;
  EXPECT_EQ(SaveConfigurationIfChanged(nullptr), 1);
  EXPECT_FALSE(exists(path));

  // A change creates the folders and the file.
  g_config.scale = 4;
  EXPECT_EQ(SaveConfigurationIfChanged(nullptr), 1);
  std::string expected = DEFAULT_FILE;
  expected.replace(expected.find("vk_up=87"), 8, "vk_up=1");
  expected.replace(expected.find("scale=1"), 7, "scale=4");
  EXPECT_EQ(file_bytes(path), expected);
  EXPECT_EQ(g_saved_config.Differs(&g_config), 0);
  struct stat info {};
  ASSERT_EQ(stat((xdg + "/orvane").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0700u);

  // The next start reads it.
  g_config.Reset();
  EXPECT_EQ(LoadConfiguration(nullptr), 1);
  EXPECT_EQ(g_config.scale, 4);
  EXPECT_EQ(g_config.vk_up, 1);

  // --config FILE wins over the XDG place.
  std::string option = dir.file("other.ini");
  write_file(option, "scale=2\r\n");
  EXPECT_EQ(LoadConfiguration(option.c_str()), 1);
  EXPECT_EQ(g_config.scale, 2);
  EXPECT_EQ(g_config.vk_up, 87);
  EXPECT_EQ(capture.take(), "");

  g_config.Reset();
  g_saved_config.Reset();
}

ssize_t full_disk(int, const void*, std::size_t) {
  errno = ENOSPC;
  return -1;
}

TEST(Config, FailuresKeepWhatWasThere) {
  TempDir dir;
  ChannelCapture capture;
  std::string path = dir.file("orvane.ini");
  const std::string previous = "scale=3\r\nvk_a=1\r\n# odd bytes \x01\xFF\r\n";
  write_file(path, previous);

  CGbaConfig config;
  config.scale = 2;
  set_file_write_function(full_disk);
  EXPECT_EQ(config.SaveToFile(path.c_str()), 0);
  set_file_write_function(nullptr);
  EXPECT_EQ(file_bytes(path), previous);  // byte for byte
  std::string report = capture.take();
  EXPECT_NE(report.find("Write file " + path + " error: No space left on device\r\n"),
            std::string::npos)
      << report;
  EXPECT_NE(report.find("assertion fail \"file.OpenFile(fn,\"wb+\")\" at file="), std::string::npos)
      << report;
  EXPECT_EQ(std::string(dir.path()).size() > 0 && exists(path + ".tmp-" + std::to_string(getpid())),
            false);

  // A file that cannot be read: both messages, the record unchanged.
  std::string missing = dir.file("missing.ini");
  EXPECT_EQ(config.LoadFromFile(missing.c_str()), 0);
  EXPECT_EQ(config.scale, 2);
  report = capture.take();
  EXPECT_EQ(report.substr(0, report.find("assertion")), "Open file " + missing + " error!\r\n");
  EXPECT_NE(report.find("assertion fail \"mf.LoadFile(fn)\" at file="), std::string::npos);

  EXPECT_EQ(config.SaveToFile(nullptr), 0);
  EXPECT_EQ(config.LoadFromFile(nullptr), 0);
  EXPECT_EQ(config.CopyFrom(nullptr), 0);
  EXPECT_EQ(config.Differs(nullptr), 0);
  EXPECT_EQ(config.WriteTo(nullptr), 0);
  EXPECT_EQ(config.ReadFrom(nullptr), 0);
  report = capture.take();
  for (const char* condition : {"fn", "fn", "p", "p", "file", "file"}) {
    std::string head = std::string("assertion fail \"") + condition + "\" at file=";
    ASSERT_EQ(report.substr(0, head.size()), head) << report;
    report = report.substr(report.find("\r\n") + 2);
  }
  EXPECT_EQ(report, "");
}

}  // namespace
