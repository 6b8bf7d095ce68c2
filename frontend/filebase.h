#pragma once
// The abstract byte stream of the support library and the text helpers built on its
// virtual interface. Texts in streams are in the device code page, UTF-8 here; UTF-16 texts are
// streams of 16-bit units in host order.
//
// A text held in a stream ends with a zero byte (a zero unit for UTF-16) that counts in the
// stream's size; the position is left on that zero, so the next write continues the text. When the
// stream is full, the zero replaces the last byte, so a cut text is still terminated.

#include <cstdint>
#include <cstdio>

using fsize_t = std::int64_t;

// The tokenizer's 36 splitter characters: space, tab, CR, LF and the punctuation
// ! @ # $ % ^ = & * ( ) | + - \ * / { } [ ] ; . " : ' , ? / < > ~ (asterisk and slash twice).
extern const char DEFAULT_SPLIT_CHARS[];

class CFileBase {
 public:
  CFileBase();
  CFileBase(const CFileBase&) = delete;
  CFileBase& operator=(const CFileBase&) = delete;

  // The virtual interface, in slot order.
  virtual ~CFileBase();
  virtual fsize_t GetOffset() = 0;
  virtual fsize_t GetSize() = 0;
  virtual fsize_t Read(void* buffer, fsize_t n) = 0;         // up to n bytes; the count
  virtual fsize_t Write(const void* buffer, fsize_t n) = 0;  // grows the stream; the count
  virtual int SetSize(fsize_t n) = 0;                        // position clamped to it
  virtual int Seek(fsize_t offset) = 0;                      // clamped to 0..size
  virtual int AddBlock(fsize_t n) = 0;                       // grow the length by n
  virtual fsize_t GetMaxSize() = 0;                          // capacity

  // Bytes.
  int IsEnd();
  char Getc();             // 0 at the end of the stream
  int Putc(char c);        // 1 when written
  char UnGetc();           // steps back one byte and returns it (0 at position 0)
  char CharAt(fsize_t i);  // the byte at i without moving (0 outside the stream)

  // Formatted output.
  fsize_t Puts(const char* text);  // without the terminating zero; null: nothing
  fsize_t Printf(const char* format, ...) __attribute__((format(printf, 2, 3)));
  // Writes a zero byte and steps back onto it (see the top of this file).
  int Terminate();

  // Tokens, words, lines.
  static bool IsBlank(char c);  // NUL, tab, LF, CR, space
  bool IsSplitter(char c);      // NUL or a character of the splitter set
  // Replaces the splitter set (the text stays the caller's; null restores the default).
  void SetSplitChars(const char* chars);
  const char* GetSplitChars() const { return split_set; }
  const char16_t* GetSplitCharsW() const { return split_set_w; }
  void SkipBlanks();
  fsize_t ReadToken(CFileBase* out);  // the token's length; out is emptied and terminated
  fsize_t ReadWord(CFileBase* out);   // SkipBlanks, then ReadToken
  int ReadFirstWord(CFileBase* out);  // first word not beginning with a splitter; 0 at the end
  int ReadLine(CFileBase* out);       // up to LF, CR dropped; 0 at the end of the stream
  int ReadRest(CFileBase* out, bool skip_blanks);

  // Comparisons of zero-terminated texts (through the terminating zero).
  static int StrCmp(const char* a, const char* b);
  static int StrICmp(const char* a, const char* b);
  // Whether any comma-separated piece of `list` equals `text`.
  static bool InList(const char* text, const char* list, bool ignore_case);

  // The settings file's lookup in this stream's text: the first line whose first word equals the
  // key (ignoring case) and whose next word is one of the comma-separated `split_chars` gives the
  // rest of its line, after blanks, as the value. Returns 1 when found; otherwise `file_value`
  // holds an empty text and the result is 0.
  int ReadKeyValue(CFileBase* file_key, const char* split_chars, CFileBase* file_value);
  int ReadKeyValue(const char* key, const char* split_chars, CFileBase* file_value);

  // Copies.
  int CopyFrom(CFileBase* file, fsize_t offset, fsize_t n);  // at this stream's position
  int CopyAll(CFileBase* file);                              // empties this stream first
  fsize_t TrimmedLength();                                   // the size without trailing zero bytes
  int AppendTrimmed(CFileBase* file_str);  // writes file_str's trimmed bytes at the position
  int LoadFromDisk(std::FILE* fp);         // the whole file from its start, replacing the stream

  // UTF-16.
  fsize_t StrLenW();                    // units before the first zero unit
  fsize_t PutsW(const char16_t* text);  // without the terminating zero; the units written
  // Formats like Printf (the format and %s arguments in UTF-8) and writes the result as UTF-16.
  fsize_t PrintfW(const char* format, ...) __attribute__((format(printf, 2, 3)));
  int StrCatW(const char16_t* text);  // appends at the text's end and re-terminates
  int TerminateW();                   // a zero unit, as Terminate does
  static int StrICmpW(const char16_t* a, const char16_t* b);  // folds A-Z only
  static fsize_t StrLenW(const char16_t* text);

 protected:
  // One byte from the position, or -1 at the end (nothing read).
  int ReadByte();

 private:
  const char* split_set;
  const char16_t* split_set_w;
  char16_t* scratch = nullptr;  // the UTF-16 copy of a caller's splitter set, owned
};

// Splits a path at its last '/' or '\'. `parts` is a bit set: 4 the folder, 1 the base name, 2 the
// extension (7: the whole path). An empty path or one longer than 260 bytes gives an empty text
// (result 0). A path whose only separator is its first character keeps it as its folder, so
// "/game.gba" with parts 5 gives "/game". `out` is emptied and terminated.
int SplitPath(const char* path, CFileBase* out, int parts);

// The runtime library's decimal conversion: leading blanks and a sign, digits up to the first
// other character, 0 without digits; values beyond 32 bits saturate.
std::int32_t DecimalToInt(const char* text);
