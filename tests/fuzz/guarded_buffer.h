#pragma once
// A copy of an input that ends exactly where an unreadable page begins, so that a reader that
// goes one byte past the end faults at once, in an ordinary build as well as a sanitized one.

#include <cstddef>
#include <cstdint>
#include <vector>

class GuardedBuffer {
 public:
  explicit GuardedBuffer(const std::vector<std::uint8_t>& bytes);
  ~GuardedBuffer();
  GuardedBuffer(const GuardedBuffer&) = delete;
  GuardedBuffer& operator=(const GuardedBuffer&) = delete;

  char* data() const { return data_; }
  std::size_t size() const { return size_; }

 private:
  void* mapping_ = nullptr;
  std::size_t mapping_size_ = 0;
  char* data_ = nullptr;
  std::size_t size_ = 0;
};
