#include "frontend/globals.h"

#include <chrono>
#include <thread>

#include "frontend/gbaconfig.h"
#include "frontend/mainform.h"
#include "platform/backend.h"
#include "platform/window_system.h"

CMainForm* g_main_form = nullptr;
int loop_running = 1;
int loop_depth = 0;
CTaskMgr g_task_mgr;

namespace {

void sleep_for(unsigned milliseconds) {
  std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

SleepFunction sleep_function = sleep_for;

}  // namespace

int GlobalsInit() {
  loop_running = 1;
  loop_depth = 0;
  g_config.Reset();
  g_saved_config.Reset();
  g_task_mgr.Destroy();
  return g_task_mgr.Create(TASK_SLOTS, TASK_QUEUE_RECORDS);
}

int GlobalsExit() {
  g_task_mgr.Destroy();
  g_config.Reset();
  g_saved_config.Reset();
  return 1;
}

int PumpMessages() {
  pump_cycle([](const Message& message) {
    return g_main_form != nullptr && g_main_form->hwnd != NO_WINDOW &&
           g_main_form->PreTranslateMessage(message) != 0;
  });
  g_task_mgr.Run();
  return 1;
}

int RunMessageLoop() {
  loop_running = 1;
  ++loop_depth;
  do {
    PumpMessages();
    if (!loop_running || quit_requested()) break;
    if (g_main_form == nullptr || !g_main_form->RunGameIfRunning()) {
      if (Backend* backend = current_backend()) backend->idle();  // the paused loop's rest
    }
  } while (loop_running && !quit_requested());
  --loop_depth;
  return 1;
}

int StopMessageLoop() {
  loop_running = 0;
  return 1;
}

void SetSleepFunction(SleepFunction sleep) {
  sleep_function = sleep != nullptr ? sleep : sleep_for;
}

void ShellSleep(unsigned milliseconds) { sleep_function(milliseconds); }
