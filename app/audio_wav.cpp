#include "app/audio_wav.h"

#include <unistd.h>

#include <cstdint>

#include "core/file_replace.h"
#include "core/sound/sound.h"
#include "core/sound/sound_output.h"

namespace {

constexpr std::uint32_t CHANNELS = 2;
constexpr std::uint32_t BYTES_PER_FRAME = CHANNELS * 2;
constexpr long HEADER_BYTES = 44;

// The recording goes to a temporary file that takes the target's name only once complete, so a
// full disk or a kill never leaves a truncated WAV behind.
PendingFile wav_file;
bool recording = false;
std::uint32_t data_bytes = 0;
bool write_failed = false;

void put16(std::uint8_t* at, std::uint32_t value) {
  at[0] = static_cast<std::uint8_t>(value);
  at[1] = static_cast<std::uint8_t>(value >> 8);
}

void put32(std::uint8_t* at, std::uint32_t value) {
  put16(at, value & 0xFFFF);
  put16(at + 2, value >> 16);
}

// The RIFF header for `bytes` of sample data.
bool write_header(std::uint32_t bytes) {
  std::uint8_t header[HEADER_BYTES] = {'R', 'I', 'F', 'F', 0,   0,   0,  0, 'W', 'A',
                                       'V', 'E', 'f', 'm', 't', ' ', 16, 0, 0,   0};
  put32(header + 4, 36 + bytes);
  put16(header + 20, 1);  // PCM
  put16(header + 22, CHANNELS);
  put32(header + 24, SOUND_OUTPUT_RATE);
  put32(header + 28, SOUND_OUTPUT_RATE * BYTES_PER_FRAME);
  put16(header + 32, BYTES_PER_FRAME);
  put16(header + 34, 16);
  header[36] = 'd';
  header[37] = 'a';
  header[38] = 't';
  header[39] = 'a';
  put32(header + 40, bytes);
  return lseek(wav_file.fd, 0, SEEK_SET) == 0 && write_pending(wav_file, header, sizeof header);
}

void play_into_file(int index, const std::uint8_t* data) {
  // After a failure nothing more is written: the file is abandoned at the end anyway.
  if (recording && !write_failed) {
    if (write_pending(wav_file, data, SOUND_BUFFER_BYTES)) {
      data_bytes += SOUND_BUFFER_BYTES;
    } else {
      write_failed = true;
    }
  }
  mark_sound_buffer_done(index);
}

const SoundOutputDevice wav_device = {play_into_file};

}  // namespace

bool open_wav_audio(const std::string& path) {
  if (!begin_replacing(path.c_str(), wav_file)) return false;
  recording = true;
  data_bytes = 0;
  write_failed = !write_header(0);
  return true;
}

const SoundOutputDevice* wav_audio_device() { return &wav_device; }

bool close_wav_audio() {
  if (!recording) return true;
  recording = false;
  if (!write_failed && write_header(data_bytes)) return commit_pending(wav_file) != 0;
  abandon_pending(wav_file);
  return false;
}
