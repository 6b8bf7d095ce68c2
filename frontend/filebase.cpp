#include "frontend/filebase.h"

#include <cctype>
#include <climits>
#include <cstdarg>
#include <cstring>
#include <new>

#include "frontend/assertion.h"
#include "frontend/encoder.h"
#include "frontend/mem.h"

const char DEFAULT_SPLIT_CHARS[] = " \t\r\n!@#$%^=&*()|+-\\*/{}[];.\":',?/<>~";
static_assert(sizeof DEFAULT_SPLIT_CHARS == 36 + 1, "the splitter set has 36 characters");

namespace {

constexpr char16_t DEFAULT_SPLIT_CHARS_W[] = u" \t\r\n!@#$%^=&*()|+-\\*/{}[];.\":',?/<>~";
constexpr fsize_t COPY_CHUNK = 4096;
constexpr std::size_t PRINTF_BUFFER = 2048;

int lower(char c) { return std::tolower(static_cast<unsigned char>(c)); }

char16_t lower_ascii(char16_t c) {
  return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c;
}

// Formats into a local buffer, or a heap one when the text is longer.
template <typename Use>
fsize_t format_and_use(const char* format, va_list args, Use use) {
  char local[PRINTF_BUFFER];
  va_list again;
  va_copy(again, args);
  int length = std::vsnprintf(local, sizeof local, format, args);
  fsize_t result = 0;
  if (length < 0) {
    result = 0;
  } else if (static_cast<std::size_t>(length) < sizeof local) {
    result = use(local);
  } else {
    auto* heap = new (std::nothrow) char[static_cast<std::size_t>(length) + 1];
    if (heap != nullptr) {
      ORVANE_TRACE_ALLOC(heap, "char[]");
      std::vsnprintf(heap, static_cast<std::size_t>(length) + 1, format, again);
      result = use(heap);
      ORVANE_TRACE_FREE(heap);
      delete[] heap;
    }
  }
  va_end(again);
  return result;
}

}  // namespace

CFileBase::CFileBase() : split_set(DEFAULT_SPLIT_CHARS), split_set_w(DEFAULT_SPLIT_CHARS_W) {}

CFileBase::~CFileBase() {
  if (scratch != nullptr) {
    ORVANE_TRACE_FREE(scratch);
    delete[] scratch;
    scratch = nullptr;
  }
}

// ---- bytes

int CFileBase::ReadByte() {
  unsigned char c = 0;
  return Read(&c, 1) == 1 ? c : -1;
}

int CFileBase::IsEnd() { return GetOffset() >= GetSize(); }

char CFileBase::Getc() {
  int c = ReadByte();
  return c < 0 ? '\0' : static_cast<char>(c);
}

int CFileBase::Putc(char c) { return Write(&c, 1) == 1 ? 1 : 0; }

char CFileBase::UnGetc() {
  fsize_t offset = GetOffset();
  if (offset <= 0) return '\0';
  Seek(offset - 1);
  return CharAt(offset - 1);
}

char CFileBase::CharAt(fsize_t i) {
  if (i < 0 || i >= GetSize()) return '\0';
  fsize_t saved = GetOffset();
  Seek(i);
  char c = Getc();
  Seek(saved);
  return c;
}

// ---- formatted output

fsize_t CFileBase::Puts(const char* text) {
  if (text == nullptr) return 0;
  return Write(text, static_cast<fsize_t>(std::strlen(text)));
}

fsize_t CFileBase::Printf(const char* format, ...) {
  ORVANE_CHECK(format, 0);
  va_list args;
  va_start(args, format);
  fsize_t written = format_and_use(format, args, [this](const char* text) { return Puts(text); });
  va_end(args);
  return written;
}

int CFileBase::Terminate() {
  const char zero = '\0';
  if (Write(&zero, 1) != 1) {
    // Full: the zero takes the last byte's place.
    if (GetSize() < 1) return 0;
    Seek(GetSize() - 1);
    if (Write(&zero, 1) != 1) return 0;
  }
  Seek(GetOffset() - 1);
  return 1;
}

// ---- tokens, words, lines

bool CFileBase::IsBlank(char c) {
  return c == '\0' || c == '\t' || c == '\n' || c == '\r' || c == ' ';
}

bool CFileBase::IsSplitter(char c) { return c == '\0' || std::strchr(split_set, c) != nullptr; }

void CFileBase::SetSplitChars(const char* chars) {
  if (scratch != nullptr) {
    ORVANE_TRACE_FREE(scratch);
    delete[] scratch;
    scratch = nullptr;
  }
  if (chars == nullptr) {
    split_set = DEFAULT_SPLIT_CHARS;
    split_set_w = DEFAULT_SPLIT_CHARS_W;
    return;
  }
  split_set = chars;
  // The splitters are single bytes; each becomes one unit.
  std::size_t length = std::strlen(chars);
  scratch = new (std::nothrow) char16_t[length + 1];
  if (scratch == nullptr) {
    report_assertion("this->scratch", __FILE__, __LINE__);
    split_set_w = DEFAULT_SPLIT_CHARS_W;
    return;
  }
  ORVANE_TRACE_ALLOC(scratch, "char16_t[]");
  for (std::size_t i = 0; i <= length; i++) scratch[i] = static_cast<unsigned char>(chars[i]);
  split_set_w = scratch;
}

void CFileBase::SkipBlanks() {
  for (;;) {
    int c = ReadByte();
    if (c < 0) return;
    if (!IsBlank(static_cast<char>(c))) {
      Seek(GetOffset() - 1);
      return;
    }
  }
}

fsize_t CFileBase::ReadToken(CFileBase* out) {
  ORVANE_CHECK(out, 0);
  out->SetSize(0);
  out->Seek(0);
  int c = ReadByte();
  fsize_t length = 0;
  if (c > 0 && IsSplitter(static_cast<char>(c))) {
    out->Putc(static_cast<char>(c));
    length = 1;
  } else if (c > 0) {
    for (;;) {
      out->Putc(static_cast<char>(c));
      length++;
      c = ReadByte();
      if (c < 0) break;
      if (IsSplitter(static_cast<char>(c))) {
        Seek(GetOffset() - 1);
        break;
      }
    }
  }
  out->Terminate();
  return length;
}

fsize_t CFileBase::ReadWord(CFileBase* out) {
  SkipBlanks();
  return ReadToken(out);
}

int CFileBase::ReadFirstWord(CFileBase* out) {
  ORVANE_CHECK(out, 0);
  for (;;) {
    if (ReadWord(out) == 0) return 0;
    if (!IsSplitter(out->CharAt(0))) return 1;
  }
}

int CFileBase::ReadLine(CFileBase* out) {
  ORVANE_CHECK(out, 0);
  out->SetSize(0);
  out->Seek(0);
  if (IsEnd()) {
    out->Terminate();
    return 0;
  }
  for (;;) {
    int c = ReadByte();
    if (c < 0 || c == '\n') break;
    if (c != '\r') out->Putc(static_cast<char>(c));
  }
  out->Terminate();
  return 1;
}

int CFileBase::ReadRest(CFileBase* out, bool skip_blanks) {
  ORVANE_CHECK(out, 0);
  out->SetSize(0);
  out->Seek(0);
  if (skip_blanks) SkipBlanks();
  fsize_t start = GetOffset();
  out->CopyFrom(this, start, GetSize() - start);
  Seek(GetSize());
  out->Terminate();
  return 1;
}

// ---- comparisons

int CFileBase::StrCmp(const char* a, const char* b) {
  ORVANE_CHECK(a && b, 0);
  return std::strcmp(a, b);
}

int CFileBase::StrICmp(const char* a, const char* b) {
  ORVANE_CHECK(a && b, 0);
  for (;; a++, b++) {
    int difference = lower(*a) - lower(*b);
    if (difference != 0 || *a == '\0') return difference;
  }
}

bool CFileBase::InList(const char* text, const char* list, bool ignore_case) {
  ORVANE_CHECK(text && list, false);
  std::size_t text_length = std::strlen(text);
  const char* piece = list;
  for (;;) {
    const char* comma = std::strchr(piece, ',');
    std::size_t length =
        comma != nullptr ? static_cast<std::size_t>(comma - piece) : std::strlen(piece);
    if (length > 0 && length == text_length) {
      bool same = true;
      for (std::size_t i = 0; i < length && same; i++)
        same = ignore_case ? lower(piece[i]) == lower(text[i]) : piece[i] == text[i];
      if (same) return true;
    }
    if (comma == nullptr) return false;
    piece = comma + 1;
  }
}

// ---- key and value

int CFileBase::ReadKeyValue(CFileBase* file_key, const char* split_chars, CFileBase* file_value) {
  ORVANE_CHECK(file_key && file_value && split_chars, 0);
  CMemStack key;
  key.CopyAll(file_key);
  key.Terminate();
  return ReadKeyValue(key.CStr(), split_chars, file_value);
}

int CFileBase::ReadKeyValue(const char* key, const char* split_chars, CFileBase* file_value) {
  ORVANE_CHECK(key && file_value, 0);
  ORVANE_CHECK(split_chars, 0);
  CMemStack line;
  CMemStack word;
  line.SetSplitChars(split_set == DEFAULT_SPLIT_CHARS ? nullptr : split_set);
  Seek(0);
  while (ReadLine(&line)) {
    if (line.TrimmedLength() == 0) continue;
    line.Seek(0);
    if (!line.ReadFirstWord(&word)) continue;
    if (StrICmp(word.CStr(), key) != 0) continue;
    line.ReadWord(&word);
    if (!InList(word.CStr(), split_chars, false)) continue;
    line.ReadRest(file_value, true);
    return 1;
  }
  file_value->SetSize(0);
  file_value->Seek(0);
  file_value->Terminate();
  return 0;
}

// ---- copies

int CFileBase::CopyFrom(CFileBase* file, fsize_t offset, fsize_t n) {
  ORVANE_CHECK(file, 0);
  fsize_t saved = file->GetOffset();
  file->Seek(offset);
  char buffer[COPY_CHUNK];
  int ok = 1;
  while (n > 0) {
    fsize_t chunk = n < COPY_CHUNK ? n : COPY_CHUNK;
    fsize_t got = file->Read(buffer, chunk);
    if (got <= 0) {
      ok = 0;
      break;
    }
    if (Write(buffer, got) != got) {
      ok = 0;
      break;
    }
    n -= got;
  }
  file->Seek(saved);
  return ok;
}

int CFileBase::CopyAll(CFileBase* file) {
  ORVANE_CHECK(file, 0);
  SetSize(0);
  Seek(0);
  return CopyFrom(file, 0, file->GetSize());
}

fsize_t CFileBase::TrimmedLength() {
  fsize_t length = GetSize();
  while (length > 0 && CharAt(length - 1) == '\0') length--;
  return length;
}

int CFileBase::AppendTrimmed(CFileBase* file_str) {
  ORVANE_CHECK(file_str, 0);
  return CopyFrom(file_str, 0, file_str->TrimmedLength());
}

int CFileBase::LoadFromDisk(std::FILE* fp) {
  ORVANE_CHECK(fp, 0);
  if (std::fseek(fp, 0, SEEK_END) != 0) return 0;
  long length = std::ftell(fp);
  if (length < 0 || std::fseek(fp, 0, SEEK_SET) != 0) return 0;
  SetSize(0);
  Seek(0);
  char buffer[COPY_CHUNK];
  fsize_t left = length;
  while (left > 0) {
    std::size_t chunk = static_cast<std::size_t>(left < COPY_CHUNK ? left : COPY_CHUNK);
    std::size_t got = std::fread(buffer, 1, chunk, fp);
    if (got == 0) break;
    if (Write(buffer, static_cast<fsize_t>(got)) != static_cast<fsize_t>(got)) break;
    left -= static_cast<fsize_t>(got);
  }
  Seek(0);
  return left == 0 ? 1 : 0;
}

// ---- UTF-16

fsize_t CFileBase::StrLenW() {
  fsize_t units = GetSize() / 2;
  fsize_t saved = GetOffset();
  Seek(0);
  fsize_t length = 0;
  char16_t unit = 0;
  while (length < units && Read(&unit, 2) == 2 && unit != 0) length++;
  Seek(saved);
  return length;
}

fsize_t CFileBase::StrLenW(const char16_t* text) {
  ORVANE_CHECK(text, 0);
  fsize_t length = 0;
  while (text[length] != 0) length++;
  return length;
}

fsize_t CFileBase::PutsW(const char16_t* text) {
  if (text == nullptr) return 0;
  return Write(text, StrLenW(text) * 2) / 2;
}

fsize_t CFileBase::PrintfW(const char* format, ...) {
  ORVANE_CHECK(format, 0);
  va_list args;
  va_start(args, format);
  fsize_t written = format_and_use(format, args, [this](char* text) {
    CMem source;
    source.SetStr(text);
    fsize_t start = GetOffset();
    GbToUnicode(&source, this);
    return (GetOffset() - start) / 2;
  });
  va_end(args);
  return written;
}

int CFileBase::TerminateW() {
  const char16_t zero = 0;
  if (Write(&zero, 2) != 2) {
    fsize_t size = GetSize();
    if (size < 2) return 0;
    Seek((size - 2) & ~fsize_t{1});
    if (Write(&zero, 2) != 2) return 0;
  }
  Seek(GetOffset() - 2);
  return 1;
}

int CFileBase::StrCatW(const char16_t* text) {
  ORVANE_CHECK(text, 0);
  Seek(StrLenW() * 2);
  PutsW(text);
  return TerminateW();
}

int CFileBase::StrICmpW(const char16_t* a, const char16_t* b) {
  ORVANE_CHECK(a && b, 0);
  for (;; a++, b++) {
    int difference = lower_ascii(*a) - lower_ascii(*b);
    if (difference != 0 || *a == 0) return difference;
  }
}

// ---- paths and numbers

int SplitPath(const char* path, CFileBase* out, int parts) {
  ORVANE_CHECK(path && out, 0);
  constexpr std::size_t PATH_LIMIT = 260;
  out->SetSize(0);
  out->Seek(0);
  std::size_t length = std::strlen(path);
  if (length == 0 || length > PATH_LIMIT) {
    out->Terminate();
    return 0;
  }
  // The last separator of either kind, and the extension's dot after it.
  std::ptrdiff_t separator = -1;
  std::ptrdiff_t dot = -1;
  for (std::size_t i = 0; i < length; i++) {
    if (path[i] == '/' || path[i] == '\\') {
      separator = static_cast<std::ptrdiff_t>(i);
      dot = -1;
    } else if (path[i] == '.') {
      dot = static_cast<std::ptrdiff_t>(i);
    }
  }
  auto write = [out, path](std::ptrdiff_t from, std::ptrdiff_t to) {
    if (to > from) out->Write(path + from, to - from);
  };
  std::ptrdiff_t end = static_cast<std::ptrdiff_t>(length);
  std::ptrdiff_t base_end = dot >= 0 ? dot : end;
  bool written = false;
  bool root_only = false;  // the folder written is the root's lone separator
  if ((parts & 4) != 0 && separator > 0) {
    write(0, separator);
    written = true;
  } else if ((parts & 4) != 0 && separator == 0) {
    // The mend: a file in the root folder keeps its folder.
    write(0, 1);
    written = root_only = true;
  }
  if ((parts & 1) != 0) {
    if (written && !root_only) out->Putc(separator >= 0 ? path[separator] : '\\');
    write(separator + 1, base_end);
    written = written || base_end > separator + 1;
  }
  if ((parts & 2) != 0 && dot >= 0) {
    // With the base name asked for, the dot stays even when the name before it is empty
    // (".gba", "roms/.hidden"): otherwise the whole path would come back as another name.
    if (written || (parts & 1) != 0) out->Putc('.');
    write(dot + 1, end);
  }
  out->Terminate();
  return 1;
}

std::int32_t DecimalToInt(const char* text) {
  if (text == nullptr) return 0;
  while (*text == ' ' || (*text >= '\t' && *text <= '\r')) text++;
  bool negative = *text == '-';
  if (*text == '-' || *text == '+') text++;
  std::int64_t value = 0;
  for (; *text >= '0' && *text <= '9'; text++) {
    value = value * 10 + (*text - '0');
    if (value > std::int64_t{INT32_MAX} + 1) value = std::int64_t{INT32_MAX} + 1;
  }
  if (negative) value = -value;
  if (value > INT32_MAX) value = INT32_MAX;
  return static_cast<std::int32_t>(value);
}
