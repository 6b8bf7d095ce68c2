#include "frontend/gbaconfig.h"

#include <cerrno>
#include <cstring>

#include "core/file_replace.h"
#include "frontend/assertion.h"
#include "frontend/config_path.h"
#include "frontend/mem.h"
#include "frontend/memfile.h"

#define FIELD(name, value) \
  ConfigField { #name, &CGbaConfig::name, value }

const ConfigField CONFIG_FIELDS[CGbaConfig::FIELD_COUNT] = {
    FIELD(screen_dir, 1),   FIELD(show_screen_pad, 1), FIELD(vk_up, 87),
    FIELD(vk_down, 83),     FIELD(vk_left, 65),        FIELD(vk_right, 68),
    FIELD(vk_a, 79),        FIELD(vk_b, 73),           FIELD(vk_l, 75),
    FIELD(vk_r, 76),        FIELD(vk_select, 8),       FIELD(vk_start, 13),
    FIELD(vk_save1, 66),    FIELD(vk_load1, 78),       FIELD(auto_a, 0),
    FIELD(auto_b, 0),       FIELD(frame_skip, 0),      FIELD(vk_switch, 32),
    FIELD(scale, 1),        FIELD(delay_per_frame, 0), FIELD(use_2xsai, 0),
    FIELD(use_kb_hook, 0),  FIELD(sound_on, 0),        FIELD(vk_left_up, 81),
    FIELD(vk_right_up, 69), FIELD(vk_left_down, 90),   FIELD(vk_right_down, 88),
};

// screen_dir .. vk_start, auto_a, auto_b, frame_skip, vk_switch, scale, delay_per_frame,
// use_2xsai, vk_save1, vk_load1, use_kb_hook, sound_on, the four diagonals.
const int CONFIG_READ_ORDER[CGbaConfig::FIELD_COUNT] = {
    0,  1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 14, 15,
    16, 17, 18, 19, 20, 12, 13, 21, 22, 23, 24, 25, 26,
};

#undef FIELD

CGbaConfig g_config;
CGbaConfig g_saved_config;

CGbaConfig::CGbaConfig() { Reset(); }

CGbaConfig::~CGbaConfig() = default;

void CGbaConfig::Reset() {
  for (const ConfigField& field : CONFIG_FIELDS) this->*field.member = field.default_value;
}

int CGbaConfig::CopyFrom(const CGbaConfig* p) {
  ORVANE_CHECK(p, 0);
  for (const ConfigField& field : CONFIG_FIELDS) this->*field.member = p->*field.member;
  return 1;
}

int CGbaConfig::Differs(const CGbaConfig* p) const {
  ORVANE_CHECK(p, 0);
  for (const ConfigField& field : CONFIG_FIELDS)
    if (this->*field.member != p->*field.member) return 1;
  return 0;
}

int CGbaConfig::WriteTo(CFileBase* file) const {
  ORVANE_CHECK(file, 0);
  file->SetSize(0);
  file->Seek(0);
  for (const ConfigField& field : CONFIG_FIELDS)
    file->Printf("%s=%d\r\n", field.key, static_cast<int>(this->*field.member));
  return 1;
}

int CGbaConfig::ReadFrom(CFileBase* file) {
  ORVANE_CHECK(file, 0);
  CMemStack value;  // one buffer shared by all keys
  for (int index : CONFIG_READ_ORDER) {
    const ConfigField& field = CONFIG_FIELDS[index];
    // A missing key gets its default rather than whatever the shared buffer last held, so a
    // file from an older version never shifts values between keys.
    if (file->ReadKeyValue(field.key, ":,=", &value))
      this->*field.member = DecimalToInt(value.CStr());
    else
      this->*field.member = field.default_value;
  }
  return 1;
}

int CGbaConfig::SaveToFile(const char* fn) const {
  ORVANE_CHECK(fn, 0);
  CMemStack text;  // 27 lines of at most 29 bytes
  WriteTo(&text);
  // Never truncate the old file first: a crash or a full disk would lose every setting.
  if (!MakeParentFolders(fn) ||
      !replace_file_contents(fn, reinterpret_cast<const std::uint8_t*>(text.GetP()),
                             static_cast<std::size_t>(text.GetSize()))) {
    debug_output("Write file %s error: %s\r\n", fn, std::strerror(errno));
    report_assertion("file.OpenFile(fn,\"wb+\")", __FILE__, __LINE__);
    return 0;
  }
  return 1;
}

int CGbaConfig::LoadFromFile(const char* fn) {
  ORVANE_CHECK(fn, 0);
  CMemFile mf;
  ORVANE_CHECK(mf.LoadFile(fn), 0);
  return ReadFrom(&mf);
}

// ---- Readers of values that must be in range.

std::int32_t UseScreenDir(std::int32_t screen_dir) {
  return screen_dir == 1 || screen_dir == 2 || screen_dir == 4 ? screen_dir : 1;
}

std::int32_t UseScale(std::int32_t scale) { return scale >= 1 && scale <= 4 ? scale : 1; }

std::int32_t UseDelayPerFrame(std::int32_t delay_per_frame) {
  return delay_per_frame < 1 ? 1 : delay_per_frame;
}

std::int32_t UseFrameSkip(std::int32_t frame_skip) { return frame_skip < 0 ? 0 : frame_skip; }

bool KeyMatches(std::int32_t bound_code, std::int32_t vk) {
  return bound_code >= 0 && bound_code <= 255 && bound_code == vk;
}
