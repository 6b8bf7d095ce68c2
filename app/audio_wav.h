#pragma once
// The headless sound device: every buffer the generator submits is appended to a 16-bit stereo
// 44100 Hz WAV file and handed back at once, so the emulation never waits on it.

#include <string>

// Creates `path` and opens the device; false (with errno set) when the file cannot be created.
bool open_wav_audio(const std::string& path);
// Completes the file's header and closes the device; false when the file could not be written.
bool close_wav_audio();
