#pragma once
// The per-line dispatch: object lists, layer order, and the line paths that the window code
// reuses.

#include <cstdint>

#include "video/renderer.h"

extern const std::uint8_t object_widths[12];  // by shape x 4 + size
extern const std::uint8_t object_heights[12];

// The renderer set of each background slot by video mode; null where the mode has no such layer.
extern const LayerRenderers* const background_renderers[8][4];

void rebuild_object_lines(unsigned mode);
void build_layer_order(unsigned mask);

// The whole line VCOUNT without windows.
void render_line(std::uint16_t* line, std::uint32_t dispcnt);

// Pixels [start, end) of line VCOUNT with only the layers and effects that window flags allow.
void render_span(std::uint16_t* line, unsigned start, unsigned end, std::uint32_t dispcnt,
                 unsigned flags);

// The backdrop over [start, end), brightened or darkened when it is a first target.
void fill_backdrop(std::uint16_t* line, unsigned start, unsigned end);
