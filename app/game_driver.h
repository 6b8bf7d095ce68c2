#pragma once
// The program's game driver: the console behind the main window, and the addresses its help
// and about entries open.

#include <memory>
#include <string>

#include "frontend/game_driver.h"

constexpr char ABOUT_URL[] = "https://orvane.example.org/";

std::unique_ptr<CGameDriver> make_game_driver();

// file:// of the help page installed beside the program (help.html).
std::string help_page_url();

// The file:// URL of an absolute path, percent-encoded.
std::string file_url(const std::string& path);
