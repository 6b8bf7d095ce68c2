// Text helpers, the path splitter and the UTF-8 <-> UTF-16 conversions.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "frontend/encoder.h"
#include "frontend/filebase.h"
#include "frontend/mem.h"
#include "tests/frontend/capture.h"

namespace {

// A CMem over a copy of `text` that lives as long as the holder.
struct TextStream {
  explicit TextStream(const std::string& text) : bytes(text) { mem.SetStr(bytes.data()); }
  std::string bytes;
  CMem mem;
};

std::string split(const char* path, int parts) {
  CMemStack out;
  SplitPath(path, &out, parts);
  return out.CStr();
}

TEST(SplitPath, PartsOfPaths) {
  struct Case {
    const char* path;
    int parts;
    const char* expected;
  };
  const Case cases[] = {
      {"\\Storage Card\\game.gba", 5, "\\Storage Card\\game"},  // the documented examples
      {"\\Storage Card\\game.gba", 2, "gba"},
      {"\\Storage Card\\game.gba", 7, "\\Storage Card\\game.gba"},
      {"\\Storage Card\\game.gba", 4, "\\Storage Card"},
      {"\\Storage Card\\game.gba", 1, "game"},
      {"game.gba", 5, "game"},  // no separator: the base name alone
      {"game.gba", 3, "game.gba"},
      {"/home/ann/roms/game.gba", 5, "/home/ann/roms/game"},  // slashes as well
      {"/home/ann/roms/game.gba", 2, "gba"},
      {"/home/ann\\mixed/game.gba", 5, "/home/ann\\mixed/game"},  // the last of either kind
      {"C:\\roms/x.gba", 4, "C:\\roms"},
      {"/game.gba", 5, "/game"},  // the mend: a file in the root keeps its folder
      {"/game.gba", 7, "/game.gba"},
      {"/game.gba", 4, "/"},
      {"/game.gba", 1, "game"},
      {"\\game.gba", 5, "\\game"},
      {"/roms.d/game", 2, ""},  // a dot before the last separator is no extension
      {"/roms.d/game", 7, "/roms.d/game"},
      {"rel/a.b.gba", 3, "a.b.gba"},
      {"rel/a.b.gba", 2, "gba"},
      {".gba", 7, ".gba"},  // a name that is all extension keeps its dot
      {"roms/.hidden", 3, ".hidden"},
      {".gba", 2, "gba"},
      {"", 7, ""},  // empty and over-long paths give nothing
      {"/x/yyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyy"
       "yyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyy"
       "yyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyy.gba",
       7, ""},
  };
  for (const Case& c : cases)
    EXPECT_EQ(split(c.path, c.parts), c.expected) << c.path << " parts " << c.parts;
}

std::vector<std::string> tokens(const std::string& text, bool words) {
  TextStream in(text);
  CMemStack out;
  std::vector<std::string> found;
  while ((words ? in.mem.ReadWord(&out) : in.mem.ReadToken(&out)) > 0) found.push_back(out.CStr());
  return found;
}

TEST(TextHelpers, TokensWordsAndLines) {
  using List = std::vector<std::string>;
  EXPECT_EQ(tokens("key=5", false), (List{"key", "=", "5"}));  // the documented example
  EXPECT_EQ(tokens("a_b(c)", false), (List{"a_b", "(", "c", ")"}));
  EXPECT_EQ(tokens("  Scale = 3 ; fast", true), (List{"Scale", "=", "3", ";", "fast"}));
  EXPECT_EQ(tokens("vk-up:-1", true), (List{"vk", "-", "up", ":", "-", "1"}));

  TextStream first("  ;;# name = 1");
  CMemStack word;
  ASSERT_TRUE(first.mem.ReadFirstWord(&word));
  EXPECT_STREQ(word.CStr(), "name");
  TextStream only_punctuation(" ;; ==");
  EXPECT_FALSE(only_punctuation.mem.ReadFirstWord(&word));

  struct LineCase {
    const char* text;
    List lines;
  };
  const LineCase line_cases[] = {
      {"one\r\ntwo\nthree", {"one", "two", "three"}},  // the last line without LF
      {"a\n\nb\n", {"a", "", "b"}},
      {"\r\n", {""}},
      {"", {}},
  };
  for (const LineCase& c : line_cases) {
    TextStream in(c.text);
    CMemStack line;
    List lines;
    while (in.mem.ReadLine(&line)) lines.push_back(line.CStr());
    EXPECT_EQ(lines, c.lines) << c.text;
  }

  TextStream rest("key :   value ; more");
  rest.mem.ReadWord(&word);
  rest.mem.ReadWord(&word);
  CMemStack value;
  rest.mem.ReadRest(&value, true);
  EXPECT_STREQ(value.CStr(), "value ; more");

  EXPECT_TRUE(CFileBase::InList("=", ":,=", false));
  EXPECT_TRUE(CFileBase::InList(":", ":,=", false));
  EXPECT_FALSE(CFileBase::InList(",", ":,=", false));
  EXPECT_FALSE(CFileBase::InList("", ":,=", false));
  EXPECT_TRUE(CFileBase::InList("Gba", "nds,gba", true));
  EXPECT_EQ(CFileBase::StrICmp("SCREEN_Dir", "screen_dir"), 0);
  EXPECT_NE(CFileBase::StrICmp("screen", "screen_dir"), 0);
}

TEST(TextHelpers, DecimalConversionStopsAtTheFirstNonDigit) {
  struct Case {
    const char* text;
    std::int32_t value;
  };
  const Case cases[] = {{"3 ; fast", 3},
                        {"  -1", -1},
                        {"+42x", 42},
                        {"", 0},
                        {"abc", 0},
                        {"- 5", 0},
                        {"2147483647", 2147483647},
                        {"-2147483648", INT32_MIN},
                        {"99999999999", INT32_MAX},
                        {"-99999999999", INT32_MIN}};
  for (const Case& c : cases) EXPECT_EQ(DecimalToInt(c.text), c.value) << c.text;
}

std::u16string to_utf16(const std::string& utf8) {
  TextStream in(utf8);
  CMem out;
  out.Malloc(static_cast<fsize_t>(utf8.size() * 2 + 2));
  GbToUnicode(&in.mem, &out);
  std::u16string units(static_cast<std::size_t>(out.StrLenW()), u'\0');
  out.Seek(0);
  out.Read(units.data(), static_cast<fsize_t>(units.size() * 2));
  return units;
}

std::string to_utf8(const std::u16string& units) {
  CMem in;
  in.Malloc(static_cast<fsize_t>(units.size() * 2 + 2));
  in.PutsW(units.c_str());
  CMem out;
  out.Malloc(static_cast<fsize_t>(units.size() * 4 + 1));
  UnicodeToGb(&in, &out);
  return out.CStr();
}

TEST(Encoder, Utf8AndUtf16BothWays) {
  struct Case {
    std::string utf8;
    std::u16string utf16;
  };
  const Case cases[] = {
      {"game.gba", u"game.gba"},
      {"\xE5\x8A\xA0\xE8\xBD\xBD"
       "Rom",
       u"\u52A0\u8F7DRom"},  // 加载Rom
      {"\xE8\xAE\xBE\xE7\xBD\xAE \xC3\xA9", u"\u8BBE\u7F6E \u00E9"},
      {"\xF0\x9F\x8E\xAE!", u"\xD83C\xDFAE!"},  // a 4-byte character: a surrogate pair
      {"\xF4\x8F\xBF\xBF", u"\xDBFF\xDFFF"},    // the last code point
      {"", u""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(to_utf16(c.utf8), c.utf16) << c.utf8;
    EXPECT_EQ(to_utf8(c.utf16), c.utf8) << c.utf8;
  }
}

TEST(Encoder, MalformedInputBecomesReplacementCharacters) {
  struct Case {
    const char* name;
    std::string utf8;
    std::u16string utf16;
  };
  const Case cases[] = {
      {"lone continuation byte", "a\x80z", u"a\uFFFDz"},
      {"two lone continuation bytes", "\xBF\x80", u"\uFFFD\uFFFD"},
      {"truncated at the end", "ab\xE5\x8A", u"ab\uFFFD"},
      {"4-byte lead at the end", "\xF0", u"\uFFFD"},
      {"truncated by an ASCII byte", "\xE5\x8Az", u"\uFFFDz"},
      {"truncated by another lead", "\xE5\xE5\x8A\xA0", u"\uFFFD\u52A0"},
      {"overlong 2-byte form", "\xC0\xAF", u"\uFFFD\uFFFD"},
      {"overlong 3-byte form", "\xE0\x80\xAF", u"\uFFFD\uFFFD\uFFFD"},
      {"overlong 4-byte form", "\xF0\x80\x80\xAF", u"\uFFFD\uFFFD\uFFFD\uFFFD"},
      {"encoded surrogate", "\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},
      {"above U+10FFFF", "\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},
      {"invalid byte",
       "\xFF"
       "a",
       u"\uFFFDa"},
  };
  for (const Case& c : cases) EXPECT_EQ(to_utf16(c.utf8), c.utf16) << c.name;

  // A lone surrogate in UTF-16 becomes U+FFFD too.
  EXPECT_EQ(to_utf8(u"a\xD800z"), "a\xEF\xBF\xBDz");
  EXPECT_EQ(to_utf8(u"\xDC00"), "\xEF\xBF\xBD");
  EXPECT_EQ(to_utf8(u"x\xD83C"), "x\xEF\xBF\xBD");

  // Nothing is read past the end: a stream whose size stops inside a sequence, over a buffer
  // whose next bytes would complete it.
  char buffer[] = "\xE5\x8A\xA0";
  CMem cut;
  cut.SetRawBuffer(buffer, 3);
  cut.Write(buffer, 2);
  CMemStack out;
  GbToUnicode(&cut, &out);
  EXPECT_EQ(out.StrLenW(), 1);
  EXPECT_EQ(static_cast<unsigned char>(out.CharAt(0)), 0xFD);
}

TEST(Encoder, InPlaceConversionsAndUtf16Helpers) {
  for (std::size_t length : {std::size_t{5}, std::size_t{3000}}) {  // stack and heap copies
    std::string text;
    while (text.size() < length)
      text +=
          "\xE4\xB8\xAD"
          "a";  // 中a
    CMem mem;
    mem.Malloc(static_cast<fsize_t>(text.size() * 2 + 4));
    mem.Puts(text.c_str());
    ASSERT_TRUE(GbToUnicodeInPlace(&mem));
    EXPECT_EQ(mem.StrLenW(), static_cast<fsize_t>(text.size() / 4 * 2));
    ASSERT_TRUE(UnicodeToGbInPlace(&mem));
    EXPECT_EQ(std::string(mem.CStr()), text);
  }

  CMemStack w;
  w.PutsW(u"Frame");
  w.TerminateW();
  w.StrCatW(u" skip");
  EXPECT_EQ(w.StrLenW(), 10);
  w.Seek(w.StrLenW() * 2);
  w.PrintfW(" %d \xE5\xB8\xA7", 3);  // " 3 帧"
  EXPECT_EQ(w.StrLenW(), 14);
  std::u16string units(14, u'\0');
  w.Seek(0);
  w.Read(units.data(), 28);
  EXPECT_EQ(units, u"Frame skip 3 \u5E27");
  EXPECT_EQ(CFileBase::StrICmpW(u"SOUND", u"sound"), 0);
  EXPECT_NE(CFileBase::StrICmpW(u"\u00C9", u"\u00E9"), 0);  // only A-Z fold
  EXPECT_EQ(CFileBase::StrLenW(u"abc"), 3);
}

}  // namespace
