#pragma once
// The settings record and its file. The file is text in UTF-8, one "key=value" line
// with CR LF per setting, in a fixed key order, without header or comments.
//
// Values from the file are kept unchanged, whatever 32-bit value they hold. Every reader that
// needs a value in range goes through the Use* functions below, which say what an out-of-range
// value means; they are the only places where such values are interpreted.

#include <cstdint>

#include "frontend/filebase.h"

class CGbaConfig {
 public:
  static constexpr int FIELD_COUNT = 27;

  CGbaConfig();
  virtual ~CGbaConfig();
  CGbaConfig(const CGbaConfig&) = default;
  CGbaConfig& operator=(const CGbaConfig&) = default;

  void Reset();                            // every field to its default
  int CopyFrom(const CGbaConfig* p);       // "p" and 0 for null
  int Differs(const CGbaConfig* p) const;  // 1 when any field differs; "p" and 0 for null
  int WriteTo(CFileBase* file) const;      // empties the stream, writes the 27 lines
  // Looks every key up in the stream's text (see ReadKeyValue). A key the text lacks gets its
  // default.
  int ReadFrom(CFileBase* file);
  // Writes the file through a temporary file beside it that replaces the old one only once
  // complete and flushed; missing folders of the path are created. On failure the old file stays
  // as it was, the reason goes to the debug channel and "file.OpenFile(fn,\"wb+\")" is reported.
  int SaveToFile(const char* fn) const;
  // Reads the file; on failure ("Open file %s error!", "mf.LoadFile(fn)") the record is unchanged.
  int LoadFromFile(const char* fn);

  // The fields in the record's order, each a signed 32-bit integer.
  std::int32_t screen_dir;
  std::int32_t show_screen_pad;
  std::int32_t vk_up;
  std::int32_t vk_down;
  std::int32_t vk_left;
  std::int32_t vk_right;
  std::int32_t vk_a;
  std::int32_t vk_b;
  std::int32_t vk_l;
  std::int32_t vk_r;
  std::int32_t vk_select;
  std::int32_t vk_start;
  std::int32_t vk_save1;
  std::int32_t vk_load1;
  std::int32_t vk_left_up;
  std::int32_t vk_right_up;
  std::int32_t vk_left_down;
  std::int32_t vk_right_down;
  std::int32_t auto_a;
  std::int32_t auto_b;
  std::int32_t frame_skip;
  std::int32_t vk_switch;
  std::int32_t scale;
  std::int32_t delay_per_frame;
  std::int32_t use_2xsai;
  std::int32_t use_kb_hook;
  std::int32_t sound_on;
};

// One field: its key in the file, where it lives in the record and its default.
struct ConfigField {
  const char* key;
  std::int32_t CGbaConfig::*member;
  std::int32_t default_value;
};
// The fields in the order the file is written in, and the order in which the reader
// looks the keys up (indices into CONFIG_FIELDS).
extern const ConfigField CONFIG_FIELDS[CGbaConfig::FIELD_COUNT];
extern const int CONFIG_READ_ORDER[CGbaConfig::FIELD_COUNT];

// The live settings, read by input, video and sound, and the settings as the file last held them.
extern CGbaConfig g_config;
extern CGbaConfig g_saved_config;

// ---- Readers of values that must be in range. Any 32-bit value is safe to pass.

// Screen direction (picture rotation, pad layout): 1, 2 or 4; anything else acts as 1.
std::int32_t UseScreenDir(std::int32_t screen_dir);
// Scaling mode: 1 to 4; anything else acts as 1 (no stretch).
std::int32_t UseScale(std::int32_t scale);
// Message-pump cycles per presented frame: below 1 counts as 1.
std::int32_t UseDelayPerFrame(std::int32_t delay_per_frame);
// Frames drawn one in N: a negative value acts as 0 (every frame).
std::int32_t UseFrameSkip(std::int32_t frame_skip);
// Whether a bound virtual-key code names key `vk`: a code outside 0-255 never matches.
bool KeyMatches(std::int32_t bound_code, std::int32_t vk);
