#pragma once
// Collects what the assertion, debug and allocation-trace channels receive during a test.

#include <string>

#include "frontend/assertion.h"

class ChannelCapture {
 public:
  ChannelCapture() {
    text().clear();
    set_assertion_sink(append);
    set_debug_sink(append);
  }
  ~ChannelCapture() {
    set_assertion_sink(nullptr);
    set_debug_sink(nullptr);
  }
  ChannelCapture(const ChannelCapture&) = delete;
  ChannelCapture& operator=(const ChannelCapture&) = delete;

  static std::string& text() {
    static std::string collected;
    return collected;
  }
  static void append(const char* piece) { text() += piece; }
  std::string take() {
    std::string out = text();
    text().clear();
    return out;
  }
};
