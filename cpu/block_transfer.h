#pragma once
// LDM/STM forms that reach the user bank from a privileged mode (the S bit without PC in an
// LDM). Rare enough to run as ordinary code.

#include <cstdint>

// `base` is the transfer's lowest address already adjusted for the addressing mode; the
// registers go to ascending addresses from there. No write-back (the form has none).
void transfer_user_bank(std::uint32_t instruction, std::uint32_t base);
