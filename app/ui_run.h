#pragma once
// Runs the window system with a script (orvane --ui-script FILE), headless or in an SDL window,
// over the small main window that stands until the shell's own arrives.

#include <string>
#include <vector>

#include "platform/backend.h"
#include "platform/ui_script.h"

struct Options;

// Opens the window system over `backend`, shows the window and plays `script` to its end.
// Returns the exit status (0, or 1 when a command failed, with the reason in `error`).
int run_ui_script(Backend& backend, int width, int height, std::vector<ScriptCommand> script,
                  std::string& error);

// The program's --ui-script run: reads the script (a bad line: status 2 before anything runs),
// opens the back end the options ask for, runs.
int run_ui(const Options& options);
