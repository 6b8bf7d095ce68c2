#pragma once
// Window style bits and the creation defaults.

#include <cstdint>

namespace style {
constexpr std::uint32_t CHILD = 0x40000000;
constexpr std::uint32_t VISIBLE = 0x10000000;
constexpr std::uint32_t DISABLED = 0x08000000;  // bit 27
constexpr std::uint32_t CAPTION = 0x00C00000;
constexpr std::uint32_t BORDER = 0x00800000;
constexpr std::uint32_t VSCROLL = 0x00200000;
constexpr std::uint32_t HSCROLL = 0x00100000;
constexpr std::uint32_t TAB_STOP = 0x00010000;

// Static text alignment (low bits).
constexpr std::uint32_t TEXT_LEFT = 0;
constexpr std::uint32_t TEXT_CENTER = 1;
constexpr std::uint32_t TEXT_RIGHT = 2;

// Button kinds (low four bits).
constexpr std::uint32_t PUSH_BUTTON = 0;
constexpr std::uint32_t DEFAULT_PUSH_BUTTON = 1;
constexpr std::uint32_t CHECK_BOX = 2;
constexpr std::uint32_t AUTO_CHECK_BOX = 3;
constexpr std::uint32_t BUTTON_KIND_MASK = 0xF;

// Edit boxes.
constexpr std::uint32_t EDIT_MULTILINE = 0x4;
constexpr std::uint32_t EDIT_AUTO_HSCROLL = 0x80;

// Combo boxes.
constexpr std::uint32_t COMBO_DROPDOWN = 2;
constexpr std::uint32_t COMBO_DROPDOWN_LIST = 3;
}  // namespace style

// A position or size the window system chooses.
constexpr int USE_DEFAULT = static_cast<int>(0x80000000u);
