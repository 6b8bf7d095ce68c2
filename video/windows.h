#pragma once
// The window dispatchers, chosen when any of DISPCNT bits 13-15 is set.

#include <cstdint>

void render_line_windowed(std::uint16_t* line, std::uint32_t dispcnt);
void render_line_windowed_bitmap(std::uint16_t* line, std::uint32_t dispcnt);
