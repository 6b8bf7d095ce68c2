#pragma once
// The front end's precondition channel: a failed check is formatted as
// "assertion fail \"<condition>\" at file=<path> line=<n>\r\n" and handed to the installed sink
// (standard error when none is installed); the program goes on and the operation returns 0.

using AssertionSink = void (*)(const char* text);

// Installs the sink that receives every report; nullptr restores the default.
void set_assertion_sink(AssertionSink sink);

// Formats one report (cut to 2048 bytes) and hands it to the sink.
void report_assertion(const char* condition, const char* file, int line);

// Checks `condition`; when it fails, reports it as written in the source and returns `result`
// from the calling function.
#define ORVANE_CHECK(condition, result)                    \
  do {                                                     \
    if (!(condition)) {                                    \
      report_assertion(#condition, __FILE__, __LINE__);    \
      return result;                                       \
    }                                                      \
  } while (0)
