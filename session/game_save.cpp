#include "session/game_save.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "core/file_replace.h"
#include "core/regular_file.h"
#include "core/save/save_file.h"
#include "core/save/save_path.h"

namespace {

// `keep` is false when the name cannot be built, or when a file is there but could not be read:
// writing would replace a save the player may still want.
struct GameSave {
  char path[SAVE_PATH_MAX];
  bool keep;
};
GameSave game_save;

// Said before the run, while the player can still choose another folder; the run goes on, since
// many games never save.
void warn_if_save_cannot_be_written(void (*notice)(const char*)) {
  if (can_replace(game_save.path)) return;
  char text[SAVE_PATH_MAX + 200];
  std::snprintf(text, sizeof text,
                "%s: this game's save cannot be written there (%s); choose a folder for it with "
                "--save-dir DIR",
                game_save.path, std::strerror(errno));
  notice(text);
}

}  // namespace

void read_game_save(const char* rom_path, const char* save_dir, void (*notice)(const char*)) {
  char text[SAVE_PATH_MAX + 200];
  game_save.keep = make_save_path(rom_path, save_dir, game_save.path, SAVE_PATH_MAX) != 0;
  if (!game_save.keep) {
    erase_backup_memory();
    std::string why = std::string(rom_path) + ": the save file's name would be longer than " +
                      std::to_string(SAVE_PATH_MAX - 1) +
                      " bytes; this game's save will be neither read nor written";
    notice(why.c_str());
    return;
  }
  if (load_save_file(game_save.path) || errno == ENOENT) {
    warn_if_save_cannot_be_written(notice);
    return;
  }
  game_save.keep = false;
  std::snprintf(text, sizeof text, "%s: cannot be read (%s); it will not be overwritten",
                game_save.path, regular_file_error_text(errno));
  notice(text);
}

bool write_game_save(void (*notice)(const char*)) {
  if (save_file_size() == 0) return true;  // the game never used its save memory
  if (!game_save.keep) {
    notice("the game's save was not written (see above)");
    return false;
  }
  if (write_save_file(game_save.path)) return true;
  char text[SAVE_PATH_MAX + 200];
  std::snprintf(text, sizeof text,
                "%s: the save could not be written (%s); the previous file is unchanged",
                game_save.path, std::strerror(errno));
  notice(text);
  return false;
}
