#include "frontend/encoder.h"

#include <cstdint>

#include "frontend/assertion.h"
#include "frontend/mem.h"

namespace {

constexpr char32_t REPLACEMENT = 0xFFFD;

// Reads one byte from the position, or -1 at the end.
int next_byte(CFileBase* file) {
  unsigned char c = 0;
  return file->Read(&c, 1) == 1 ? c : -1;
}

// One code point from UTF-8; -1 at the end of the text. An invalid part gives U+FFFD and leaves
// the position on the first byte that does not belong to it.
std::int32_t decode_utf8(CFileBase* file) {
  int lead = next_byte(file);
  if (lead <= 0) return -1;  // the end, or the text's terminating zero
  if (lead < 0x80) return lead;
  int count = 0;
  char32_t value = 0;
  int low = 0x80;   // the first continuation byte's range, narrowed against overlong forms,
  int high = 0xBF;  // encoded surrogates and values above U+10FFFF
  if (lead >= 0xC2 && lead <= 0xDF) {
    count = 1;
    value = lead & 0x1Fu;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    count = 2;
    value = lead & 0x0Fu;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    count = 3;
    value = lead & 0x07u;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return REPLACEMENT;  // a lone continuation byte, C0, C1 or F5-FF
  }
  for (int i = 0; i < count; i++) {
    int c = next_byte(file);
    if (c < low || c > high) {
      if (c >= 0) file->Seek(file->GetOffset() - 1);  // not ours: read again as a lead
      return REPLACEMENT;
    }
    value = (value << 6) | (c & 0x3Fu);
    low = 0x80;
    high = 0xBF;
  }
  return static_cast<std::int32_t>(value);
}

void put_unit(CFileBase* file, char16_t unit) { file->Write(&unit, 2); }

void put_utf8(CFileBase* file, char32_t code) {
  unsigned char bytes[4];
  int count = 0;
  if (code < 0x80) {
    bytes[count++] = static_cast<unsigned char>(code);
  } else if (code < 0x800) {
    bytes[count++] = static_cast<unsigned char>(0xC0 | (code >> 6));
    bytes[count++] = static_cast<unsigned char>(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    bytes[count++] = static_cast<unsigned char>(0xE0 | (code >> 12));
    bytes[count++] = static_cast<unsigned char>(0x80 | ((code >> 6) & 0x3F));
    bytes[count++] = static_cast<unsigned char>(0x80 | (code & 0x3F));
  } else {
    bytes[count++] = static_cast<unsigned char>(0xF0 | (code >> 18));
    bytes[count++] = static_cast<unsigned char>(0x80 | ((code >> 12) & 0x3F));
    bytes[count++] = static_cast<unsigned char>(0x80 | ((code >> 6) & 0x3F));
    bytes[count++] = static_cast<unsigned char>(0x80 | (code & 0x3F));
  }
  file->Write(bytes, count);
}

// One UTF-16 unit from the position, or -1 at the end or at a zero unit.
std::int32_t next_unit(CFileBase* file) {
  char16_t unit = 0;
  if (file->Read(&unit, 2) != 2 || unit == 0) return -1;
  return unit;
}

// Converts `file` in place through a copy: a 2048-byte stack buffer, or a heap block.
template <typename Convert>
int convert_in_place(CFileBase* file, Convert convert) {
  char stack[2048];
  CMem copy;
  fsize_t size = file->GetSize();
  if (size <= static_cast<fsize_t>(sizeof stack)) {
    copy.SetRawBuffer(stack, sizeof stack);
  } else if (!copy.Malloc(size)) {
    return 0;
  }
  copy.CopyAll(file);
  file->SetSize(0);
  file->Seek(0);
  return convert(&copy, file);
}

}  // namespace

int GbToUnicode(CFileBase* file_gb, CFileBase* file_unicode) {
  ORVANE_CHECK(file_gb && file_unicode, 0);
  file_gb->Seek(0);
  for (;;) {
    std::int32_t code = decode_utf8(file_gb);
    if (code < 0) break;
    if (code >= 0x10000) {
      code -= 0x10000;
      put_unit(file_unicode, static_cast<char16_t>(0xD800 + (code >> 10)));
      put_unit(file_unicode, static_cast<char16_t>(0xDC00 + (code & 0x3FF)));
    } else {
      put_unit(file_unicode, static_cast<char16_t>(code));
    }
  }
  return file_unicode->TerminateW();
}

std::u16string GbTextToUnicode(const std::string& text) {
  std::u16string out;
  CMem source;
  std::string copy = text;
  source.SetStr(copy.data());
  CMem target;
  if (!target.Malloc(static_cast<fsize_t>((copy.size() + 1) * 2 + 2))) return out;
  if (!GbToUnicode(&source, &target)) return out;
  const auto* units = reinterpret_cast<const char16_t*>(target.GetP());
  for (fsize_t i = 0; units[i] != 0 && (i + 1) * 2 <= target.GetSize(); ++i)
    out.push_back(units[i]);
  return out;
}

int UnicodeToGb(CFileBase* file_unicode, CFileBase* file_gb) {
  ORVANE_CHECK(file_gb && file_unicode, 0);
  file_unicode->Seek(0);
  std::int32_t pending = next_unit(file_unicode);
  while (pending >= 0) {
    auto unit = static_cast<char32_t>(pending);
    pending = next_unit(file_unicode);
    char32_t code = unit;
    if (unit >= 0xD800 && unit <= 0xDBFF) {
      if (pending >= 0xDC00 && pending <= 0xDFFF) {
        code = 0x10000 + ((unit - 0xD800) << 10) + (static_cast<char32_t>(pending) - 0xDC00);
        pending = next_unit(file_unicode);
      } else {
        code = REPLACEMENT;  // a high surrogate without its low half
      }
    } else if (unit >= 0xDC00 && unit <= 0xDFFF) {
      code = REPLACEMENT;  // a low surrogate alone
    }
    put_utf8(file_gb, code);
  }
  return file_gb->Terminate();
}

int GbToUnicodeInPlace(CFileBase* file) {
  ORVANE_CHECK(file, 0);
  return convert_in_place(file, GbToUnicode);
}

int UnicodeToGbInPlace(CFileBase* file) {
  ORVANE_CHECK(file, 0);
  return convert_in_place(file, UnicodeToGb);
}
