#include "frontend/mem.h"

#include <cstring>
#include <new>

#include "frontend/assertion.h"

CMem::CMem() = default;

CMem::~CMem() { Free(); }

void CMem::Free() {
  if (is_self_alloc && p != nullptr) {
    ORVANE_TRACE_FREE(p);
    delete[] p;
  }
  p = nullptr;
  is_self_alloc = false;
  size = offset = max_size = 0;
}

int CMem::Malloc(fsize_t n) {
  if (n < 1 || p != nullptr) return 0;
  p = new (std::nothrow) char[static_cast<std::size_t>(n)]();
  ORVANE_CHECK(this->p, 0);
  ORVANE_TRACE_ALLOC(p, "char[]");
  is_self_alloc = true;
  max_size = n;
  size = offset = 0;
  return 1;
}

int CMem::SetRawBuffer(void* buffer, fsize_t capacity) {
  ORVANE_CHECK(this->p == NULL, 0);
  ORVANE_CHECK(buffer && capacity > 0, 0);
  p = static_cast<char*>(buffer);
  is_self_alloc = false;
  max_size = capacity;
  size = offset = 0;
  return 1;
}

int CMem::SetStr(char* text) {
  if (text == nullptr) {
    report_assertion("p", __FILE__, __LINE__);  // the name the log readers know
    return 0;
  }
  fsize_t length = static_cast<fsize_t>(std::strlen(text));
  if (!SetRawBuffer(text, length + 1)) return 0;
  size = length;
  return 1;
}

fsize_t CMem::GetOffset() { return offset; }
fsize_t CMem::GetSize() { return size; }
fsize_t CMem::GetMaxSize() { return max_size; }

fsize_t CMem::Read(void* buffer, fsize_t n) {
  ORVANE_CHECK(this->p, 0);
  if (buffer == nullptr || n <= 0 || offset >= size) return 0;
  fsize_t count = n < size - offset ? n : size - offset;
  std::memcpy(buffer, p + offset, static_cast<std::size_t>(count));
  offset += count;
  return count;
}

fsize_t CMem::Write(const void* buffer, fsize_t n) {
  ORVANE_CHECK(this->p, 0);
  if (buffer == nullptr || n <= 0 || offset >= max_size) return 0;
  fsize_t count = n < max_size - offset ? n : max_size - offset;  // cut at the capacity
  std::memmove(p + offset, buffer, static_cast<std::size_t>(count));
  offset += count;
  if (offset > size) size = offset;
  return count;
}

int CMem::SetSize(fsize_t n) {
  if (p == nullptr && n == 0) return 1;
  ORVANE_CHECK(this->p, 0);
  if (n < 0 || n > max_size) return 0;
  size = n;
  if (offset > size) offset = size;
  return 1;
}

int CMem::Seek(fsize_t to) {
  offset = to < 0 ? 0 : to > size ? size : to;
  return 1;
}

int CMem::AddBlock(fsize_t n) {
  if (p == nullptr) {
    if (!Malloc(n)) return 0;
    size = n;
    return 1;
  }
  if (n < 0 || size + n > max_size) return 0;
  size += n;
  return 1;
}
