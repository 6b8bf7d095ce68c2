#include "tests/fuzz/guarded_buffer.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

GuardedBuffer::GuardedBuffer(const std::vector<std::uint8_t>& bytes) : size_(bytes.size()) {
  std::size_t page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
  std::size_t data_pages = (size_ + page - 1) / page;
  mapping_size_ = (data_pages + 1) * page;
  mapping_ =
      mmap(nullptr, mapping_size_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (mapping_ == MAP_FAILED) std::abort();
  char* guard = static_cast<char*>(mapping_) + data_pages * page;
  if (mprotect(guard, page, PROT_NONE) != 0) std::abort();
  data_ = guard - size_;
  if (size_ > 0) std::memcpy(data_, bytes.data(), size_);
}

GuardedBuffer::~GuardedBuffer() { munmap(mapping_, mapping_size_); }
