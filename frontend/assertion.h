#pragma once
// The front end's precondition channel and allocation trace.
//
// The channel is the program's single one, kept in core/report.h so that the core's reports and
// the front end's reach the same sink: `report_assertion` formats
// "assertion fail \"<condition>\" at file=<path> line=<n>\r\n" and hands it to the sink installed
// with `set_assertion_sink` (standard error when none is); `ORVANE_CHECK(condition, result)`
// reports a failed condition as written in the source and returns `result`. The program goes on.
// Free-form messages of the support library ("Open file %s error!", "Too many pages!") go to the
// same file's debug channel (`debug_output`, sink `set_debug_sink`).

#include "core/report.h"

using AssertionSink = MessageSink;

// The allocation trace: every heap object the front end creates is reported as
// "alloc: addr=0x<address> file=<path> line=<n> obj = <type>\r\n" and every release as
// "free: addr=0x<address> file=<path> line=<n>\r\n". Silent unless a trace sink is installed, or
// the environment variable ORVANE_ALLOC_TRACE names a file, to which the lines are appended.
void trace_alloc(const void* address, const char* file, int line, const char* type);
void trace_free(const void* address, const char* file, int line);

// Installs the sink that receives the trace lines; nullptr goes back to the default (the file
// named by ORVANE_ALLOC_TRACE, or nothing).
void set_allocation_trace_sink(MessageSink sink);

#define ORVANE_TRACE_ALLOC(address, type) trace_alloc((address), __FILE__, __LINE__, (type))
#define ORVANE_TRACE_FREE(address) trace_free((address), __FILE__, __LINE__)
