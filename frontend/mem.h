#pragma once
// A stream over one memory block: either a heap block of its own or a caller's buffer.
// Writes past the size grow it up to the capacity and are cut there; nothing is reallocated.

#include <cstddef>

#include "frontend/filebase.h"

class CMem : public CFileBase {
 public:
  CMem();
  ~CMem() override;

  fsize_t GetOffset() override;
  fsize_t GetSize() override;
  fsize_t Read(void* buffer, fsize_t n) override;
  fsize_t Write(const void* buffer, fsize_t n) override;
  int SetSize(fsize_t n) override;
  int Seek(fsize_t offset) override;
  int AddBlock(fsize_t n) override;  // on an empty CMem: allocates n bytes, all in use
  fsize_t GetMaxSize() override;

  // A heap block of n bytes (zero-filled), size 0. Fails when n < 1 or something is attached.
  int Malloc(fsize_t n);
  // Attaches a caller's buffer of `capacity` bytes, size 0. Fails when something is attached.
  int SetRawBuffer(void* buffer, fsize_t capacity);
  // Attaches a zero-terminated text as the stream's content: size strlen, capacity strlen + 1.
  int SetStr(char* text);
  // Frees an owned block or detaches a caller's buffer.
  void Free();

  char* GetP() { return p; }
  // The content as a zero-terminated text ("" when nothing is attached).
  const char* CStr() const { return p != nullptr ? p : ""; }

 private:
  char* p = nullptr;
  fsize_t size = 0;
  fsize_t offset = 0;
  bool is_self_alloc = false;
  fsize_t max_size = 0;
};

// A CMem over a 2048-byte buffer of its own, the usual holder of a path or a line.
class CMemStack : public CMem {
 public:
  static constexpr fsize_t CAPACITY = 2048;
  CMemStack() { SetRawBuffer(buffer, CAPACITY); }

 private:
  char buffer[CAPACITY] = {};
};
