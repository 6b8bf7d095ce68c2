#include "video/video.h"

void video_scanline() {}
void video_frame_end() {}
