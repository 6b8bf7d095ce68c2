// Text: UTF-8 to UTF-16 and back, and SplitPath, on mutated real texts and random bytes, each
// source ending at an unreadable page. glibc's iconv is the oracle: where it takes the UTF-8
// (up to the first zero byte) as valid, GbToUnicode must give exactly its UTF-16 and UnicodeToGb
// must give the bytes back; where it refuses, the result holds U+FFFD and no lone surrogate.
// SplitPath with all three parts gives the path back, and at most 260 bytes of any path.
//
//   fuzz_text SEED COUNT [--keep DIR] [--only N]

#include <iconv.h>

#include <cstring>
#include <string>

#include "frontend/encoder.h"
#include "frontend/filebase.h"
#include "frontend/mem.h"
#include "tests/fuzz/fuzz_driver.h"
#include "tests/fuzz/guarded_buffer.h"

namespace {

constexpr std::size_t PATH_LIMIT = 260;

Bytes bytes_of(const char* text) { return Bytes(text, text + std::strlen(text)); }

std::vector<Bytes> text_corpus() {
  return {bytes_of("/home/player/roms/\xE6\x81\xB6\xE9\xAD\x94\xE5\x9F\x8E.gba"),
          bytes_of("C:\\Games\\GBA\\pok\xC3\xA9mon ruby.gba"),
          bytes_of("\xE5\x8A\xA0\xE8\xBD\xBDRom \xF0\x9F\x8E\xAE save.sav"),
          bytes_of("game.tar.gz"), bytes_of("/")};
}

// The oracle's UTF-16 of `text`, or false when it finds the text invalid.
bool iconv_utf16(const std::string& text, std::u16string& out) {
  iconv_t cd = iconv_open("UTF-16LE", "UTF-8");
  std::string source = text;
  std::string target(source.size() * 4 + 4, '\0');
  char* in = source.data();
  char* to = target.data();
  std::size_t in_left = source.size();
  std::size_t out_left = target.size();
  bool valid = iconv(cd, &in, &in_left, &to, &out_left) != static_cast<std::size_t>(-1);
  iconv_close(cd);
  std::size_t units = (target.size() - out_left) / 2;
  out.assign(units, u'\0');
  std::memcpy(out.data(), target.data(), units * 2);
  return valid && in_left == 0;
}

bool has_lone_surrogate(const std::u16string& text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    char16_t unit = text[i];
    if (unit >= 0xD800 && unit < 0xDC00) {
      if (i + 1 == text.size() || text[i + 1] < 0xDC00 || text[i + 1] >= 0xE000) return true;
      ++i;
    } else if (unit >= 0xDC00 && unit < 0xE000) {
      return true;
    }
  }
  return false;
}

std::string check_conversion(const Bytes& input) {
  GuardedBuffer buffer(input);
  CMem source;
  // An empty input is an empty text: a buffer of no bytes cannot be attached.
  static char nothing[1] = "";
  if (buffer.size() == 0) {
    source.SetStr(nothing);
  } else {
    source.SetRawBuffer(buffer.data(), static_cast<fsize_t>(buffer.size()));
    source.SetSize(static_cast<fsize_t>(buffer.size()));
  }
  CMem wide;
  wide.Malloc(static_cast<fsize_t>(input.size() * 2 + 4));
  GbToUnicode(&source, &wide);
  const auto* units = reinterpret_cast<const char16_t*>(wide.GetP());
  std::u16string converted(units);
  std::string text(reinterpret_cast<const char*>(input.data()), input.size());
  text = text.substr(0, text.find('\0'));
  std::u16string expected;
  if (iconv_utf16(text, expected)) {
    if (converted != expected) return "valid UTF-8 converted other than iconv converts it";
  } else if (converted.find(u'\uFFFD') == std::u16string::npos) {
    return "invalid UTF-8 converted without U+FFFD";
  }
  if (has_lone_surrogate(converted)) return "a lone surrogate in the UTF-16";
  wide.Seek(0);
  CMem back;
  back.Malloc(static_cast<fsize_t>(converted.size() * 3 + 4));
  UnicodeToGb(&wide, &back);
  std::u16string again;
  if (!iconv_utf16(back.CStr(), again) || again != converted) {
    return "UTF-16 converted back is not the same text in valid UTF-8";
  }
  return "";
}

std::string check_split_path(const Bytes& input) {
  std::string path(reinterpret_cast<const char*>(input.data()), input.size());
  path = path.substr(0, path.find('\0'));
  for (int parts = 0; parts <= 7; ++parts) {
    CMemStack out;
    SplitPath(path.c_str(), &out, parts);
    std::string result = out.CStr();
    if (path.empty() || path.size() > PATH_LIMIT) {
      if (!result.empty()) return "SplitPath answered for an empty or over-long path";
    } else if (result.size() > path.size()) {
      return "SplitPath gave more than the path";
    } else if (parts == 7 && result != path) {
      return "SplitPath's three parts are not the path";
    }
  }
  return "";
}

}  // namespace

int main(int argc, char** argv) {
  FuzzOptions options;
  if (!parse_fuzz_options(argc, argv, options)) return 2;
  return run_fuzz(options, text_corpus(), 8, [](const Bytes& input, std::uint64_t) {
    std::string failure = check_conversion(input);
    return failure.empty() ? check_split_path(input) : failure;
  });
}
