#pragma once
// The shell's process-wide state and its message loop.
//
// One thread runs everything. The outermost loop pumps messages and, while a game is running,
// hands the thread to the game until the game is asked to stop (a pause, another cartridge, the
// exit); the game pumps messages after every presented frame. So no loop ever runs inside
// another, and loading one game after another does not grow the stack.

#include "frontend/taskmgr.h"

class CMainForm;

extern CMainForm* g_main_form;
extern int loop_running;  // set on entry to the loop, cleared by StopMessageLoop
extern int loop_depth;    // loops running now: 0 or 1
extern CTaskMgr g_task_mgr;

constexpr int TASK_SLOTS = 128;
constexpr int TASK_QUEUE_RECORDS = 64;

// Start-up and final clean-up of the globals (loop flags, both settings records, task manager).
int GlobalsInit();
int GlobalsExit();

// Takes every waiting message (through the main form's pre-translation), then runs the task
// manager once. Returns 1.
int PumpMessages();
// Pumps and runs the game until StopMessageLoop; rests a millisecond between idle cycles.
int RunMessageLoop();
int StopMessageLoop();

// How the shell waits (the pause on focus loss, the idle loop); tests count instead of sleeping.
using SleepFunction = void (*)(unsigned milliseconds);
void SetSleepFunction(SleepFunction sleep);
void ShellSleep(unsigned milliseconds);
