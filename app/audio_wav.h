#pragma once
// The headless sound device: every buffer the generator submits is appended to a 16-bit stereo
// 44100 Hz WAV file and handed back at once, so the emulation never waits on it.

#include <string>

// Opens the device and starts the recording beside `path`; false (with errno set) when that
// cannot be created.
bool open_wav_audio(const std::string& path);
// Completes the file's header and closes the device; false (errno set) when the file could not be
// written completely, and then no file, not even a partial one, is left at `path`.
bool close_wav_audio();
