#include "frontend/game_frame.h"

#include "core/sound/sound_output.h"
#include "core/state.h"
#include "frontend/frame_pacer.h"
#include "frontend/gamepad_input.h"
#include "frontend/present.h"
#include "frontend/sound_device.h"
#include "platform/keys.h"
#include "platform/window_system.h"
#include "video/video.h"

namespace {

SteadyFrameClock steady_clock;
FrameClock* default_clock = &steady_clock;
FramePacer pacer(steady_clock);
std::uint32_t frames_at_last_presentation = 0;
bool fast_forward = false;

}  // namespace

void install_game_frame_hook(FrameClock* clock) {
  pacer = FramePacer(clock != nullptr ? *clock : *default_clock);
  frames_at_last_presentation = machine.frames_done;
  fast_forward = false;
  present_frame_hook = game_frame_presented;
}

void set_default_frame_clock(FrameClock* clock) {
  default_clock = clock != nullptr ? clock : &steady_clock;
}

void remove_game_frame_hook() {
  if (present_frame_hook == game_frame_presented) present_frame_hook = nullptr;
  set_sound_fast_forward(false);
}

void game_frame_presented(const std::uint16_t* frame) {
  present_frame(frame);
  PollGamepads();
  fast_forward = async_key_state(vk::TAB) < 0;
  set_sound_fast_forward(fast_forward);
  // Skipped frames are not presented but take their time all the same.
  std::int64_t frames = machine.frames_done - frames_at_last_presentation;
  frames_at_last_presentation = machine.frames_done;
  if (fast_forward || sound_output_open()) {
    pacer.Restart();
  } else {
    pacer.FramesDone(frames);
  }
}

bool fast_forward_active() { return fast_forward; }
