// The message queue: post, send, peek, translate, dispatch, and the default processing.
#include <algorithm>

#include "platform/desktop.h"
#include "platform/keys.h"
#include "platform/messages.h"

namespace {

char16_t punctuation(unsigned key, bool shift) {
  struct Pair {
    unsigned key;
    char16_t plain, shifted;
  };
  static constexpr Pair table[] = {
      {vk::SEMICOLON, u';', u':'},     {vk::EQUALS, u'=', u'+'},       {vk::COMMA, u',', u'<'},
      {vk::MINUS, u'-', u'_'},         {vk::PERIOD, u'.', u'>'},       {vk::SLASH, u'/', u'?'},
      {vk::GRAVE, u'`', u'~'},         {vk::LEFT_BRACKET, u'[', u'{'}, {vk::BACKSLASH, u'\\', u'|'},
      {vk::RIGHT_BRACKET, u']', u'}'}, {vk::APOSTROPHE, u'\'', u'"'},  {vk::MULTIPLY, u'*', u'*'},
      {vk::ADD, u'+', u'+'},           {vk::SUBTRACT, u'-', u'-'},     {vk::DECIMAL, u'.', u'.'},
      {vk::DIVIDE, u'/', u'/'},
  };
  for (const Pair& p : table) {
    if (p.key == key) return shift ? p.shifted : p.plain;
  }
  return 0;
}

// The character a key types, or 0.
char16_t character_for_key(unsigned key, bool shift) {
  static constexpr char16_t shifted_digits[] = u")!@#$%^&*(";
  if (key >= 'A' && key <= 'Z') return static_cast<char16_t>(shift ? key : key + 32);
  if (key >= '0' && key <= '9')
    return shift ? shifted_digits[key - '0'] : static_cast<char16_t>(key);
  if (key >= vk::NUMPAD0 && key <= vk::NUMPAD0 + 9)
    return static_cast<char16_t>(u'0' + key - vk::NUMPAD0);
  switch (key) {
    case vk::SPACE: return u' ';
    case vk::BACK: return 8;
    case vk::TAB: return 9;
    case vk::RETURN: return 13;
    case vk::ESCAPE: return 27;
    default: return punctuation(key, shift);
  }
}

LResult copy_text(const std::u16string& text, WParam capacity, LParam buffer) {
  auto* out = reinterpret_cast<char16_t*>(buffer);
  if (out == nullptr || capacity == 0) return 0;
  std::size_t n = std::min<std::size_t>(text.size(), capacity - 1);
  std::copy_n(text.data(), n, out);
  out[n] = 0;
  return static_cast<LResult>(n);
}

}  // namespace

bool post_message(WindowHandle window, unsigned message, WParam wparam, LParam lparam) {
  Desktop* d = desktop();
  if (d == nullptr || !is_window(window) || d->queue.size() >= MESSAGE_QUEUE_CAPACITY) return false;
  d->queue.push_back({window, message, wparam, lparam});
  return true;
}

LResult send_message(WindowHandle window, unsigned message, WParam wparam, LParam lparam) {
  WindowRecord* w = find_window(window);
  if (w == nullptr) return 0;
  return w->window_class->procedure(window, message, wparam, lparam);
}

bool peek_message(Message& message, bool remove) {
  Desktop* d = desktop();
  if (d == nullptr || d->queue.empty()) return false;
  message = d->queue.front();
  if (remove) d->queue.pop_front();
  return true;
}

bool translate_message(const Message& message) {
  if (message.message != msg::KEY_DOWN) return false;
  bool shift = async_key_state(vk::SHIFT) < 0;
  char16_t c = character_for_key(static_cast<unsigned>(message.wparam), shift);
  if (c == 0) return false;
  return post_message(message.window, msg::CHARACTER, c, message.lparam);
}

LResult dispatch_message(const Message& message) {
  return send_message(message.window, message.message, message.wparam, message.lparam);
}

LResult default_window_procedure(WindowHandle window, unsigned message, WParam wparam,
                                 LParam lparam) {
  WindowRecord* w = find_window(window);
  if (w == nullptr) return 0;
  switch (message) {
    case msg::CLOSE: destroy_window(window); return 0;
    case msg::SET_TEXT: {
      auto* text = reinterpret_cast<const char16_t*>(lparam);
      std::u16string_view view =
          text != nullptr ? std::u16string_view(text) : std::u16string_view();
      w->text.assign(view.substr(0, std::min(view.size(), MAX_WINDOW_TEXT)));
      invalidate_window(window);
      return 1;
    }
    case msg::GET_TEXT: return copy_text(w->text, wparam, lparam);
    case msg::GET_TEXT_LENGTH: return static_cast<LResult>(w->text.size());
    case msg::HIT_TEST: return 1;
    default: return 0;
  }
}
