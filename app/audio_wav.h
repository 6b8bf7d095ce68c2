#pragma once
// The headless sound device: every buffer the generator submits is appended to a 16-bit stereo
// 44100 Hz WAV file and handed back at once, so the emulation never waits on it.

#include <string>

#include "core/sound/sound_output.h"

// The device, for the session's hooks: each buffer goes into the recording, if one was begun.
const SoundOutputDevice* wav_audio_device();

// Starts the recording beside `path`; false (with errno set) when that cannot be created.
bool open_wav_audio(const std::string& path);
// Completes the file's header; after the game has ended. False (errno set) when the file could not
// be written completely, and then no file, not even a partial one, is left at `path`.
bool close_wav_audio();
