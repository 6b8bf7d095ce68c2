#include "frontend/assertion.h"

#include <cstdio>

namespace {

void write_to_standard_error(const char* text) { std::fputs(text, stderr); }

AssertionSink current_sink = write_to_standard_error;

}  // namespace

void set_assertion_sink(AssertionSink sink) {
  current_sink = sink != nullptr ? sink : write_to_standard_error;
}

void report_assertion(const char* condition, const char* file, int line) {
  char text[2048];
  std::snprintf(text, sizeof text, "assertion fail \"%s\" at file=%s line=%d\r\n",
                condition != nullptr ? condition : "", file != nullptr ? file : "", line);
  current_sink(text);
}
