#include "frontend/assertion.h"

#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

// The file named by ORVANE_ALLOC_TRACE, opened at the first trace line; null when unset.
void trace_to_environment_file(const char* text) {
  static std::FILE* stream = [] {
    const char* path = std::getenv("ORVANE_ALLOC_TRACE");
    return path != nullptr && path[0] != '\0' ? std::fopen(path, "ab") : nullptr;
  }();
  if (stream == nullptr) return;
  std::fputs(text, stream);
  std::fflush(stream);
}

MessageSink trace_sink = trace_to_environment_file;

}  // namespace

void trace_alloc(const void* address, const char* file, int line, const char* type) {
  char text[1024];
  std::snprintf(text, sizeof text, "alloc: addr=0x%" PRIxPTR " file=%s line=%d obj = %s\r\n",
                reinterpret_cast<std::uintptr_t>(address), file != nullptr ? file : "", line,
                type != nullptr ? type : "");
  trace_sink(text);
}

void trace_free(const void* address, const char* file, int line) {
  char text[1024];
  std::snprintf(text, sizeof text, "free: addr=0x%" PRIxPTR " file=%s line=%d\r\n",
                reinterpret_cast<std::uintptr_t>(address), file != nullptr ? file : "", line);
  trace_sink(text);
}

void set_allocation_trace_sink(MessageSink sink) {
  trace_sink = sink != nullptr ? sink : trace_to_environment_file;
}
