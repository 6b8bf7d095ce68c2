#pragma once
// A stream over a disk file opened with the runtime library. Every operation on a
// closed file reports "this->fp" and returns 0. Writing past the end extends the file.

#include <cstdio>

#include "frontend/filebase.h"

class CFile : public CFileBase {
 public:
  CFile();
  ~CFile() override;

  fsize_t GetOffset() override;
  fsize_t GetSize() override;
  fsize_t Read(void* buffer, fsize_t n) override;
  fsize_t Write(const void* buffer, fsize_t n) override;
  int SetSize(fsize_t n) override;  // truncates or extends the file with zero bytes
  int Seek(fsize_t offset) override;
  int AddBlock(fsize_t n) override;
  fsize_t GetMaxSize() override;

  // Opens with the runtime library's mode text ("rb", "wb+", ...), reads the size, position 0.
  int OpenFile(const char* name, const char* mode);
  int CloseFile();
  bool IsOpen() const { return fp != nullptr; }

 private:
  // Puts the runtime library's position at `offset` when a read follows a write, or it moved.
  bool place(bool for_write);

  std::FILE* fp = nullptr;
  fsize_t offset = 0;
  fsize_t size = 0;
  fsize_t stream_position = -1;  // where the runtime library's position is; -1 unknown
  bool last_was_write = false;
};
