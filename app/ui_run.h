#pragma once
// The program a person uses: the main window over SDL, or headless under a script
// (orvane --headless --ui-script FILE).

#include <string>
#include <vector>

#include "platform/backend.h"
#include "platform/ui_script.h"

struct Options;

// Opens the window system over `backend`, creates the main window, starts the options' cartridge
// when there is one, and runs the message loop until the exit (or the script's end). Returns the
// exit status (0, or 1 when a script command failed, with the reason in `error`).
int run_program(Backend& backend, const Options& options, std::vector<ScriptCommand>* script,
                std::string& error);

// Reads the script if any (a bad line: status 2 before anything runs), chooses the language,
// opens the back end the options ask for, runs.
int run_ui(const Options& options);
