#include "platform/number_text.h"

namespace {

int digit_value(char c, unsigned base) {
  int digit = -1;
  if (c >= '0' && c <= '9') digit = c - '0';
  if (c >= 'a' && c <= 'f') digit = c - 'a' + 10;
  if (c >= 'A' && c <= 'F') digit = c - 'A' + 10;
  return digit >= 0 && static_cast<unsigned>(digit) < base ? digit : -1;
}

bool parse_digits(std::string_view digits, unsigned base, std::uint64_t limit,
                  std::uint64_t& value) {
  if (digits.empty()) return false;
  std::uint64_t parsed = 0;
  for (char c : digits) {
    int digit = digit_value(c, base);
    if (digit < 0 || static_cast<std::uint64_t>(digit) > limit ||
        parsed > (limit - static_cast<std::uint64_t>(digit)) / base) {
      return false;
    }
    parsed = parsed * base + static_cast<std::uint64_t>(digit);
  }
  value = parsed;
  return true;
}

bool has_hex_prefix(std::string_view text) {
  return text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
}

}  // namespace

bool parse_whole_number(std::string_view text, std::uint64_t limit, std::uint64_t& value) {
  if (has_hex_prefix(text)) return parse_digits(text.substr(2), 16, limit, value);
  return parse_digits(text, 10, limit, value);
}

bool parse_decimal_number(std::string_view text, std::uint64_t limit, std::uint64_t& value) {
  return !has_hex_prefix(text) && parse_digits(text, 10, limit, value);
}
