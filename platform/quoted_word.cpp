#include "platform/quoted_word.h"

#include <cstdio>

namespace {
constexpr std::size_t LONGEST_QUOTE = 40;
}

std::string quoted_word(const std::string& word) {
  std::string quoted = "\"";
  for (std::size_t i = 0; i < word.size() && i < LONGEST_QUOTE; ++i) {
    auto byte = static_cast<unsigned char>(word[i]);
    if (byte >= 0x20 && byte < 0x7F && byte != '"' && byte != '\\') {
      quoted += static_cast<char>(byte);
      continue;
    }
    char escape[5];
    std::snprintf(escape, sizeof escape, "\\x%02X", byte);
    quoted += escape;
  }
  if (word.size() > LONGEST_QUOTE) quoted += "...";
  return quoted + "\"";
}
