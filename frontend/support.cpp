#include "frontend/support.h"

#include <chrono>

void MemCopy(void* target, const void* source, std::size_t n) {
  auto* to = static_cast<unsigned char*>(target);
  const auto* from = static_cast<const unsigned char*>(source);
  for (std::size_t i = 0; i < n; i++) to[i] = from[i];
}

std::uint32_t GetMilliseconds() {
  auto now = std::chrono::steady_clock::now().time_since_epoch();
  return static_cast<std::uint32_t>(
      std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}
