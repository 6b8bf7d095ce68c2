#include "core/report.h"

#include <cstdarg>
#include <cstdio>

namespace {

void to_stderr(const char* text) { std::fputs(text, stderr); }

MessageSink assertion_sink = to_stderr;
MessageSink debug_sink = to_stderr;

}  // namespace

void report_assertion(const char* expression, const char* file, int line) {
  char text[2048];  // room for a long source path; a longer report is cut, never overrun
  std::snprintf(text, sizeof text, "assertion fail \"%s\" at file=%s line=%d\r\n",
                expression != nullptr ? expression : "", file != nullptr ? file : "", line);
  assertion_sink(text);
}

void debug_output(const char* format, ...) {
  char text[512];
  va_list args;
  va_start(args, format);
  std::vsnprintf(text, sizeof text, format, args);
  va_end(args);
  debug_sink(text);
}

void set_assertion_sink(MessageSink sink) { assertion_sink = sink != nullptr ? sink : to_stderr; }
void set_debug_sink(MessageSink sink) { debug_sink = sink != nullptr ? sink : to_stderr; }
