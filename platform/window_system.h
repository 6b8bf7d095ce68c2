#pragma once
// The window system: window classes and windows, the message queue, focus, activation, the
// asynchronous key state and the screen's metrics. One instance per process, opened over a back
// end.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/colors.h"
#include "platform/surface.h"
#include "platform/types.h"

class Backend;

// --- Opening ---------------------------------------------------------------------------------

constexpr int DEFAULT_SCREEN_WIDTH = 240;
constexpr int DEFAULT_SCREEN_HEIGHT = 320;
constexpr int MIN_SCREEN_SIDE = 160;
constexpr int MAX_SCREEN_SIDE = 2048;

// Opens the window system over `backend` with a device screen of width x height. Fails (false)
// when one is already open or the size is outside MIN_SCREEN_SIDE..MAX_SCREEN_SIDE.
bool open_window_system(Backend& backend, int width, int height);
// Destroys every window and menu and forgets the classes.
void close_window_system();
bool window_system_is_open();
Backend* current_backend();

// --- Classes and windows -------------------------------------------------------------------

constexpr Color NO_BACKGROUND = 0x0001;  // the class paints its whole client area itself

struct WindowClass {
  std::u16string_view name;  // compared without regard to letter case
  WindowProcedure procedure = nullptr;
  Color background = color::WHITE;
};
// False for an empty name, no procedure, or a name already registered.
bool register_window_class(const WindowClass& window_class);

struct CreateWindowRequest {
  std::u16string_view class_name;
  std::u16string_view title;
  std::uint32_t style = 0;
  std::uint32_t ex_style = 0;
  int x = 0, y = 0, width = 0, height = 0;  // USE_DEFAULT lets the system choose
  WindowHandle parent = NO_WINDOW;          // required with the child style
  unsigned number = 0;                      // a child's command number
  void* instance = nullptr;
};

// Creates the window, sends it create (1) and size (5), and activates a visible top-level window.
// NO_WINDOW for an unknown class, a child without a live parent, or a creation handler that
// returns -1.
WindowHandle create_window(const CreateWindowRequest& request);
// Sends destroy (2) to the window and its descendants and forgets them. False for a dead handle.
bool destroy_window(WindowHandle window);
bool is_window(WindowHandle window);

// The longest window text kept; longer texts are cut.
constexpr std::size_t MAX_WINDOW_TEXT = 1024;

std::u16string window_text(WindowHandle window);
std::u16string window_class_name(WindowHandle window);
std::uint32_t window_style(WindowHandle window);
bool set_window_style(WindowHandle window, std::uint32_t style);
unsigned window_number(WindowHandle window);
WindowHandle parent_window(WindowHandle window);
std::vector<WindowHandle> child_windows(WindowHandle window);
WindowHandle child_by_number(WindowHandle parent, unsigned number);
WindowHandle top_level_of(WindowHandle window);

// Top-level windows are placed in screen coordinates, children in their parent's client area.
bool move_window(WindowHandle window, int x, int y, int width, int height, bool repaint);
Rect window_rect(WindowHandle window);     // in screen coordinates
Rect client_rect(WindowHandle window);     // (0, 0, client width, client height)
Point client_origin(WindowHandle window);  // the client area's top left on the screen
bool show_window(WindowHandle window, bool show);
bool is_visible(WindowHandle window);  // the window and all its ancestors
bool enable_window(WindowHandle window, bool enable);
bool is_enabled(WindowHandle window);

// --- Messages ------------------------------------------------------------------------------

struct Message {
  WindowHandle window = NO_WINDOW;
  unsigned message = 0;
  WParam wparam = 0;
  LParam lparam = 0;
};

constexpr std::size_t MESSAGE_QUEUE_CAPACITY = 4096;

// Queues a message; false for a dead window or a full queue.
bool post_message(WindowHandle window, unsigned message, WParam wparam, LParam lparam);
// Calls the window's procedure at once; 0 for a dead window.
LResult send_message(WindowHandle window, unsigned message, WParam wparam, LParam lparam);
// Takes the oldest queued message; false when none is left.
bool peek_message(Message& message, bool remove);
// Posts a character message after a key-down of a key that types one. True when it did.
bool translate_message(const Message& message);
// Hands a message to its window's procedure; 0 for a message to a window that died meanwhile.
LResult dispatch_message(const Message& message);
// What the system does with a message the window's procedure passes on.
LResult default_window_procedure(WindowHandle window, unsigned message, WParam wparam,
                                 LParam lparam);

// --- Focus, activation, keys ---------------------------------------------------------------

WindowHandle focus_window();
// Moves the focus (kill focus to the old window, set focus to the new one) and activates the new
// window's top-level window. Returns the previous focus. NO_WINDOW clears the focus.
WindowHandle set_focus(WindowHandle window);
WindowHandle active_window();
// Activates a visible top-level window and brings it to the front.
bool set_active_window(WindowHandle window);
// The window that stands for the program: it receives close when the display window is closed and
// activate(INACTIVE, 0) when the display window loses the focus. By default the first top-level
// window created.
WindowHandle main_window();
void set_main_window(WindowHandle window);

// While a window is set, every key goes to it as key-down and key-up messages, and nothing else
// acts on it: not the menus' soft keys, not the desktop the display window runs on. NO_WINDOW
// ends the grab; so does the window's end.
void grab_keyboard(WindowHandle window);
WindowHandle keyboard_grab_window();

// Top bit set while the key is held.
std::int16_t async_key_state(unsigned virtual_key);

// --- Screen --------------------------------------------------------------------------------

enum class Metric { SCREEN_WIDTH, SCREEN_HEIGHT, CAPTION_HEIGHT, MENU_BAR_HEIGHT };
int system_metric(Metric metric);

// The task bar strip at the top of the screen (shows the active window's title).
void show_task_bar(bool show);
bool task_bar_shown();

void invalidate_window(WindowHandle window);
// A canvas over the window's client area while it handles paint; outside paint an empty canvas
// clipped to nothing.
Canvas begin_paint(WindowHandle window);
void end_paint(WindowHandle window);

// Redraws the screen when anything changed since the last redraw.
void update_screen();
// Redraws everything now.
void redraw_screen();
const Surface& screen();

// Direct access for the game screen: the pixels written between lock and unlock are presented as
// they are, until a window is redrawn over them.
struct ScreenLock {
  std::uint16_t* pixels = nullptr;
  int pitch_bytes = 0;
  int width = 0;
  int height = 0;
};
ScreenLock lock_screen();
void unlock_screen();

// --- The pump ------------------------------------------------------------------------------

// Returns true when the message was handled and must not be translated or dispatched.
using PreTranslate = std::function<bool(const Message&)>;

// One message-pump cycle: the script's next step, the back end's input, every queued message
// (through `pre_translate`, translate and dispatch), a redraw when needed, and presentation.
void pump_cycle(const PreTranslate& pre_translate = {});
std::uint64_t pump_cycles_done();

// Something that feeds input at the start of every pump cycle, as a script does.
class CycleInput {
 public:
  virtual ~CycleInput() = default;
  virtual void start_cycle() = 0;
};
void set_cycle_input(CycleInput* input);

// Set when the main window was destroyed or a quit was asked for; ends a run.
bool quit_requested();
void request_quit();
