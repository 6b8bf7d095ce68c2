#pragma once
// The program's user-interface texts in Chinese, the original language, and in English, chosen
// once at start-up from the command line or the locale.

#include <cstdint>

enum class Language { CHINESE, ENGLISH };

enum class UiText : std::uint8_t {
  // The main window and its menus.
  MENU,
  HELP,
  LOAD_ROM,
  SETTINGS,
  KEY_SETUP,
  VIDEO_SETUP,
  SOUND_SETUP,
  LOAD_STATE,
  LOAD_1,
  LOAD_2,
  LOAD_3,
  SAVE_STATE,
  SAVE_1,
  SAVE_2,
  SAVE_3,
  SCREEN_DIR,
  DIR_1,
  DIR_2,
  DIR_3,
  RESUME,
  EXIT,
  ABOUT,
  // The settings dialogs.
  OK,
  CANCEL,
  SELECT_KEY,
  CURRENT_VALUE,
  CLEAR,
  AUTO_FIRE,
  SHOW_SCREEN_PAD,
  CAPTURE_ALL_KEYS,
  KEY_UP,
  KEY_DOWN,
  KEY_LEFT,
  KEY_RIGHT,
  KEY_A,
  KEY_B,
  KEY_L,
  KEY_R,
  KEY_SELECT,
  KEY_START,
  KEY_SWITCH,
  KEY_SAVE_1,
  KEY_LOAD_1,
  KEY_LEFT_UP,
  KEY_RIGHT_UP,
  KEY_LEFT_DOWN,
  KEY_RIGHT_DOWN,
  PRESS_ANY_KEY,
  FRAME_SKIP,
  SCALE_MODE,
  SCALE_NONE,
  SCALE_DOUBLE,
  SCALE_STRETCH,
  SCALE_FIT,
  USE_2XSAI,
  DELAY_PER_FRAME,
  SOUND_ON,
  SOUND_MENU,
  // Messages of the shell.
  CANNOT_LOAD_ROM,
  SCREENSHOT_SAVED,
  SCREENSHOT_FAILED,
  SNAPSHOT_FAILED,
  SAVE_FAILED,
  SNAPSHOT_NOT_LOADED,
  GAME_STOPPED,
  COUNT
};

void SetLanguage(Language language);
Language CurrentLanguage();

// The text in the current language, never null.
const char16_t* Text(UiText id);
// The text in a given language (tests compare the two tables through this).
const char16_t* TextIn(Language language, UiText id);

// The language the locale asks for: the first of LC_ALL, LC_MESSAGES and LANG that is set and not
// empty decides, as POSIX orders them; Chinese when it names Chinese ("zh..."), else English.
// Any argument may be null.
Language LanguageFromLocale(const char* lc_all, const char* lc_messages, const char* lang);
// The same from the process's environment.
Language LanguageFromEnvironment();
// "zh" or "en" from the command line; false for anything else.
bool ParseLanguage(const char* text, Language& language);
