#include "disassembly_text.h"

#include <cstdarg>
#include <cstdio>

std::string format(const char* pattern, ...) {
  char buffer[160];
  va_list args;
  va_start(args, pattern);
  std::vsnprintf(buffer, sizeof buffer, pattern, args);
  va_end(args);
  return buffer;
}
