#pragma once
// Conversions between the device code page and UTF-16. The device code page is UTF-8
// here: characters outside the BMP become surrogate pairs. Malformed UTF-8 (a lone continuation
// byte, an invalid lead byte, a sequence cut short by another byte or by the end of the stream, an
// overlong form, an encoded surrogate or a value above U+10FFFF) becomes U+FFFD, one for each
// maximal invalid part, and the conversion goes on; nothing is read past the end of the source.
// A lone surrogate in UTF-16 becomes U+FFFD as well.

#include <string>

#include "frontend/filebase.h"

// Converts the source's text (from its start to its end or its first zero byte) and writes the
// UTF-16 units at the target's position, then a zero unit (see filebase.h on terminators).
int GbToUnicode(CFileBase* file_gb, CFileBase* file_unicode);

// Converts the source's UTF-16 text (from its start to its end or its first zero unit) and writes
// the bytes at the target's position, then a zero byte.
int UnicodeToGb(CFileBase* file_unicode, CFileBase* file_gb);

// The same with the stream as both source and target.
int GbToUnicodeInPlace(CFileBase* file);
int UnicodeToGbInPlace(CFileBase* file);

// A device code page text as UTF-16, up to its first zero byte; empty when no memory is left.
std::u16string GbTextToUnicode(const std::string& text);
