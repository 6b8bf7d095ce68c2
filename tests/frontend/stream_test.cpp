// The three streams behind CFileBase, the assertion texts and the allocation trace.

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "frontend/encoder.h"
#include "frontend/file.h"
#include "frontend/mem.h"
#include "frontend/memfile.h"
#include "frontend/support.h"
#include "tests/frontend/capture.h"
#include "tests/support/temp_dir.h"

namespace {

std::string read_all(CFileBase& stream) {
  std::string bytes(static_cast<std::size_t>(stream.GetSize()), '\0');
  stream.Seek(0);
  stream.Read(bytes.data(), stream.GetSize());
  return bytes;
}

// The same script of operations on each kind of stream gives the same results.
TEST(Streams, OneInterfaceThreeStreams) {
  TempDir dir;
  struct Kind {
    const char* name;
    std::function<std::unique_ptr<CFileBase>()> make;
  };
  const Kind kinds[] = {
      {"CMem",
       [] {
         auto mem = std::make_unique<CMem>();
         mem->Malloc(4096);
         return std::unique_ptr<CFileBase>(std::move(mem));
       }},
      {"CFile",
       [&dir] {
         auto file = std::make_unique<CFile>();
         file->OpenFile(dir.file("stream.bin").c_str(), "wb+");
         return std::unique_ptr<CFileBase>(std::move(file));
       }},
      {"CMemFile 64 KB pages", [] { return std::unique_ptr<CFileBase>(new CMemFile()); }},
      {"CMemFile 32-byte pages", [] { return std::unique_ptr<CFileBase>(new CMemFile(32)); }},
  };
  for (const Kind& kind : kinds) {
    SCOPED_TRACE(kind.name);
    std::unique_ptr<CFileBase> s = kind.make();
    std::string text = "The quick brown fox jumps over the lazy dog, twice over: 0123456789.";
    EXPECT_EQ(s->Write(text.data(), static_cast<fsize_t>(text.size())),
              static_cast<fsize_t>(text.size()));
    EXPECT_EQ(s->GetSize(), static_cast<fsize_t>(text.size()));
    EXPECT_EQ(s->GetOffset(), static_cast<fsize_t>(text.size()));
    EXPECT_EQ(read_all(*s), text);

    s->Seek(-5);  // clamped to 0..size
    EXPECT_EQ(s->GetOffset(), 0);
    s->Seek(1000);
    EXPECT_EQ(s->GetOffset(), s->GetSize());
    EXPECT_EQ(s->Getc(), '\0');  // at the end
    EXPECT_EQ(s->UnGetc(), '.');
    EXPECT_EQ(s->CharAt(4), 'q');
    EXPECT_EQ(s->CharAt(-1), '\0');

    s->Seek(4);
    s->Puts("QUICK");
    s->Printf(" %s-%d", "x", 7);  // overwrites " bro"
    EXPECT_EQ(read_all(*s).substr(0, 17), "The QUICK x-7wn f");

    EXPECT_TRUE(s->SetSize(10));
    EXPECT_EQ(s->GetSize(), 10);
    EXPECT_EQ(s->GetOffset(), 10);  // the position follows the size down
    EXPECT_TRUE(s->AddBlock(6));
    EXPECT_EQ(s->GetSize(), 16);
    char buffer[32] = {};
    s->Seek(8);
    EXPECT_EQ(s->Read(buffer, 32), 8);  // only what is there

    CMem copy;
    copy.Malloc(64);
    copy.CopyAll(s.get());
    EXPECT_EQ(copy.GetSize(), 16);
    EXPECT_EQ(s->GetOffset(), 16);  // the source keeps its position
  }
}

TEST(Streams, MemLimitsAndTerminators) {
  // A CMem over a 2048-byte buffer silently cuts a longer write.
  CMemStack path;
  std::string long_text(3000, 'x');
  EXPECT_EQ(path.Write(long_text.data(), 3000), 2048);
  EXPECT_EQ(path.GetSize(), 2048);
  EXPECT_EQ(path.Putc('y'), 0);
  path.Terminate();  // full: the zero takes the last byte
  EXPECT_EQ(std::string(path.CStr()).size(), 2047u);

  CMem attached;
  char text[] = "abc";
  attached.SetStr(text);
  EXPECT_EQ(attached.GetSize(), 3);
  EXPECT_EQ(attached.GetMaxSize(), 4);

  CMem grown;
  EXPECT_TRUE(grown.AddBlock(100));  // an empty CMem allocates
  EXPECT_EQ(grown.GetSize(), 100);
  EXPECT_FALSE(grown.AddBlock(1));
  EXPECT_FALSE(grown.Malloc(10));  // something attached already
  CMem none;
  EXPECT_FALSE(none.Malloc(0));

  CMemStack line;
  line.Puts("ab");
  line.Terminate();
  line.Puts("cd");
  line.Terminate();
  EXPECT_STREQ(line.CStr(), "abcd");
  EXPECT_EQ(line.GetSize(), 5);
  EXPECT_EQ(line.TrimmedLength(), 4);
  CMemStack joined;
  joined.AppendTrimmed(&line);
  joined.AppendTrimmed(&line);
  joined.Terminate();
  EXPECT_STREQ(joined.CStr(), "abcdabcd");

  unsigned char bytes[] = "abcdef";
  MemCopy(bytes + 1, bytes, 5);  // forward: each byte copies the one just written
  EXPECT_STREQ(reinterpret_cast<char*>(bytes), "aaaaaa");
}

TEST(Streams, MemFilePagesAndLoading) {
  ChannelCapture capture;
  CMemFile small(32);
  EXPECT_EQ(small.GetMaxSize(), 1023 * 32);
  std::string block(1023 * 32, 'p');
  EXPECT_EQ(small.Write(block.data(), static_cast<fsize_t>(block.size())), 1023 * 32);
  EXPECT_EQ(small.GetPages(), 1023);
  EXPECT_EQ(small.Putc('!'), 0);  // the 1024th page is refused
  EXPECT_NE(capture.take().find("Too many pages!"), std::string::npos);

  CMemFile odd;
  EXPECT_FALSE(odd.SetPageSize(48));
  EXPECT_FALSE(odd.SetPageSize(16));
  EXPECT_EQ(capture.take(),
            "error pagesize, this value must can be gotten by 1<<n\nand must greater than 32\n"
            "error pagesize, this value must can be gotten by 1<<n\nand must greater than 32\n");
  EXPECT_EQ(odd.GetPageSize(), 65536);

  TempDir dir;
  std::vector<std::uint8_t> content(70000);
  for (std::size_t i = 0; i < content.size(); i++) content[i] = static_cast<std::uint8_t>(i * 7);
  std::string path = dir.write("big.bin", content);
  CMemFile loaded;
  ASSERT_TRUE(loaded.LoadFile(path.c_str()));
  EXPECT_EQ(loaded.GetSize(), 70000);
  EXPECT_EQ(loaded.GetOffset(), 0);
  EXPECT_EQ(loaded.GetPages(), 2);
  std::string bytes = read_all(loaded);
  EXPECT_TRUE(std::equal(bytes.begin(), bytes.end(), content.begin(),
                         [](char a, std::uint8_t b) { return static_cast<std::uint8_t>(a) == b; }));

  std::string missing = dir.file("missing.bin");
  EXPECT_FALSE(loaded.LoadFile(missing.c_str()));
  EXPECT_EQ(capture.take(), "Open file " + missing + " error!\r\n");

  std::FILE* fp = std::fopen(path.c_str(), "rb");
  ASSERT_NE(fp, nullptr);
  CMemFile from_disk;
  EXPECT_TRUE(from_disk.LoadFromDisk(fp));
  std::fclose(fp);
  EXPECT_EQ(from_disk.GetSize(), 70000);
}

// Every misuse reports its condition in its documented words and returns 0.
TEST(Streams, AssertionTexts) {
  ChannelCapture capture;
  CMem empty;
  CMem attached;
  char buffer[8];
  attached.SetRawBuffer(buffer, sizeof buffer);
  CFile closed;
  CFile open;
  TempDir dir;
  open.OpenFile(dir.file("f").c_str(), "wb+");
  CMemStack out;
  char byte = 0;
  struct Case {
    const char* condition;
    std::function<long()> call;
  };
  const Case cases[] = {
      {"this->p", [&] { return static_cast<long>(empty.Read(&byte, 1)); }},
      {"this->p", [&] { return static_cast<long>(empty.Write(&byte, 1)); }},
      {"this->p == NULL", [&] { return static_cast<long>(attached.SetRawBuffer(buffer, 4)); }},
      {"p", [&] { return static_cast<long>(empty.SetStr(nullptr)); }},
      {"this->fp", [&] { return static_cast<long>(closed.Read(&byte, 1)); }},
      {"this->fp", [&] { return static_cast<long>(closed.GetSize()); }},
      {"this->fp", [&] { return static_cast<long>(closed.CloseFile()); }},
      {"this->fp == NULL", [&] { return static_cast<long>(open.OpenFile("x", "rb")); }},
      {"file_gb && file_unicode", [&] { return static_cast<long>(GbToUnicode(nullptr, &out)); }},
      {"file_gb && file_unicode", [&] { return static_cast<long>(UnicodeToGb(&out, nullptr)); }},
      {"file", [&] { return static_cast<long>(GbToUnicodeInPlace(nullptr)); }},
      {"file", [&] { return static_cast<long>(UnicodeToGbInPlace(nullptr)); }},
      {"file", [&] { return static_cast<long>(out.CopyFrom(nullptr, 0, 1)); }},
      {"file_str", [&] { return static_cast<long>(out.AppendTrimmed(nullptr)); }},
      {"fp", [&] { return static_cast<long>(out.LoadFromDisk(nullptr)); }},
      {"file_key && file_value && split_chars",
       [&] { return static_cast<long>(out.ReadKeyValue(&out, nullptr, &out)); }},
      {"key && file_value",
       [&] {
         const char* no_key = nullptr;
         return static_cast<long>(out.ReadKeyValue(no_key, ":", &out));
       }},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.call(), 0) << c.condition;
    std::string text = capture.take();
    std::string head = std::string("assertion fail \"") + c.condition + "\" at file=";
    EXPECT_EQ(text.substr(0, head.size()), head) << text;
    EXPECT_NE(text.find(" line="), std::string::npos) << text;
    EXPECT_EQ(text.substr(text.size() - 2), "\r\n") << text;
  }
}

std::string trace_text;
void collect_trace(const char* text) { trace_text += text; }

TEST(Streams, AllocationTrace) {
  trace_text.clear();
  set_allocation_trace_sink(collect_trace);
  void* address = nullptr;
  {
    CMem mem;
    mem.Malloc(16);
    address = mem.GetP();
  }
  set_allocation_trace_sink(nullptr);
  char expected_address[32];
  std::snprintf(expected_address, sizeof expected_address, "addr=0x%zx ",
                reinterpret_cast<std::size_t>(address));
  std::size_t alloc = trace_text.find(std::string("alloc: ") + expected_address + "file=");
  std::size_t release = trace_text.find(std::string("free: ") + expected_address + "file=");
  ASSERT_NE(alloc, std::string::npos) << trace_text;
  ASSERT_NE(release, std::string::npos) << trace_text;
  EXPECT_LT(alloc, release);
  EXPECT_NE(trace_text.find("mem.cpp line="), std::string::npos);
  EXPECT_NE(trace_text.find(" obj = char[]\r\n"), std::string::npos);
}

}  // namespace
