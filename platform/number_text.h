#pragma once
// Whole numbers as a person writes them on the command line, in a UI script or in a key script:
// decimal digits, or 0x / 0X and hexadecimal digits. No sign, blank or other character anywhere,
// and a leading 0 is decimal, not octal (the C library's conversions would allow all three).

#include <cstdint>
#include <string_view>

// False for anything else, and for a value above `limit` (the value is then left unchanged).
bool parse_whole_number(std::string_view text, std::uint64_t limit, std::uint64_t& value);

// Decimal digits only: counts and frame numbers.
bool parse_decimal_number(std::string_view text, std::uint64_t limit, std::uint64_t& value);
