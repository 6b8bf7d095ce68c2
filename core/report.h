#pragma once
// The program-wide channels for failed preconditions and debug messages. The front end installs
// sinks (its log window); until then both go to standard error.

using MessageSink = void (*)(const char* text);

// Formats "assertion fail \"expression\" at file=... line=...\r\n" and hands it to the sink.
void report_assertion(const char* expression, const char* file, int line);
void debug_output(const char* format, ...) __attribute__((format(printf, 1, 2)));

void set_assertion_sink(MessageSink sink);
void set_debug_sink(MessageSink sink);

// Reports the failed condition, as written, and returns `fail_value` from the calling function.
#define ORVANE_CHECK(condition, fail_value)             \
  do {                                                  \
    if (!(condition)) {                                 \
      report_assertion(#condition, __FILE__, __LINE__); \
      return fail_value;                                \
    }                                                   \
  } while (0)
