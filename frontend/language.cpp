#include "frontend/language.h"

#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <iterator>

namespace {

struct TextPair {
  UiText id;
  const char16_t* chinese;
  const char16_t* english;
};

// One row per text, in the order of UiText; the table is checked against it at compile time.
constexpr TextPair TEXTS[] = {
    {UiText::MENU, u"菜单", u"Menu"},
    {UiText::HELP, u"帮助", u"Help"},
    {UiText::LOAD_ROM, u"加载Rom", u"Load ROM"},
    {UiText::SETTINGS, u"设置", u"Settings"},
    {UiText::KEY_SETUP, u"按键设置", u"Keys"},
    {UiText::VIDEO_SETUP, u"显示设置", u"Video"},
    {UiText::SOUND_SETUP, u"声音设置", u"Sound"},
    {UiText::LOAD_STATE, u"快速读档", u"Load state"},
    {UiText::LOAD_1, u"读档1", u"Load 1"},
    {UiText::LOAD_2, u"读档2", u"Load 2"},
    {UiText::LOAD_3, u"读档3", u"Load 3"},
    {UiText::SAVE_STATE, u"快速存档", u"Save state"},
    {UiText::SAVE_1, u"存档1", u"Save 1"},
    {UiText::SAVE_2, u"存档2", u"Save 2"},
    {UiText::SAVE_3, u"存档3", u"Save 3"},
    {UiText::SCREEN_DIR, u"屏幕方向", u"Screen direction"},
    {UiText::DIR_1, u"方向1", u"Direction 1"},
    {UiText::DIR_2, u"方向2", u"Direction 2"},
    {UiText::DIR_3, u"方向3", u"Direction 3"},
    {UiText::RESUME, u"继续", u"Resume"},
    {UiText::EXIT, u"退出", u"Exit"},
    {UiText::ABOUT, u"关于", u"About"},
    {UiText::OK, u"确定", u"OK"},
    {UiText::CANCEL, u"取消", u"Cancel"},
    {UiText::SELECT_KEY, u"选择按键:", u"Button:"},
    {UiText::CURRENT_VALUE, u"当前值:", u"Key:"},
    {UiText::CLEAR, u"清除", u"Clear"},
    {UiText::AUTO_FIRE, u"连射开启", u"Auto-fire"},
    {UiText::SHOW_SCREEN_PAD, u"显示屏幕虚拟按键", u"Show screen pad"},
    {UiText::CAPTURE_ALL_KEYS, u"捕获全部按键", u"Capture all keys"},
    {UiText::KEY_UP, u"上", u"Up"},
    {UiText::KEY_DOWN, u"下", u"Down"},
    {UiText::KEY_LEFT, u"左", u"Left"},
    {UiText::KEY_RIGHT, u"右", u"Right"},
    {UiText::KEY_A, u"A", u"A"},
    {UiText::KEY_B, u"B", u"B"},
    {UiText::KEY_L, u"L", u"L"},
    {UiText::KEY_R, u"R", u"R"},
    {UiText::KEY_SELECT, u"选择键", u"Select"},
    {UiText::KEY_START, u"开始键", u"Start"},
    {UiText::KEY_SWITCH, u"切换键", u"Game/menu switch"},
    {UiText::KEY_SAVE_1, u"存档1", u"Save 1"},
    {UiText::KEY_LOAD_1, u"读档1", u"Load 1"},
    {UiText::KEY_LEFT_UP, u"左上", u"Left+Up"},
    {UiText::KEY_RIGHT_UP, u"右上", u"Right+Up"},
    {UiText::KEY_LEFT_DOWN, u"左下", u"Left+Down"},
    {UiText::KEY_RIGHT_DOWN, u"右下", u"Right+Down"},
    {UiText::PRESS_ANY_KEY, u"请按任意键", u"Press a key"},
    {UiText::FRAME_SKIP, u"跳帧:", u"Frame skip:"},
    {UiText::SCALE_MODE, u"屏幕拉伸方式:", u"Scaling:"},
    {UiText::SCALE_NONE, u"没有拉伸", u"None"},
    {UiText::SCALE_DOUBLE, u"2倍屏幕大小(VGA以上)", u"Double size (VGA and up)"},
    {UiText::SCALE_STRETCH, u"全屏拉伸", u"Full screen"},
    {UiText::SCALE_FIT, u"全屏等比拉伸", u"Full screen, keep aspect"},
    {UiText::USE_2XSAI, u"启用2xSai(慢)", u"Smooth with 2xSaI (slow)"},
    {UiText::DELAY_PER_FRAME, u"每帧延时的周期数:", u"Extra pump cycles a frame:"},
    {UiText::SOUND_ON, u"声音开启", u"Sound on"},
    {UiText::SOUND_MENU, u"Menu", u"Menu"},
    {UiText::CANNOT_LOAD_ROM, u"无法加载Rom", u"Cannot load the ROM"},
    {UiText::SCREENSHOT_SAVED, u"截图已保存", u"Screenshot saved"},
    {UiText::SCREENSHOT_FAILED, u"截图失败", u"Screenshot failed"},
    {UiText::SNAPSHOT_FAILED, u"即时存档未能写入", u"The snapshot was not written"},
    {UiText::SAVE_FAILED, u"游戏存档未能写入", u"The game's save was not written"},
    {UiText::SNAPSHOT_NOT_LOADED, u"即时存档无法读取", u"The snapshot could not be loaded"},
    {UiText::GAME_STOPPED, u"游戏已停止", u"The game stopped"},
};

constexpr bool table_in_order() {
  for (std::size_t i = 0; i < std::size(TEXTS); ++i) {
    if (static_cast<std::size_t>(TEXTS[i].id) != i) return false;
  }
  return std::size(TEXTS) == static_cast<std::size_t>(UiText::COUNT);
}
static_assert(table_in_order(), "one row per UiText, in its order");

Language current = Language::CHINESE;

}  // namespace

void SetLanguage(Language language) { current = language; }
Language CurrentLanguage() { return current; }

const char16_t* TextIn(Language language, UiText id) {
  auto index = static_cast<std::size_t>(id);
  if (index >= std::size(TEXTS)) return u"";
  return language == Language::CHINESE ? TEXTS[index].chinese : TEXTS[index].english;
}

const char16_t* Text(UiText id) { return TextIn(current, id); }

Language LanguageFromLocale(const char* lc_all, const char* lc_messages, const char* lang) {
  for (const char* value : {lc_all, lc_messages, lang}) {
    if (value != nullptr && value[0] != '\0') {
      return std::strncmp(value, "zh", 2) == 0 ? Language::CHINESE : Language::ENGLISH;
    }
  }
  return Language::ENGLISH;  // no locale at all is the POSIX one
}

Language LanguageFromEnvironment() {
  return LanguageFromLocale(std::getenv("LC_ALL"), std::getenv("LC_MESSAGES"), std::getenv("LANG"));
}

bool ParseLanguage(const char* text, Language& language) {
  if (text == nullptr) return false;
  if (std::strcmp(text, "zh") == 0) {
    language = Language::CHINESE;
    return true;
  }
  if (std::strcmp(text, "en") == 0) {
    language = Language::ENGLISH;
    return true;
  }
  return false;
}
