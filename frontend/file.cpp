#include "frontend/file.h"

#include <sys/types.h>
#include <unistd.h>

#include <cstdint>

#include "frontend/assertion.h"

CFile::CFile() = default;

CFile::~CFile() {
  if (fp != nullptr) CloseFile();
}

int CFile::OpenFile(const char* name, const char* mode) {
  ORVANE_CHECK(this->fp == NULL, 0);
  ORVANE_CHECK(name && mode, 0);
  fp = std::fopen(name, mode);
  if (fp == nullptr) return 0;
  size = 0;
  if (fseeko(fp, 0, SEEK_END) == 0) size = ftello(fp);
  if (size < 0) size = 0;
  fseeko(fp, 0, SEEK_SET);
  offset = stream_position = 0;
  last_was_write = false;
  return 1;
}

int CFile::CloseFile() {
  ORVANE_CHECK(this->fp, 0);
  int ok = std::fclose(fp) == 0 ? 1 : 0;
  fp = nullptr;
  offset = size = 0;
  stream_position = -1;
  return ok;
}

bool CFile::place(bool for_write) {
  // The runtime library needs a seek between a write and a following read, and back.
  if (stream_position != offset || last_was_write != for_write) {
    if (fseeko(fp, offset, SEEK_SET) != 0) {
      stream_position = -1;
      return false;
    }
    stream_position = offset;
  }
  last_was_write = for_write;
  return true;
}

fsize_t CFile::GetOffset() {
  ORVANE_CHECK(this->fp, 0);
  return offset;
}

fsize_t CFile::GetSize() {
  ORVANE_CHECK(this->fp, 0);
  return size;
}

fsize_t CFile::GetMaxSize() {
  ORVANE_CHECK(this->fp, 0);
  return INT64_MAX;
}

fsize_t CFile::Read(void* buffer, fsize_t n) {
  ORVANE_CHECK(this->fp, 0);
  if (buffer == nullptr || n <= 0 || offset >= size || !place(false)) return 0;
  if (n > size - offset) n = size - offset;
  fsize_t got = static_cast<fsize_t>(std::fread(buffer, 1, static_cast<std::size_t>(n), fp));
  offset += got;
  stream_position = offset;
  return got;
}

fsize_t CFile::Write(const void* buffer, fsize_t n) {
  ORVANE_CHECK(this->fp, 0);
  if (buffer == nullptr || n <= 0 || !place(true)) return 0;
  fsize_t put = static_cast<fsize_t>(std::fwrite(buffer, 1, static_cast<std::size_t>(n), fp));
  offset += put;
  stream_position = offset;
  if (offset > size) size = offset;
  return put;
}

int CFile::SetSize(fsize_t n) {
  ORVANE_CHECK(this->fp, 0);
  if (n < 0 || std::fflush(fp) != 0 || ftruncate(fileno(fp), n) != 0) return 0;
  size = n;
  if (offset > size) offset = size;
  stream_position = -1;
  return 1;
}

int CFile::Seek(fsize_t to) {
  ORVANE_CHECK(this->fp, 0);
  offset = to < 0 ? 0 : to > size ? size : to;
  return 1;
}

int CFile::AddBlock(fsize_t n) {
  ORVANE_CHECK(this->fp, 0);
  if (n < 0) return 0;
  return SetSize(size + n);
}
