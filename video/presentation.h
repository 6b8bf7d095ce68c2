#pragma once
// Putting the console's 240 x 160 frame on the device screen: at 1x, doubled, stretched or fitted
// with the console's aspect ratio, in one of three directions, optionally smoothed. The frame and
// the screen share the 16-bit 5-6-5 format, so pixels are copied unchanged, straight into the
// locked screen memory.

#include <cstddef>
#include <cstdint>
#include <vector>

constexpr int FRAME_WIDTH = 240;
constexpr int FRAME_HEIGHT = 160;
constexpr std::uint16_t LAST_FRAME_PIXEL = FRAME_WIDTH * FRAME_HEIGHT - 1;

// The `scale` setting; any other value shows the picture at 1x.
enum ScaleMode : int { SCALE_1X = 1, SCALE_2X = 2, SCALE_STRETCH = 3, SCALE_FIT = 4 };

// The `screen_dir` setting. 2: the picture's top edge runs along the screen's left side; 4: along
// its right side. Any other value is treated as 1.
enum ScreenDirection : int {
  DIRECTION_UPRIGHT = 1,
  DIRECTION_TOP_LEFT = 2,
  DIRECTION_TOP_RIGHT = 4
};

// Locked screen memory: pitches in pixels, as the lock gives them in bytes halved.
struct ScreenView {
  std::uint16_t* pixels;
  int width;
  int height;
  int x_pitch;
  int row_pitch;
};

struct OutputSize {
  int width;  // along the picture's rows, whatever the direction
  int height;
};

// Where the first output pixel goes and how to step to the next pixel of its row and to the next
// row, in pixels of screen memory.
struct Placement {
  std::ptrdiff_t first;
  std::ptrdiff_t pixel_step;
  std::ptrdiff_t row_step;
};

// A rectangle of the screen, in pixels along its own axes.
struct ScreenRect {
  int x;
  int y;
  int width;
  int height;
};

// One source index per output pixel of the stretched and fitted modes, in output row order.
using ScaleTable = std::vector<std::uint16_t>;

ScaleMode scale_mode_of(int scale);
ScreenDirection direction_of(int screen_dir);

// The largest size of ratio 240:160 within w x h.
OutputSize fit_size(int w, int h);

// The picture's size on a W x H screen. A mode whose picture would not fit on the screen in the
// given direction falls back to the fitted size rather than draw outside the screen.
OutputSize output_size(ScaleMode mode, ScreenDirection direction, int screen_width,
                       int screen_height);

Placement place_output(OutputSize out, ScreenDirection direction, const ScreenView& screen);

// Fill `table` for the fitted or stretched picture on a W x H screen in `direction`.
void build_scale_table_fit(ScaleTable& table, ScreenDirection direction, int screen_width,
                           int screen_height);
void build_scale_table_stretch(ScaleTable& table, ScreenDirection direction, int screen_width,
                               int screen_height);

// 2xSaI-type interpolation at any factor, 16.16 fixed point. Steps are in bytes. Reads outside
// the source take the nearest edge pixel. Returns the columns and rows written, which may fall
// one short of out_w x out_h where the steps are exact.
OutputSize smooth_scale(const std::uint16_t* src, int src_pitch, std::uint16_t* dst,
                        std::ptrdiff_t dst_row_step, std::ptrdiff_t dst_pixel_step, int out_w,
                        int out_h, int src_w, int src_h);

// What the presentation reads of the settings.
struct PresentSettings {
  int scale;
  int screen_dir;
  bool smooth;
};

// Builds the table draw_frame needs for these settings on a W x H screen: the stretched or fitted
// one, also when a 1x or 2x picture does not fit the screen and is fitted instead.
void build_scale_table_for(ScaleTable& table, const PresentSettings& settings, int screen_width,
                           int screen_height);

// Writes the frame (240 x 160) into the screen as the settings say. Scaled pictures use `table`,
// built for the same settings and screen; a table of another size draws nothing. Returns the
// rectangle written, every pixel of it, so that a caller can clear just the rest.
ScreenRect draw_frame(const std::uint16_t* frame, const ScreenView& screen,
                      const PresentSettings& settings, const ScaleTable& table);
